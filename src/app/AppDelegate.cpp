#include "app/AppDelegate.h"

#include "app/WindowMenus.h"
#include "creation/CreateRequest.h"
#include "creation/FileCreationService.h"
#include "creation/ImportRequest.h"
#include "creation/RequestServing.h"
#include "model/BuiltInTemplates.h"
#include "model/BundleInfo.h"
#include "platform/Log.h"
#include "platform/SettingsDomain.h"
#include "platform/WindowActivation.h"
#include "platform/Workspace.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "ui/common/Symbols.h"
#include "ui/common/WindowKeys.h"
#include "ui/common/WindowPlacement.h"
#include "ui/naming/NewFileNameDialog.h"
#include "ui/settings/SettingsView.h"
#include "ui/templates/ImportConsentDialog.h"
#include "ui/templates/TemplatesView.h"
#include "ui/welcome/WelcomeView.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QWidget>

namespace {

// The log names a window by its untranslated title, so that its lines read the same in every language.
constexpr char untranslatedTitle[] = "untranslatedTitle";
constexpr const char* welcomeTitle = QT_TRANSLATE_NOOP("AppDelegate", "Welcome to Quintara");
constexpr const char* settingsTitle = QT_TRANSLATE_NOOP("AppDelegate", "Quintara Settings");

bool hasVisibleWindow()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* w) {
        return w->isVisible() && w->isWindow() && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip;
    });
}

} // namespace

AppDelegate::AppDelegate(Services services, QObject* parent) : QObject(parent), m_services(services)
{
    QApplication::setQuitOnLastWindowClosed(applicationShouldTerminateAfterLastWindowClosed());
}

AppDelegate::~AppDelegate()
{
    delete m_welcomeWindow;
    delete m_settingsWindow;
    for (QDialog* window : {static_cast<QDialog*>(m_namingWindow), static_cast<QDialog*>(m_consentWindow)}) {
        if (window) {
            window->disconnect(this);
            delete window;
        }
    }
}

void AppDelegate::applicationWillFinishLaunching()
{
    m_acceptsGetURLEvents = true;
}

void AppDelegate::applicationDidFinishLaunching()
{
    if (!m_launchedForURL)
        showWelcomeWindow();
}

bool AppDelegate::applicationShouldHandleReopen()
{
    if (!hasVisibleWindow())
        showWelcomeWindow();
    return true;
}

QStringList AppDelegate::openUrls(const QStringList& urls, const QString& activationToken, const QList<bool>& direct)
{
    QStringList failures;
    for (qsizetype i = 0; i < urls.size(); ++i) {
        const QString& url = urls.at(i);
        const Failure failure = CreateRequest::hasRequestScheme(url)
                                    ? serve(url, activationToken, direct.value(i, false))
                                    : Failure(QStringLiteral("'%1' is not a quintara: request").arg(url));
        if (failure)
            failures.append(*failure);
    }
    return failures;
}

AppDelegate::Failure AppDelegate::handleGetURLEvent(const QString& urlText, bool direct)
{
    if (!m_acceptsGetURLEvents || urlText.isEmpty())
        return std::nullopt;
    if (!QUrl(urlText, QUrl::StrictMode).isValid())
        return QStringLiteral("'%1' is not a URL").arg(urlText);
    m_launchedForURL = true;
    return serve(urlText, {}, direct);
}

AppDelegate::Failure AppDelegate::serve(const QString& url, const QString& activationToken, bool direct)
{
    const SettingsReadScope oneRead; // a click waits for this; the settings file is parsed once
    if (ImportRequest::parse(url))
        return processImportURL(url, direct);
    return processCreateURL(url, activationToken);
}

