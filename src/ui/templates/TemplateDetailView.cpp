#include "ui/templates/TemplateDetailView.h"

#include "model/BuiltInTemplates.h"
#include "store/FolderTemplateTree.h"
#include "ui/common/Style.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QTextLayout>
#include <QVBoxLayout>

#include <memory>
#include <vector>

namespace {

constexpr int boxPadding = 8;
constexpr qreal boxRadius = 6;
constexpr qreal chipRadius = 4;
// The page shows the beginning of a long template only: laying out a megabyte of text (one unbroken
// line of it most of all) would hold the window up for minutes.
constexpr qsizetype previewCharacters = 16 * 1024;
constexpr int previewLines = 400;

struct Variable {
    const char* chip;
    const char* description;
};

// The texts of a template's preview; the variables' descriptions are translated where they are shown.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(TemplateDetailView)

public:
    QString edit = tr("&Edit");
    QString content = tr("Template Content");
    QString empty = tr("(empty file)");
    QString variables = tr("Supported Variables");
    QString folderContent = tr("Folder Contents");
    QString emptyFolder = tr("(empty folder)");
    QString openFolder = tr("Open Fo&lder");
    QString openFolderHint = tr("Change what new folders hold in the file manager");
    QString ownName = tr("New files named “%1”");
    QString ownFolderName = tr("New folders named “%1”");
    QString inGroup = tr("Listed under “%1”");
};

constexpr Variable variables[] = {
    {"{{date}}", QT_TRANSLATE_NOOP("TemplateDetailView", "Current date")},
    {"{{time}}", QT_TRANSLATE_NOOP("TemplateDetailView", "Current time")},
    {"{{folder}}", QT_TRANSLATE_NOOP("TemplateDetailView", "Folder name")},
    {"{{username}}", QT_TRANSLATE_NOOP("TemplateDetailView", "Your full name")},
    {"{{year}}", QT_TRANSLATE_NOOP("TemplateDetailView", "4-digit year")},
};

// The beginning of `content` that the page shows, with "…" on a line of its own after a cut.
QString preview(const QString& content)
{
    qsizetype end = qMin(content.size(), previewCharacters);
    for (qsizetype i = 0, lines = 0; i < end; ++i) {
        if (content.at(i) == QLatin1Char('\n') && ++lines == previewLines && i + 1 < content.size())
            end = i;
    }
    if (end == content.size())
        return content;
    if (content.at(end - 1).isHighSurrogate()) // never half a character
        --end;
    return content.left(end) + QStringLiteral("\n…");
}

// A rounded panel in the text-background colour with a faint outline; its children sit inside the padding.
class RoundedBox final : public QWidget {
public:
    explicit RoundedBox(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("contentBox"));
        setContentsMargins(boxPadding, boxPadding, boxPadding, boxPadding);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF outline = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(Style::secondary(palette(), 0.2), 1));
        painter.setBrush(palette().color(QPalette::Base));
        painter.drawRoundedRect(outline, boxRadius, boxRadius);
    }
};

// Plain text drawn line by line, wrapping at word boundaries and inside words too long for a line,
// so the page never needs to scroll sideways. Its height follows its width, which lets the page
// (not the box) scroll. Nothing in the text is ever interpreted: it is laid out as characters.
class PlainTextBlock final : public QWidget {
public:
    PlainTextBlock(QString text, const QFont& font, QPalette::ColorRole role, QWidget* parent)
        : QWidget(parent), m_text(std::move(text))
    {
        // Painted text is invisible to assistive technology unless named.
        setAccessibleName(m_text);
        setFont(font);
        setForegroundRole(role);
        QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return layOut(width); }
    QSize sizeHint() const override
    {
        const int width = fontMetrics().averageCharWidth() * 60;
        return {width, heightForWidth(width)};
    }
    QSize minimumSizeHint() const override
    {
        return {fontMetrics().averageCharWidth() * 8, fontMetrics().lineSpacing()};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        layOut(width());
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        for (const auto& line : m_lines)
            line->draw(&painter, QPointF(0, 0));
    }
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::FontChange)
            m_laidOutWidth = -1;
        QWidget::changeEvent(event);
    }

