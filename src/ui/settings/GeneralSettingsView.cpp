#include "ui/settings/GeneralSettingsView.h"

#include "creation/FileCreationService.h"
#include "model/HorizontalSpace.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "ui/common/FormGroup.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/common/IntegrationStatusView.h"
#include "ui/common/StatusMark.h"
#include "ui/common/Style.h"
#include "ui/common/SymbolView.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

// The stored default name, not a text of the pane: it names files, so it is never translated.
const QString untitled = QStringLiteral("Untitled");

// The texts of the General tab.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(GeneralSettingsView)

public:
    QString general = tr("General settings");
    QString folderAccess = tr("Folder Access");
    QString grantedTitle = tr("Folder access granted");
    QString grantedCaption = tr("The extension can create files in your selected folder and all subfolders.");
    QString grantedButton = tr("&Update Access…");
    QString requiredTitle = tr("Folder access required");
    QString requiredCaption = tr("Grant access to your home folder so the file manager menu can create files. You "
                                 "will be shown a folder picker — select your Home folder and click Grant Access.");
    QString requiredButton = tr("&Grant Folder Access…");
    QString fileNaming = tr("File Naming");
    QString baseName = tr("Default &base name");
    // %1 is the base name; the quotes around the names are straight ones.
    QString namingExample = tr("Files will be named \"%1.ext\", then \"%1 2.ext\", and so on.");
    QString askForName = tr("As&k for a name when creating a file");
    QString fileManager = tr("File Manager");
    QString fileManagerIntro = tr("Quintara’s menu in the file managers on this computer:");
    QString openGuide = tr("&Open Extension Settings");
    QString limits = tr("Limits");
    QString limitsTitle = tr("Where the menu can create files");
    QString limitsCaption = tr("Quintara creates files only inside the folder you granted above and its subfolders. "
                               "Grant your Home folder to reach all of your own folders.");
    QString limitsListLabel = tr("The menu does not appear in:");
    QStringList limitList = {
        tr("Trash, Recent and other places of the file manager that are not folders on this computer."),
        tr("Network places that are not mounted as a local folder. Mount the share first (many file managers do "
           "so when you open it), then right-click inside the mounted folder."),
    };
};

enum class Tone { Primary, Secondary };

// The text keeps to the top-left corner even where the layout makes the label taller than its text.
QLabel* label(const QString& text, const QFont& font, const QString& name, Tone tone, QWidget* parent)
{
    QLabel* label = tone == Tone::Secondary ? Style::secondaryLabel(text, font, name, parent)
                                            : Style::label(text, font, name, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLabel* paragraph(const QString& text, const QFont& font, const QString& name, Tone tone, QWidget* parent)
{
    QLabel* wrapped = label(text, font, name, tone, parent);
    wrapped->setWordWrap(true);
    return wrapped;
}

QString namingExample(const QString& baseName)
{
    // The name as files will really get it: trimmed, and kept inside the folder.
    const QString name = FileCreationService::nameComponent(HorizontalSpace::trimmed(baseName));
    return Texts().namingExample.arg(name.isEmpty() ? untitled : name);
}

// A symbol beside a text, both in one colour.
QLayout* symbolLabel(const QString& symbol, const QString& text, const QFont& font, const Style::Derivation& colour,
                     const QString& name, QWidget* parent)
{
    QLabel* title = label(text, font, name, Tone::Primary, parent);
    Style::derive(title, QPalette::WindowText, colour);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    auto* image = new SymbolView(symbol, QFontMetrics(font).height(), parent);
    image->setColour(colour);
    row->addWidget(image, 0, Qt::AlignVCenter);
    row->addWidget(title, 1, Qt::AlignVCenter);
    return row;
}

// A button at the leading edge, with its own padding above on top of the stack's spacing.
QLayout* leadingButton(QPushButton* button, int paddingAbove)
{
    Style::giveTitleRoom(button);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, paddingAbove, 0, 0);
    row->addWidget(button);
    row->addStretch(1);
    return row;
}

// A row of a hanging list: a marker in a fixed-width column, the text wrapping under its own column.
QLayout* hangingRow(QLabel* marker, int markerWidth, QLabel* text)
{
    marker->setFixedWidth(markerWidth);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(marker, 0, Qt::AlignTop);
    row->addWidget(text, 1, Qt::AlignTop);
    return row;
}

QVBoxLayout* stack(int spacing)
{
    auto* stack = new QVBoxLayout;
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(spacing);
    return stack;
}

// A section: its plain header above the panel that holds the rows.
QWidget* section(const QString& header, const QString& name, const QList<QLayout*>& rows, QWidget* parent)
{
    auto* section = new QWidget(parent);
    section->setObjectName(name);
    auto* group = new FormGroup(section);
    for (QLayout* row : rows)
        group->addRow(row);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    QLabel* title = label(header, Style::font(parent->font(), Style::body, QFont::DemiBold),
                          name + QStringLiteral("Header"), Tone::Primary, section);
    title->setContentsMargins(2, 0, 0, 0);
    column->addWidget(title);
    column->addWidget(group);
    return section;
}

} // namespace