// Nothing thrown below may end the instance: it serves every later request too.
AppDelegate::Failure AppDelegate::processCreateURL(const QString& url, const QString& activationToken)
try {
    const std::optional<CreateRequest> request = CreateRequest::parse(url);
    if (!request)
        return QStringLiteral("'%1' is not a request Quintara knows").arg(url);
    // The index is checked before the grant, so a stale index never opens the welcome window.
    const std::variant<FileTemplate, QString> chosen = RequestServing::templateAt(m_services.store, request->index);
    if (const auto* reason = std::get_if<QString>(&chosen))
        return *reason;

    const std::optional<QUrl> granted = m_services.store.resolveHomeFolderURL();
    if (!granted) {
        Log::line(QStringLiteral("[QNT] processCreateURL: no bookmark — opening welcome window"));
        m_launchedForURL = false;
        showWelcomeWindow();
        // The welcome window explains the grant, not that the click made nothing.
        const RequestServing::Notice notice = RequestServing::notGrantedNotice();
        m_services.workspace.notify(notice.summary, notice.body);
        return QStringLiteral("no file was made: Quintara may not write anywhere yet; grant it your home folder in "
                              "the welcome window");
    }

    const NamingRequest served{std::get<FileTemplate>(chosen), QUrl::fromLocalFile(request->directoryPath),
                               granted->toLocalFile(), activationToken, request->fileManager};
    if (m_services.store.asksForFileName()) {
        if (m_displayAvailable) {
            if (m_waitingForName.size() >= maximumWaiting) {
                Log::line(QStringLiteral("[QNT] processCreateURL: %1 files wait for a name already; request dropped")
                              .arg(m_waitingForName.size()));
                return QStringLiteral("no file was made: too many files wait for a name already");
            }
            m_waitingForName.append(served);
            if (m_waitingForName.size() == 1)
                askNextName();
            else if (m_namingWindow)
                m_namingWindow->setWaiting(m_waitingForName.size() - 1);
            return std::nullopt;
        }
        Log::line(QStringLiteral("[QNT] processCreateURL: no display — creating without asking for a name"));
    }
    const FileCreationService::Result result = create(served, std::nullopt);
    if (const auto* error = std::get_if<FileCreationError>(&result))
        return error->errorDescription();
    return std::nullopt;
} catch (const std::exception& e) {
    Log::line(QStringLiteral("[QNT] processCreateURL error: %1").arg(QString::fromLocal8Bit(e.what())));
    return QString::fromLocal8Bit(e.what());
}

FileCreationService::Result AppDelegate::create(const NamingRequest& request, const std::optional<QString>& fileName)
{
    return RequestServing::create({m_services.store, m_services.engine, m_services.scope, m_services.workspace},
                                  request.chosen, request.target, request.grantedPath, fileName, request.fileManager);
}

void AppDelegate::askNextName()
{
    if (m_waitingForName.isEmpty())
        return;
    const NamingRequest& next = m_waitingForName.first();
    // The name the engine would choose now; a file that takes it before Create is pressed makes it "taken".
    const QString suggested = m_services.engine.uniqueFileName(m_services.engine.baseNameFor(next.chosen, next.target),
                                                               next.chosen.fileExtension, next.target);
    // The dot too; a name without an extension is selected whole.
    const qsizetype extensionLength = next.chosen.fileExtension.isEmpty() ? 0 : next.chosen.fileExtension.size() + 1;
    const auto attempt = [this](const QString& typed) {
        using Outcome = NewFileNameDialog::Outcome;
        const NamingRequest& request = m_waitingForName.first();
        const QString name = FileCreationService::completedName(typed, request.chosen.fileExtension);
        switch (FileCreationService::nameProblem(name)) {
        case FileCreationService::NameProblem::empty:
            return Outcome::empty;
        case FileCreationService::NameProblem::notOneComponent:
            return Outcome::notOneComponent;
        case FileCreationService::NameProblem::tooLong:
            return Outcome::tooLong;
        case FileCreationService::NameProblem::none:
            break;
        }
        try {
            const FileCreationService::Result result = create(request, name);
            if (std::holds_alternative<QUrl>(result))
                return Outcome::created;
            return std::get<FileCreationError>(result).errorCase() == FileCreationError::Case::nameTaken
                       ? Outcome::taken
                       : Outcome::failed;
        } catch (const std::exception& e) {
            Log::line(QStringLiteral("[QNT] processCreateURL error: %1").arg(QString::fromLocal8Bit(e.what())));
            return Outcome::failed;
        }
    };
    m_namingWindow = new NewFileNameDialog(shownName(next.chosen), suggested, extensionLength, attempt);
    m_namingWindow->setAttribute(Qt::WA_DeleteOnClose);
    m_namingWindow->setWaiting(m_waitingForName.size() - 1);
    connect(m_namingWindow, &NewFileNameDialog::cancelAllRequested, this, [this] {
        Log::line(
            QStringLiteral("[QNT] processCreateURL: %1 waiting requests cancelled").arg(m_waitingForName.size() - 1));
        m_waitingForName.erase(m_waitingForName.begin() + 1, m_waitingForName.end());
    });
    connect(m_namingWindow, &QDialog::finished, this, [this] {
        m_waitingForName.removeFirst();
        // The next window once this one is gone, so that the two never stand on screen together.
        QTimer::singleShot(0, this, &AppDelegate::askNextName);
    });
    m_namingWindow->show();
    m_namingWindow->raise();
    WindowActivation::activate(m_namingWindow->windowHandle(), next.activationToken);
}

