#include "ui/welcome/WelcomeView.h"

#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "ui/common/ApplicationIconView.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/common/Style.h"
#include "ui/welcome/StepRow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int iconSize = 84;

StepRow::Step folderAccessStep(bool granted, std::function<void()> action)
{
    if (granted)
        return {.number = 2,
                .isComplete = true,
                .title = QStringLiteral("Folder access granted"),
                .description =
                    QStringLiteral("The extension can now create files in your Home folder and all subfolders."),
                .actionLabel = QStringLiteral("Update Access…"),
                .action = std::move(action)};
    return {.number = 2,
            .isComplete = false,
            .title = QStringLiteral("Grant folder access"),
            .description = QStringLiteral("Choose your Home folder so the extension can create files anywhere on "
                                          "your Mac. macOS will show a folder picker."),
            .actionLabel = QStringLiteral("Grant Folder Access…"),
            .action = std::move(action)};
}

} // namespace

WelcomeView::WelcomeView(TemplateManager& manager, FolderPicker& picker, Workspace& workspace,
                         const UserAccount& account, std::function<void()> openSettings, std::function<void()> quit,
                         QWidget* parent)
    : QWidget(parent), m_manager(manager), m_picker(picker), m_account(account)
{
    setObjectName(QStringLiteral("welcomeView"));
    setFixedSize(600, 580);

    auto* header = new QVBoxLayout;
    header->setContentsMargins(0, 28, 0, 20);
    header->setSpacing(10);
    header->addWidget(new ApplicationIconView(iconSize, this), 0, Qt::AlignHCenter);
    header->addWidget(Style::label(QStringLiteral("Welcome to Quintara"),
                                   Style::font(font(), Style::title1, QFont::Bold), QStringLiteral("welcomeTitle"),
                                   this),
                      0, Qt::AlignHCenter);
    header->addWidget(Style::secondaryLabel(QStringLiteral("The right-click “New File” feature macOS forgot."),
                                            Style::font(font(), Style::body), QStringLiteral("welcomeTagline"), this),
                      0, Qt::AlignHCenter);

    auto* insetDivider = new QHBoxLayout;
    insetDivider->setContentsMargins(32, 0, 32, 0);
    insetDivider->addWidget(Style::divider(this));

    QLabel* heading =
        Style::label(QStringLiteral("Set up in 2 quick steps"), Style::font(font(), Style::title3, QFont::DemiBold),
                     QStringLiteral("stepsHeading"), this);
    heading->setContentsMargins(0, 0, 0, 2);

    auto* extensionStep = new StepRow(
        {.number = 1,
         .isComplete = std::nullopt,
         .title = QStringLiteral("Enable the Finder extension"),
         .description = QStringLiteral("Open System Settings → Privacy & Security → Extensions → Added Extensions, "
                                       "then turn on “Quintara”."),
         .actionLabel = QStringLiteral("Open Extension Settings"),
         .action =
             [&workspace] {
                 openExtensionSettings(workspace);
             }},
        this);
    extensionStep->setObjectName(QStringLiteral("step1"));
    m_folderStep = new StepRow(folderAccessStep(false, [this] { requestAccess(); }), this);
    m_folderStep->setObjectName(QStringLiteral("step2"));
    auto* menuStep =
        new StepRow({.number = 3,
                     .isComplete = std::nullopt,
                     .title = QStringLiteral("Right-click any folder in Finder"),
                     .description = QStringLiteral("Pick a template (“New Text File”, “New Markdown”, etc.) from the "
                                                   "menu. The new file appears instantly."),
                     .actionLabel = std::nullopt,
                     .action = {}},
                    this);
    menuStep->setObjectName(QStringLiteral("step3"));

    auto* steps = new QVBoxLayout;
    steps->setContentsMargins(32, 20, 32, 0);
    steps->setSpacing(18);
    steps->addWidget(heading);
    steps->addWidget(extensionStep);
    steps->addWidget(m_folderStep);
    steps->addWidget(menuStep);

    auto* quitButton = new QPushButton(QStringLiteral("Quit"), this);
    quitButton->setObjectName(QStringLiteral("quitButton"));
    connect(quitButton, &QPushButton::clicked, this, [quit = std::move(quit)] {
        if (quit)
            quit();
    });
    auto* manageButton = new QPushButton(QStringLiteral("Manage Templates…"), this);
    manageButton->setObjectName(QStringLiteral("manageTemplatesButton"));
    connect(manageButton, &QPushButton::clicked, this, [openSettings = std::move(openSettings)] {
        if (openSettings)
            openSettings();
    });
    auto* doneButton = new QPushButton(QStringLiteral("Done"), this);
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
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->windowTitle().contains(QStringLiteral("Welcome"), Qt::CaseSensitive)) {
            window->close();
            return;
        }
    }
}