GeneralSettingsView::GeneralSettingsView(TemplateManager& manager, FolderPicker& picker, Workspace& workspace,
                                         IntegrationProbe& integration, const UserAccount& account, QWidget* parent)
    : QWidget(parent), m_manager(manager), m_picker(picker), m_account(account)
{
    setObjectName(QStringLiteral("generalSettingsView"));
    setFont(Style::font(font(), Style::body));

    auto* form = new QWidget;
    form->setObjectName(QStringLiteral("generalForm"));
    auto* sections = new QVBoxLayout(form);
    sections->setContentsMargins(20, 20, 20, 20);
    sections->setSpacing(20);
    sections->addWidget(folderAccessSection());
    sections->addWidget(fileNamingSection());
    sections->addWidget(fileManagerSection(workspace, integration));
    sections->addWidget(limitsSection());
    sections->addStretch(1);

    // The form is taller than the tab; it scrolls up and down and always fits the tab's width.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("generalScrollArea"));
    scroll->setAccessibleName(Texts().general);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(form);
    Style::makeSlim(scroll->verticalScrollBar());
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(scroll);

    setHasAccess(false);
    // A grant made in another window shows here at once; queued for the same reason as the picker's answer.
    connect(
        &m_manager, &TemplateManager::objectWillChange, this,
        [this] { setHasAccess(m_manager.store().hasHomeFolderBookmark()); }, Qt::QueuedConnection);
}

QWidget* GeneralSettingsView::folderAccessSection()
{
    struct Form {
        QString name;
        bool granted;
        QString title;
        QString caption;
        QString button;
        QString buttonName;
    };
    const Texts text;
    const Form forms[] = {
        {QStringLiteral("accessGrantedForm"), true, text.grantedTitle, text.grantedCaption, text.grantedButton,
         QStringLiteral("updateAccessButton")},
        {QStringLiteral("accessRequiredForm"), false, text.requiredTitle, text.requiredCaption, text.requiredButton,
         QStringLiteral("grantAccessButton")},
    };

    // Both forms exist all the time and only one is shown, so switching is immediate and keeps focus order.
    auto* row = stack(0);
    for (const Form& look : forms) {
        auto* form = new QWidget(this);
        form->setObjectName(look.name);
        auto* button = new QPushButton(look.button, form);
        button->setObjectName(look.buttonName);
        connect(button, &QPushButton::clicked, this, &GeneralSettingsView::requestAccess);

        auto* column = stack(8);
        column->addLayout(symbolLabel(
            StatusMark::symbol(look.granted), look.title, font(),
            [granted = look.granted](const QPalette& palette) { return StatusMark::colour(granted, palette); },
            QStringLiteral("accessTitle"), form));
        column->addWidget(paragraph(look.caption, Style::font(font(), Style::caption), QStringLiteral("accessCaption"),
                                    Tone::Secondary, form));
        column->addLayout(leadingButton(button, 2));
        form->setLayout(column);
        row->addWidget(form);
    }
    m_grantedForm = row->itemAt(0)->widget();
    m_requiredForm = row->itemAt(1)->widget();

    // The button that asks for what is missing is the prominent one.
    Style::makeProminent(m_requiredForm->findChild<QPushButton*>());
    return section(text.folderAccess, QStringLiteral("folderAccessSection"), {row}, this);
}

QWidget* GeneralSettingsView::fileNamingSection()
{
    const Texts text;
    m_baseNameField = new QLineEdit(this);
    m_baseNameField->setObjectName(QStringLiteral("baseNameField"));
    m_baseNameField->setPlaceholderText(untitled);
    m_baseNameField->setFixedWidth(160);
    connect(m_baseNameField, &QLineEdit::textChanged, this, &GeneralSettingsView::baseNameChanged);
    connect(m_baseNameField, &QLineEdit::returnPressed, this, &GeneralSettingsView::saveBaseName);

    auto* nameRow = new QHBoxLayout;
    QLabel* baseNameLabel = label(text.baseName, font(), QStringLiteral("baseNameLabel"), Tone::Primary, this);
    baseNameLabel->setBuddy(m_baseNameField);
    nameRow->addWidget(baseNameLabel, 0, Qt::AlignVCenter);
    nameRow->addStretch(1);
    nameRow->addWidget(m_baseNameField, 0, Qt::AlignVCenter);

    m_namingExample = paragraph(namingExample(QString()), Style::font(font(), Style::caption),
                                QStringLiteral("namingExample"), Tone::Secondary, this);
    auto* exampleRow = stack(0);
    exampleRow->addWidget(m_namingExample);

    m_askForNameSwitch = new QCheckBox(text.askForName, this);
    m_askForNameSwitch->setObjectName(QStringLiteral("askForNameSwitch"));
    connect(m_askForNameSwitch, &QCheckBox::toggled, this,
            [this](bool ask) { m_manager.store().setAsksForFileName(ask); });
    auto* askRow = stack(0);
    askRow->addWidget(m_askForNameSwitch);
    return section(text.fileNaming, QStringLiteral("fileNamingSection"), {nameRow, exampleRow, askRow}, this);
}

