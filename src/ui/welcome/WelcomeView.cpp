#include "ui/welcome/WelcomeView.h"

#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "ui/common/ApplicationIconView.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/common/IntegrationStatusView.h"
#include "ui/common/Style.h"
#include "ui/welcome/StepRow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int iconSize = 84;

// The texts of the welcome window, read when the window is built, so they follow the translation
// loaded at start.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(WelcomeView)

public:
    QString title = tr("Welcome to Quintara");
    QString tagline = tr("The right-click “New File” feature your file manager forgot.");
    QString stepsHeading = tr("Set up in 2 quick steps");
    QString integrationTitle = tr("Add Quintara to your file manager");
    QString integrationDescription = tr("Quintara’s menu in the file managers on this computer:");
    QString integrationAction = tr("&Open Extension Settings");
    QString grantedTitle = tr("Folder access granted");
    QString grantedDescription = tr("The extension can now create files in your Home folder and all subfolders.");
    QString grantedAction = tr("&Update Access…");
    QString requiredTitle = tr("Grant folder access");
    QString requiredDescription =
        tr("Choose your Home folder so the extension can create files anywhere in it. A folder picker will open.");
    QString requiredAction = tr("&Grant Folder Access…");
    QString menuTitle = tr("Right-click any folder in your file manager");
    QString menuDescription =
        tr("Pick a template (“New Text File”, “New Markdown”, etc.) from the menu. The new file appears instantly.");
    QString quit = tr("Qu&it");
    QString manageTemplates = tr("&Manage Templates…");
    QString done = tr("&Done");
};

StepRow::Step folderAccessStep(bool granted, std::function<void()> action)
{
    const Texts text;
    if (granted)
        return {.number = 2,
                .isComplete = true,
                .title = text.grantedTitle,
                .description = text.grantedDescription,
                .actionLabel = text.grantedAction,
                .action = std::move(action)};
    return {.number = 2,
            .isComplete = false,
            .title = text.requiredTitle,
            .description = text.requiredDescription,
            .actionLabel = text.requiredAction,
            .action = std::move(action)};
}

} // namespace