private:
    // Lays the text out for `width` (remembering the result for that width) and returns its height.
    int layOut(int width) const
    {
        if (width == m_laidOutWidth)
            return m_height;
        const QFontMetricsF metrics(font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setTabStopDistance(metrics.horizontalAdvance(QLatin1Char(' ')) * 4);
        m_lines.clear();
        qreal y = 0;
        // One layout per line of the text, so a line feed always starts a new line and an empty line keeps its
        // height. A final line feed ends the last line rather than opening an empty one, as in a text editor.
        QStringList paragraphs = m_text.split(QLatin1Char('\n'));
        if (paragraphs.size() > 1 && paragraphs.last().isEmpty())
            paragraphs.removeLast();
        for (const QString& paragraph : std::as_const(paragraphs)) {
            auto layout = std::make_unique<QTextLayout>(paragraph, font());
            layout->setTextOption(option);
            layout->setCacheEnabled(true);
            layout->beginLayout();
            for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
                line.setLineWidth(qMax(width, 1));
                line.setPosition(QPointF(0, y));
                y += metrics.lineSpacing();
            }
            layout->endLayout();
            m_lines.push_back(std::move(layout));
        }
        m_laidOutWidth = width;
        m_height = qCeil(y);
        return m_height;
    }

    QString m_text;
    mutable std::vector<std::unique_ptr<QTextLayout>> m_lines;
    mutable int m_laidOutWidth = -1;
    mutable int m_height = 0;
};

// A variable's name on a tinted, rounded background.
class Chip final : public QLabel {
public:
    Chip(const QString& text, QWidget* parent) : QLabel(text, parent)
    {
        setObjectName(QStringLiteral("variableChip"));
        setTextFormat(Qt::PlainText);
        setFont(Style::monospaced(Style::caption));
        setContentsMargins(6, 2, 6, 2);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        {
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            QColor tint = palette().color(QPalette::Highlight);
            tint.setAlphaF(0.12f);
            painter.setPen(Qt::NoPen);
            painter.setBrush(tint);
            painter.drawRoundedRect(QRectF(rect()), chipRadius, chipRadius);
        }
        QLabel::paintEvent(event);
    }
};

QVBoxLayout* section(const QString& heading, const QString& name, QWidget* host)
{
    auto* column = new QVBoxLayout(host);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(Style::label(heading, Style::font(host->font(), Style::headline, QFont::DemiBold), name, host));
    return column;
}

} // namespace

TemplateDetailView::TemplateDetailView(const FileTemplate& fileTemplate, std::function<void()> onEdit,
                                       std::function<void()> onOpenFolder, QWidget* parent)
    : QScrollArea(parent), m_template(fileTemplate), m_onEdit(std::move(onEdit)),
      m_onOpenFolder(std::move(onOpenFolder))
{
    setObjectName(QStringLiteral("templateDetailView"));
    setAccessibleName(shownName(fileTemplate)); // a Tab stop, for scrolling a long preview by keys
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(true);
    viewport()->setBackgroundRole(QPalette::Window);
    Style::makeSlim(verticalScrollBar());

    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("detailPage"));
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(Style::padding, Style::padding, Style::padding, Style::padding);
    column->setSpacing(16);
    column->addWidget(header(page));
    column->addWidget(Style::divider(page));
    column->addWidget(fileTemplate.isFolder ? folderSection(page) : contentSection(page));
    column->addWidget(variablesSection(page));
    column->addStretch(1);
    setWidget(page);
}