QWidget* GeneralSettingsView::fileManagerSection(Workspace& workspace, IntegrationProbe& integration)
{
    const Texts text;

    auto* row = stack(8);
    row->addWidget(paragraph(text.fileManagerIntro, font(), QStringLiteral("fileManagerIntro"), Tone::Primary, this));
    row->addWidget(new IntegrationStatusView(integration, 1, this));
    // Made after the rows, so that Tab reaches it after their buttons, in the order they are shown.
    auto* openButton = new QPushButton(text.openGuide, this);
    openButton->setObjectName(QStringLiteral("openExtensionSettingsButton"));
    connect(openButton, &QPushButton::clicked, this, [&workspace] { openExtensionSettings(workspace); });
    row->addLayout(leadingButton(openButton, 4));
    return section(text.fileManager, QStringLiteral("fileManagerSection"), {row}, this);
}

QWidget* GeneralSettingsView::limitsSection()
{
    const Texts text;
    const QFont caption = Style::font(font(), Style::caption);
    auto* bullets = stack(4);
    for (qsizetype i = 0; i < text.limitList.size(); ++i) {
        const QString number = QString::number(i + 1);
        QLabel* bullet = label(QStringLiteral("•"), caption, QStringLiteral("bullet") + number, Tone::Secondary, this);
        bullet->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        bullets->addLayout(
            hangingRow(bullet, 10,
                       paragraph(text.limitList[i], caption, QStringLiteral("limit") + number, Tone::Secondary, this)));
    }

    QLabel* heading = label(text.limitsListLabel, Style::font(font(), Style::caption, QFont::DemiBold),
                            QStringLiteral("limitsListLabel"), Tone::Secondary, this);
    heading->setContentsMargins(0, 2, 0, 0);

    auto* row = stack(8);
    row->addLayout(symbolLabel(
        QStringLiteral("exclamationmark.triangle"), text.limitsTitle,
        Style::font(font(), Style::subheadline, QFont::Medium),
        [](const QPalette& palette) { return palette.color(QPalette::WindowText); }, QStringLiteral("limitsTitle"),
        this));
    row->addWidget(paragraph(text.limitsCaption, caption, QStringLiteral("limitsCaption"), Tone::Secondary, this));
    row->addWidget(heading);
    row->addLayout(bullets);
    return section(text.limits, QStringLiteral("limitsSection"), {row}, this);
}

QString GeneralSettingsView::baseName() const
{
    return m_baseNameField->text();
}

void GeneralSettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    load();
}

void GeneralSettingsView::load()
{
    // Setting the field is a change like typing, so it saves too: "Untitled" gets stored when nothing was,
    // and a stored name with spaces around it is stored trimmed. The same text again is no change.
    m_baseNameField->setText(m_manager.store().defaultBaseName());
    const QSignalBlocker quiet(m_askForNameSwitch); // showing the stored value is no change to store
    m_askForNameSwitch->setChecked(m_manager.store().asksForFileName());
    setHasAccess(m_manager.store().hasHomeFolderBookmark());
}

void GeneralSettingsView::baseNameChanged(const QString& text)
{
    m_namingExample->setText(namingExample(text));
    saveBaseName();
}

void GeneralSettingsView::saveBaseName()
{
    const QString name = HorizontalSpace::trimmed(m_baseNameField->text());
    if (!name.isEmpty())
        m_manager.store().setDefaultBaseName(name);
}

void GeneralSettingsView::setHasAccess(bool granted)
{
    m_hasAccess = granted;
    m_grantedForm->setVisible(granted);
    m_requiredForm->setVisible(!granted);
}

void GeneralSettingsView::requestAccess()
{
    requestHomeFolderAccess(
        m_manager, m_picker, m_account, this, [this](bool granted) { setHasAccess(granted); }, true);
}
