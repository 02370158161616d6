#include "ui/settings/GeneralSettingsView.h"

#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "ui/common/FormGroup.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/common/HorizontalSpace.h"
#include "ui/common/Style.h"
#include "ui/common/SymbolView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

const QString untitled = QStringLiteral("Untitled");

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

// Green and orange darker than the usual signal shades on a light window, lighter on a dark one, so
// that text in them stays readable.
QColor signalColour(const QPalette& palette, const QColor& onLight, const QColor& onDark)
{
    return palette.color(QPalette::Window).lightness() < 128 ? onDark : onLight;
}

// Straight quotes here, unlike the typographic ones of other texts: the wording of the example is fixed.
QString namingExample(const QString& baseName)
{
    const QString name = baseName.isEmpty() ? untitled : baseName;
    const QChar quote = u'"';
    return QStringLiteral("Files will be named ") + quote + name + QStringLiteral(".ext") + quote +
           QStringLiteral(", then ") + quote + name + QStringLiteral(" 2.ext") + quote + QStringLiteral(", and so on.");
}

// A symbol beside a text, both in one colour.
QLayout* symbolLabel(const QString& symbol, const QString& text, const QFont& font, const QColor& colour,
                     const QString& name, QWidget* parent)
{
    QLabel* title = label(text, font, name, Tone::Primary, parent);
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, colour);
    title->setPalette(palette);
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
                                         const UserAccount& account, QWidget* parent)
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
    sections->addWidget(extensionSection(workspace));
    sections->addWidget(syncedFoldersSection());
    sections->addStretch(1);

    // The form is taller than the tab; it scrolls up and down and always fits the tab's width.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("generalScrollArea"));
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
        QString symbol;
        QString title;
        QColor onLight;
        QColor onDark;
        QString caption;
        QString button;
        QString buttonName;
    };
    const Form forms[] = {
        {QStringLiteral("accessGrantedForm"), QStringLiteral("checkmark.circle.fill"),
         QStringLiteral("Folder access granted"), QColor(0x1E, 0x8E, 0x3E), QColor(0x32, 0xD7, 0x4B),
         QStringLiteral("The extension can create files in your selected folder and all subfolders."),
         QStringLiteral("Update Access…"), QStringLiteral("updateAccessButton")},
        {QStringLiteral("accessRequiredForm"), QStringLiteral("exclamationmark.triangle.fill"),
         QStringLiteral("Folder access required"), QColor(0xC8, 0x5F, 0x00), QColor(0xFF, 0x9F, 0x0A),
         QStringLiteral("Grant access to your home folder so the Finder extension can create files. You will be shown "
                        "a folder picker — select your Home folder and click Grant Access."),
         QStringLiteral("Grant Folder Access…"), QStringLiteral("grantAccessButton")},
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
        column->addLayout(symbolLabel(look.symbol, look.title, font(),
                                      signalColour(palette(), look.onLight, look.onDark), QStringLiteral("accessTitle"),
                                      form));
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
    return section(QStringLiteral("Folder Access"), QStringLiteral("folderAccessSection"), {row}, this);
}

QWidget* GeneralSettingsView::fileNamingSection()
{
    m_baseNameField = new QLineEdit(this);
    m_baseNameField->setObjectName(QStringLiteral("baseNameField"));
    m_baseNameField->setPlaceholderText(untitled);
    m_baseNameField->setFixedWidth(160);
    connect(m_baseNameField, &QLineEdit::textChanged, this, &GeneralSettingsView::baseNameChanged);
    connect(m_baseNameField, &QLineEdit::returnPressed, this, &GeneralSettingsView::saveBaseName);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(
        label(QStringLiteral("Default base name"), font(), QStringLiteral("baseNameLabel"), Tone::Primary, this), 0,
        Qt::AlignVCenter);
    nameRow->addStretch(1);
    nameRow->addWidget(m_baseNameField, 0, Qt::AlignVCenter);

    m_namingExample = paragraph(namingExample(QString()), Style::font(font(), Style::caption),
                                QStringLiteral("namingExample"), Tone::Secondary, this);
    auto* exampleRow = stack(0);
    exampleRow->addWidget(m_namingExample);
    return section(QStringLiteral("File Naming"), QStringLiteral("fileNamingSection"), {nameRow, exampleRow}, this);
}