QWidget* TemplateDetailView::header(QWidget* page)
{
    auto* host = new QWidget(page);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    // Any name, however long and with or without spaces, wraps within the page: the page never
    // widens and the Edit button stays in view.
    auto* name = new PlainTextBlock(shownName(m_template), Style::font(font(), Style::title2, QFont::Bold),
                                    QPalette::WindowText, host);
    name->setObjectName(QStringLiteral("detailName"));
    titles->addWidget(name);
    titles->addWidget(Style::secondaryLabel(
        m_template.fileExtension.isEmpty() ? QString() : QLatin1Char('.') + m_template.fileExtension,
        Style::font(font(), Style::subheadline), QStringLiteral("detailExtension"), host));
    QStringList naming;
    if (!m_template.baseName.isEmpty())
        naming.append((m_template.isFolder ? Texts().ownFolderName : Texts().ownName).arg(m_template.baseName));
    if (!m_template.group.isEmpty())
        naming.append(Texts().inGroup.arg(m_template.group));
    if (!naming.isEmpty()) {
        QLabel* line = Style::secondaryLabel(naming.join(QStringLiteral("  ·  ")), Style::font(font(), Style::caption),
                                             QStringLiteral("detailNaming"), host);
        line->setWordWrap(true);
        titles->addWidget(line);
    }

    auto* row = new QHBoxLayout(host);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(titles, 1);
    if (!m_template.isBuiltIn) {
        auto* edit = new QPushButton(Texts().edit, host);
        edit->setObjectName(QStringLiteral("editButton"));
        Style::giveTitleRoom(edit);
        connect(edit, &QPushButton::clicked, this, [this] {
            if (m_onEdit)
                m_onEdit();
        });
        row->addWidget(edit, 0, Qt::AlignVCenter);
    }
    if (m_template.isFolder) {
        auto* open = new QPushButton(Texts().openFolder, host);
        open->setObjectName(QStringLiteral("openFolderButton"));
        open->setToolTip(Texts().openFolderHint);
        Style::giveTitleRoom(open);
        connect(open, &QPushButton::clicked, this, [this] {
            if (m_onOpenFolder)
                m_onOpenFolder();
        });
        row->addWidget(open, 0, Qt::AlignVCenter);
    }
    return host;
}

QWidget* TemplateDetailView::folderSection(QWidget* page)
{
    // As the file manager would show the tree: each item under its folder, indented, folders marked.
    QStringList lines;
    for (const QString& entry : FolderTemplateTree().entries(m_template.id)) {
        const QString path = entry.endsWith(QLatin1Char('/')) ? entry.chopped(1) : entry;
        lines.append(QStringLiteral("    ").repeated(path.count(QLatin1Char('/'))) +
                     path.section(QLatin1Char('/'), -1) +
                     (entry.endsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString()));
    }
    return boxedSection(page, Texts().folderContent, lines.join(QLatin1Char('\n')), Texts().emptyFolder);
}

QWidget* TemplateDetailView::contentSection(QWidget* page)
{
    return boxedSection(page, Texts().content, m_template.content.isEmpty() ? QString() : preview(m_template.content),
                        Texts().empty);
}

QWidget* TemplateDetailView::boxedSection(QWidget* page, const QString& title, const QString& text,
                                          const QString& emptyNote)
{
    auto* host = new QWidget(page);
    QVBoxLayout* column = section(title, QStringLiteral("contentHeading"), host);
    auto* box = new RoundedBox(host);
    auto* inside = new QVBoxLayout(box);
    inside->setContentsMargins(0, 0, 0, 0);
    if (text.isEmpty()) {
        QFont italic = Style::font(font(), Style::body);
        italic.setItalic(true);
        inside->addWidget(Style::secondaryLabel(emptyNote, italic, QStringLiteral("emptyContent"), box));
        // Only as wide as the note itself.
        column->addWidget(box, 0, Qt::AlignLeft);
    } else {
        auto* block = new PlainTextBlock(text, Style::monospaced(Style::footnote), QPalette::Text, box);
        block->setObjectName(QStringLiteral("contentText"));
        inside->addWidget(block);
        column->addWidget(box);
    }
    return host;
}

QWidget* TemplateDetailView::variablesSection(QWidget* page)
{
    auto* host = new QWidget(page);
    QVBoxLayout* column = section(Texts().variables, QStringLiteral("variablesHeading"), host);
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    for (int column = 0; column < 2; ++column) {
        grid->setColumnStretch(column, 1);
        grid->setColumnMinimumWidth(column, 10);
    }
    int index = 0;
    for (const Variable& variable : variables) {
        auto* cell = new QHBoxLayout;
        cell->setSpacing(6);
        cell->addWidget(new Chip(QString::fromUtf8(variable.chip), host));
        cell->addWidget(Style::secondaryLabel(Texts::tr(variable.description), Style::font(font(), Style::caption),
                                              QStringLiteral("variableDescription"), host));
        grid->addLayout(cell, index / 2, index % 2, Qt::AlignLeft | Qt::AlignVCenter);
        ++index;
    }
    column->addLayout(grid);
    return host;
}