AppDelegate::Failure AppDelegate::processImportURL(const QString& url, bool direct)
try {
    const std::optional<ImportRequest> request = ImportRequest::parse(url);
    if (!request)
        return QStringLiteral("'%1' is not a request Quintara knows").arg(url);
    const auto failure = [&](TemplateImporter::Refusal refusal, const QStringList& notes = {}) {
        return RequestServing::importFailure(request->filePath, refusal, notes);
    };
    QStringList notes;
    std::variant<TemplateImporter::Candidate, TemplateImporter::Refusal> examined =
        TemplateImporter::examine(request->filePath, &notes);
    if (const auto* refusal = std::get_if<TemplateImporter::Refusal>(&examined)) {
        finishImport({{request->filePath, *refusal, notes}});
        return failure(*refusal, notes);
    }
    TemplateImporter::Candidate& candidate = std::get<TemplateImporter::Candidate>(examined);
    if (direct && !candidate.ownerOnly) {
        const QList<TemplateImporter::Outcome> outcomes = TemplateImporter(m_services.store).add({candidate});
        finishImport(outcomes);
        if (const auto* refusal = std::get_if<TemplateImporter::Refusal>(&outcomes.constFirst().result))
            return failure(*refusal, outcomes.constFirst().notes);
        return std::nullopt;
    }
    // A link can name any file the user may read; a file only its owner may read may be a secret.
    if (!m_displayAvailable) {
        TemplateImporter::logRefusal(request->filePath, TemplateImporter::Refusal::noDisplay);
        finishImport({{request->filePath, TemplateImporter::Refusal::noDisplay}});
        return failure(TemplateImporter::Refusal::noDisplay);
    }
    if (m_waitingForConsent.size() >= maximumWaiting) {
        Log::line(QStringLiteral("[QNT] import refused: %1: %2 imports wait for confirmation already")
                      .arg(request->filePath)
                      .arg(m_waitingForConsent.size()));
        return request->filePath + QStringLiteral(": too many imports wait for your confirmation already");
    }
    m_waitingForConsent.append({std::move(candidate), !direct});
    if (m_waitingForConsent.size() == 1)
        askNextConsent();
    return std::nullopt;
} catch (const std::exception& e) {
    Log::line(QStringLiteral("[QNT] processImportURL error: %1").arg(QString::fromLocal8Bit(e.what())));
    return QString::fromLocal8Bit(e.what());
}

void AppDelegate::askNextConsent()
{
    if (m_waitingForConsent.isEmpty())
        return;
    const ConsentRequest& next = m_waitingForConsent.constFirst();
    auto* window = new ImportConsentDialog(next.candidate, next.fromLink ? ImportConsentDialog::Reason::link
                                                                         : ImportConsentDialog::Reason::ownerOnly);
    m_consentWindow = window;
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &QDialog::finished, this, [this](int result) {
        const ConsentRequest request = m_waitingForConsent.takeFirst();
        if (result == QDialog::Accepted) {
            finishImport(TemplateImporter(m_services.store).add({request.candidate}));
        } else {
            TemplateImporter::logRefusal(request.candidate.path, TemplateImporter::Refusal::declined);
            finishImport({{request.candidate.path, TemplateImporter::Refusal::declined}});
        }
        QTimer::singleShot(0, this, &AppDelegate::askNextConsent);
    });
    window->show();
    window->raise();
    window->activateWindow();
}