WelcomeView::WelcomeView(TemplateManager& manager, FolderPicker& picker, Workspace& workspace,
                         IntegrationProbe& integration, const UserAccount& account, std::function<void()> openSettings,
                         std::function<void()> quit, QWidget* parent)
    : QWidget(parent), m_manager(manager), m_picker(picker), m_account(account)
{
    setObjectName(QStringLiteral("welcomeView"));
    // The size it has with the usual font; a larger one makes it larger.
    setMinimumSize(600, 580);
    const Texts text;

    auto* header = new QVBoxLayout;
    header->setContentsMargins(0, 16, 0, 12);
    header->setSpacing(8);
    header->addWidget(new ApplicationIconView(iconSize, this), 0, Qt::AlignHCenter);
    header->addWidget(
        Style::label(text.title, Style::font(font(), Style::title1, QFont::Bold), QStringLiteral("welcomeTitle"), this),
        0, Qt::AlignHCenter);
    header->addWidget(
        Style::secondaryLabel(text.tagline, Style::font(font(), Style::body), QStringLiteral("welcomeTagline"), this),
        0, Qt::AlignHCenter);

    auto* insetDivider = new QHBoxLayout;
    insetDivider->setContentsMargins(32, 0, 32, 0);
    insetDivider->addWidget(Style::divider(this));

    QLabel* heading = Style::label(text.stepsHeading, Style::font(font(), Style::title3, QFont::DemiBold),
                                   QStringLiteral("stepsHeading"), this);
    heading->setContentsMargins(0, 0, 0, 2);

    // Step 1 is done once every installed file manager has the menu and links reach Quintara.
    auto* extensionStep = new StepRow({.number = 1,
                                       .isComplete = false,
                                       .title = text.integrationTitle,
                                       .description = text.integrationDescription,
                                       .actionLabel = text.integrationAction,
                                       .action =
                                           [&workspace] {
                                               openExtensionSettings(workspace);
                                           }},
                                      this);
    extensionStep->setObjectName(QStringLiteral("step1"));
    auto* integrationStatus = new IntegrationStatusView(integration, 2);
    extensionStep->setContent(integrationStatus);
    connect(integrationStatus, &IntegrationStatusView::completeChanged, extensionStep, [extensionStep](bool complete) {
        StepRow::Step step = extensionStep->step();
        step.isComplete = complete;
        extensionStep->setStep(std::move(step));
    });
    m_folderStep = new StepRow(folderAccessStep(false, [this] { requestAccess(); }), this);
    m_folderStep->setObjectName(QStringLiteral("step2"));
    auto* menuStep = new StepRow({.number = 3,
                                  .isComplete = std::nullopt,
                                  .title = text.menuTitle,
                                  .description = text.menuDescription,
                                  .actionLabel = std::nullopt,
                                  .action = {}},
                                 this);
    menuStep->setObjectName(QStringLiteral("step3"));

    auto* steps = new QVBoxLayout;
    steps->setContentsMargins(32, 14, 32, 0);
    steps->setSpacing(10);
    steps->addWidget(heading);
    steps->addWidget(extensionStep);
    steps->addWidget(m_folderStep);
    steps->addWidget(menuStep);

    auto* quitButton = new QPushButton(text.quit, this);
    quitButton->setObjectName(QStringLiteral("quitButton"));
    connect(quitButton, &QPushButton::clicked, this, [quit = std::move(quit)] {
        if (quit)
            quit();
    });
    auto* manageButton = new QPushButton(text.manageTemplates, this);
    manageButton->setObjectName(QStringLiteral("manageTemplatesButton"));
    connect(manageButton, &QPushButton::clicked, this, [openSettings = std::move(openSettings)] {
        if (openSettings)
            openSettings();
    });
    auto* doneButton = new QPushButton(text.done, this);
    doneButton->setObjectName(QStringLiteral("doneButton"));
    doneButton->setDefault(true);
    Style::makeProminent(doneButton);
    connect(doneButton, &QPushButton::clicked, this, &WelcomeView::closeWindow);
    m_doneButton = doneButton;

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(24, 14, 24, 14);
    buttons->setSpacing(8);
    buttons->addWidget(quitButton);
    buttons->addStretch(1);
    buttons->addWidget(manageButton);
    buttons->addWidget(doneButton);
    for (QPushButton* button : {quitButton, manageButton, doneButton})
        Style::giveTitleRoom(button);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addLayout(insetDivider);
    column->addLayout(steps);
    column->addStretch(1);
    column->addWidget(Style::divider(this));
    column->addLayout(buttons);

    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            refreshFolderAccess();
    });
    // A grant made in another window shows here at once. Queued, as the change is announced
    // before the window that made it has handled the picker's answer.
    connect(&m_manager, &TemplateManager::objectWillChange, this, &WelcomeView::refreshFolderAccess,
            Qt::QueuedConnection);
}

void WelcomeView::refreshFolderAccess()
{
    setHasFolderAccess(m_manager.store().hasHomeFolderBookmark());
}

void WelcomeView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refreshFolderAccess();
    // The window opens on its default button, so that Return means Done, as in a dialog; left to
    // itself the focus would sit on the first step's button.
    if (!event->spontaneous())
        m_doneButton->setFocus(Qt::ActiveWindowFocusReason);
}

// Return presses Done as a dialog's default button, but only when the focused control has no use
// for Return itself: a focused button is pressed instead, and a text field has submitted already.
void WelcomeView::keyPressEvent(QKeyEvent* event)
{
    const bool unmodified = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!unmodified || (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)) {
        QWidget::keyPressEvent(event);
        return;
    }
    QWidget* focused = focusWidget();
    if (auto* button = qobject_cast<QPushButton*>(focused))
        button->click();
    else if (!qobject_cast<QLineEdit*>(focused))
        m_doneButton->click();
}

void WelcomeView::setHasFolderAccess(bool granted)
{
    m_hasFolderAccess = granted;
    m_folderStep->setStep(folderAccessStep(granted, [this] { requestAccess(); }));
}

void WelcomeView::requestAccess()
{
    requestHomeFolderAccess(
        m_manager, m_picker, m_account, this, [this](bool granted) { setHasFolderAccess(granted); }, false);
}

void WelcomeView::closeWindow()
{
    if (QWidget* active = QApplication::activeWindow()) {
        active->close();
        return;
    }
    window()->close();
}