QWidget* GeneralSettingsView::extensionSection(Workspace& workspace)
{
    const QFont caption = Style::font(font(), Style::caption);
    auto* steps = stack(4);
    const QStringList stepTexts = {
        QStringLiteral("Open System Settings → Privacy & Security → Extensions"),
        QStringLiteral("Choose \"Added Extensions\" from the sidebar"),
        QStringLiteral("Enable \"Quintara\" under Finder Extensions"),
        QStringLiteral("Relaunch Finder: hold Option, right-click Finder in the Dock → Relaunch"),
    };
    for (qsizetype i = 0; i < stepTexts.size(); ++i) {
        const QString number = QString::number(i + 1);
        // Right-aligned, so the full stops line up whatever the width of the digits before them.
        QLabel* marker =
            label(number + QLatin1Char('.'), caption, QStringLiteral("stepNumber") + number, Tone::Secondary, this);
        marker->setAlignment(Qt::AlignRight | Qt::AlignTop);
        steps->addLayout(hangingRow(
            marker, 16, paragraph(stepTexts[i], caption, QStringLiteral("stepText") + number, Tone::Secondary, this)));
    }

    auto* openButton = new QPushButton(QStringLiteral("Open Extension Settings"), this);
    openButton->setObjectName(QStringLiteral("openExtensionSettingsButton"));
    connect(openButton, &QPushButton::clicked, this, [&workspace] { openExtensionSettings(workspace); });

    auto* row = stack(8);
    row->addWidget(paragraph(QStringLiteral("To enable the right-click menu integration, follow these steps:"), font(),
                             QStringLiteral("extensionIntro"), Tone::Primary, this));
    row->addLayout(steps);
    row->addLayout(leadingButton(openButton, 4));
    return section(QStringLiteral("Finder Extension"), QStringLiteral("finderExtensionSection"), {row}, this);
}

QWidget* GeneralSettingsView::syncedFoldersSection()
{
    const QFont caption = Style::font(font(), Style::caption);
    const QStringList workarounds = {
        QStringLiteral("Navigate via local path — in Finder, choose Go → Home, then open your Desktop or Documents "
                       "folder from there. The extension works on the local path even when iCloud sync is on."),
        QStringLiteral("Disable iCloud Desktop & Documents sync — go to System Settings → Apple ID → iCloud → iCloud "
                       "Drive, and turn off Desktop & Documents Folders. This keeps those folders local and fully "
                       "supported."),
    };
    auto* bullets = stack(4);
    for (qsizetype i = 0; i < workarounds.size(); ++i) {
        const QString number = QString::number(i + 1);
        QLabel* bullet = label(QStringLiteral("•"), caption, QStringLiteral("bullet") + number, Tone::Secondary, this);
        bullet->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        bullets->addLayout(hangingRow(
            bullet, 10,
            paragraph(workarounds[i], caption, QStringLiteral("workaround") + number, Tone::Secondary, this)));
    }

    QLabel* heading = label(QStringLiteral("Workarounds:"), Style::font(font(), Style::caption, QFont::DemiBold),
                            QStringLiteral("workaroundsLabel"), Tone::Secondary, this);
    heading->setContentsMargins(0, 2, 0, 0);

    auto* row = stack(8);
    row->addLayout(symbolLabel(QStringLiteral("exclamationmark.triangle"),
                               QStringLiteral("iCloud Desktop & Documents Limitation"),
                               Style::font(font(), Style::subheadline, QFont::Medium),
                               palette().color(QPalette::WindowText), QStringLiteral("icloudTitle"), this));
    row->addWidget(
        paragraph(QStringLiteral("Due to macOS sandbox restrictions, the right-click menu does not appear in "
                                 "folders synced via iCloud Desktop & Documents (such as your Desktop or "
                                 "Documents folder when iCloud Drive sync is enabled)."),
                  caption, QStringLiteral("icloudCaption"), Tone::Secondary, this));
    row->addWidget(heading);
    row->addLayout(bullets);
    return section(QStringLiteral("iCloud Folders"), QStringLiteral("icloudSection"), {row}, this);
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