void AppDelegate::finishImport(const QList<TemplateImporter::Outcome>& outcomes)
{
    // With the Settings window closed nothing on screen would show what happened.
    if (!m_settingsWindow || !m_settingsWindow->isVisible()) {
        for (const TemplateImporter::Outcome& outcome : outcomes) {
            const RequestServing::Notice notice = RequestServing::importNotice(outcome);
            m_services.workspace.notify(notice.summary, notice.body);
        }
    }
    auto* view = m_settingsWindow ? m_settingsWindow->findChild<TemplatesView*>() : nullptr;
    if (!view)
        return;
    view->selectImported(outcomes);
    if (m_settingsWindow->isVisible() &&
        std::holds_alternative<TemplateImporter::Refusal>(outcomes.constFirst().result))
        view->showImportSummary(outcomes);
}

void AppDelegate::showWelcomeWindow()
{
    QTimer::singleShot(0, this, [this] {
        if (!m_welcomeWindow)
            buildWelcomeWindow();
        present(m_welcomeWindow);
    });
}

void AppDelegate::openSettingsWindow()
{
    QTimer::singleShot(0, this, [this] {
        if (!m_settingsWindow)
            buildSettingsWindow();
        present(m_settingsWindow);
    });
}

void AppDelegate::showAbout()
{
    showSettingsTab(SettingsView::AboutTab);
}

void AppDelegate::showSettingsTab(int tab)
{
    QTimer::singleShot(0, this, [this, tab] {
        if (!m_settingsWindow)
            buildSettingsWindow();
        m_settingsWindow->findChild<SettingsView*>()->setCurrentIndex(tab);
        present(m_settingsWindow);
    });
}

void AppDelegate::present(QWidget* window)
{
    if (!m_displayAvailable) {
        // Start-up and the request that found no grant may both ask for the same window.
        if (std::exchange(m_windowWithoutDisplay, window) != window)
            Log::line(QStringLiteral("[QNT] present: no display available, window “%1” not shown")
                          .arg(window->property(untranslatedTitle).toString()));
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

namespace {

// A window of the program: the view as its content, the shared menus above it, its size fixed
// to the content's, or to the screen where that is smaller, the content then scrolling. Closing
// hides it; the same object is shown again later.
QMainWindow* makeWindow(QWidget* content, const QString& objectName, const char* title, AppDelegate& delegate,
                        Workspace& workspace)
{
    auto* window = new QMainWindow;
    window->setObjectName(objectName);
    window->setWindowTitle(AppDelegate::tr(title));
    window->setProperty(untranslatedTitle, QString::fromUtf8(title));
    window->setWindowIcon(Symbols::applicationIcon());
    auto* scroll = new QScrollArea(window);
    scroll->setObjectName(QStringLiteral("windowScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    scroll->setFocusPolicy(Qt::NoFocus); // the keyboard reaches the content, which scrolls to the focus
    window->setCentralWidget(scroll);
    WindowMenus::install(*window, delegate, workspace);
    WindowKeys::closeWithKeys(window, true);
    // Titled, closable and minimisable; never resizable.
    window->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint |
                           Qt::CustomizeWindowHint);
    // A view of pages of a fixed size asks in its minimum for what those pages need.
    QSize wanted = content->sizeHint().expandedTo(content->minimumSizeHint()).expandedTo(content->minimumSize()) +
                   QSize(0, window->menuBar()->sizeHint().height());
    // Cut short, the content scrolls up and down, beside a scroll bar that must not cut its width.
    if (WindowPlacement::fitting(window, wanted).height() < wanted.height())
        wanted.rwidth() += scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll);
    WindowPlacement::fitOnScreen(window, wanted);
    return window;
}

} // namespace

void AppDelegate::buildWelcomeWindow()
{
    auto* view = new WelcomeView(
        m_services.manager, m_services.picker, m_services.workspace, m_services.integration, m_services.account,
        [this] { showSettingsTab(SettingsView::TemplatesTab); }, [] { QCoreApplication::quit(); });
    m_welcomeWindow = makeWindow(view, QStringLiteral("welcomeWindow"), welcomeTitle, *this, m_services.workspace);
}

void AppDelegate::buildSettingsWindow()
{
    auto* view =
        new SettingsView(m_services.manager, m_services.picker, m_services.filePicker, m_services.workspace,
                         m_services.integration, m_services.account, m_services.clock, BundleInfo::dictionary());
    m_settingsWindow = makeWindow(view, QStringLiteral("settingsWindow"), settingsTitle, *this, m_services.workspace);
}
