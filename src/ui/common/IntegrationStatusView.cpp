#include "ui/common/IntegrationStatusView.h"

#include "ui/common/StatusMark.h"
#include "ui/common/Style.h"
#include "ui/common/SymbolView.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr FileManager fileManagers[] = {FileManager::Files, FileManager::Dolphin, FileManager::Nemo, FileManager::Caja,
                                        FileManager::Thunar};

// Every text of the view, together.
QString displayName(FileManager fileManager)
{
    switch (fileManager) {
    case FileManager::Files:
        return IntegrationStatusView::tr("GNOME Files");
    case FileManager::Dolphin:
        return IntegrationStatusView::tr("Dolphin");
    case FileManager::Nemo:
        return IntegrationStatusView::tr("Nemo");
    case FileManager::Caja:
        return IntegrationStatusView::tr("Caja");
    case FileManager::Thunar:
        return IntegrationStatusView::tr("Thunar");
    }
    return {};
}

struct Texts {
    QString menuInstalled = IntegrationStatusView::tr("Menu installed");
    QString menuMissing = IntegrationStatusView::tr("Menu missing");
    QString addServiceMenu = IntegrationStatusView::tr("&Add Menu");
    // The modules come only with the package, which puts them into the system's folders.
    QString installPackage = IntegrationStatusView::tr("Install the quintara package to add the missing menus.");
    QString noFileManager =
        IntegrationStatusView::tr("No supported file manager is installed. Quintara works with GNOME Files, Dolphin, "
                                  "Nemo, Caja and Thunar.");
    QString linksName = IntegrationStatusView::tr("quintara: links");
    QString linksReachQuintara = IntegrationStatusView::tr("Open in Quintara");
    QString linksGoElsewhere = IntegrationStatusView::tr("Do not reach Quintara");
    QString claimLinks = IntegrationStatusView::tr("Make Quintara the Ha&ndler");
    QString checking = IntegrationStatusView::tr("Checking the file managers…");
};

QString rowName(FileManager fileManager)
{
    static const char* const names[] = {"filesRow", "dolphinRow", "nemoRow", "cajaRow", "thunarRow"};
    return QLatin1String(names[int(fileManager)]);
}

} // namespace

IntegrationStatusView::IntegrationStatusView(IntegrationProbe& probe, int columns, QWidget* parent)
    : QWidget(parent), m_probe(probe), m_columns(qMax(1, columns)), m_grid(new QGridLayout(this)),
      m_message(Style::secondaryLabel(Texts().checking, Style::font(font(), Style::subheadline),
                                      QStringLiteral("integrationMessage"), this))
{
    const Texts texts;
    setObjectName(QStringLiteral("integrationStatusView"));
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(16);
    m_grid->setVerticalSpacing(3);
    for (int column = 0; column < m_columns; ++column)
        m_grid->setColumnStretch(column, 1);
    m_message->setWordWrap(true);
    m_grid->addWidget(m_message, 0, 0, 1, m_columns);

    for (const FileManager fileManager : fileManagers)
        m_fileManagerRows.append(makeRow(rowName(fileManager), displayName(fileManager),
                                         fileManager == FileManager::Dolphin ? texts.addServiceMenu : QString(),
                                         &IntegrationProbe::addServiceMenu));
    m_schemeRow =
        makeRow(QStringLiteral("schemeRow"), texts.linksName, texts.claimLinks, &IntegrationProbe::claimScheme);

    connect(&m_probe, &IntegrationProbe::stateRead, this, &IntegrationStatusView::showState);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && isVisible())
            m_probe.refresh();
    });
}

bool IntegrationStatusView::isComplete() const
{
    if (!m_state || !m_state->schemeReachesQuintara)
        return false;
    const QList<FileManagerState>& all = m_state->fileManagers;
    return std::any_of(all.begin(), all.end(), [](const FileManagerState& each) { return each.installed; }) &&
           std::all_of(all.begin(), all.end(),
                       [](const FileManagerState& each) { return !each.installed || each.integrated; });
}

void IntegrationStatusView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_probe.refresh();
}

IntegrationStatusView::Row IntegrationStatusView::makeRow(const QString& objectName, const QString& name,
                                                          const QString& buttonText, void (IntegrationProbe::*fix)())
{
    const QFont font = Style::font(this->font(), Style::subheadline);
    auto* widget = new QWidget(this);
    widget->setObjectName(objectName);
    widget->hide();
    auto* mark = new SymbolView(StatusMark::symbol(false), QFontMetrics(font).height(), widget);
    mark->setObjectName(QStringLiteral("integrationMark"));
    QLabel* nameLabel = Style::label(name, Style::font(this->font(), Style::subheadline, QFont::DemiBold),
                                     QStringLiteral("integrationName"), widget);
    QLabel* state = Style::secondaryLabel(QString(), font, QStringLiteral("integrationState"), widget);
    // A link rather than a framed button: a row with one is no taller than one with text.
    auto* button = new QPushButton(buttonText, widget);
    button->setObjectName(QStringLiteral("integrationButton"));
    button->setFont(Style::font(this->font(), Style::subheadline, QFont::DemiBold));
    button->setCursor(Qt::PointingHandCursor);
    Style::follow(button, [](QWidget& target) {
        const QString sheet = QStringLiteral("QPushButton { border: none; padding: 0; color: %1; }")
                                  .arg(Style::inherited(target).color(QPalette::Link).name());
        if (target.styleSheet() != sheet)
            target.setStyleSheet(sheet);
    });
    button->hide();
    connect(button, &QPushButton::clicked, this, [this, fix] { (m_probe.*fix)(); });

    auto* line = new QHBoxLayout(widget);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(6);
    line->addWidget(mark, 0, Qt::AlignVCenter);
    line->addWidget(nameLabel, 0, Qt::AlignVCenter);
    line->addSpacing(4);
    line->addWidget(state, 0, Qt::AlignVCenter);
    line->addWidget(button, 0, Qt::AlignVCenter);
    line->addStretch(1);
    return {widget, mark, nameLabel, state, button};
}

void IntegrationStatusView::setRow(Row& row, bool done, const QString& doneText, const QString& missingText,
                                   bool buttonFixesIt)
{
    row.mark->setSymbol(StatusMark::symbol(done));
    row.mark->setColour([done](const QPalette& palette) { return StatusMark::colour(done, palette); });
    const bool offersButton = !done && buttonFixesIt;
    row.state->setText(done ? doneText : missingText);
    row.state->setVisible(!offersButton || !missingText.isEmpty());
    row.button->setVisible(offersButton);
}

void IntegrationStatusView::showState(const IntegrationState& state)
{
    const Texts texts;
    const bool wasComplete = isComplete();
    const bool first = !m_state;
    m_state = state;

    // The installed file managers fill the grid in order, so an absent one leaves no gap, and the
    // names of each column line up.
    for (const Row& row : std::as_const(m_fileManagerRows))
        m_grid->removeWidget(row.widget);
    m_grid->removeWidget(m_message);
    m_grid->removeWidget(m_schemeRow.widget);
    QList<QList<QLabel*>> names(m_columns);
    names[0].append(m_schemeRow.name);
    int placed = 0;
    bool modulesMissing = false;
    for (Row& row : m_fileManagerRows) {
        const FileManager fileManager = fileManagers[&row - m_fileManagerRows.data()];
        const auto found =
            std::find_if(state.fileManagers.begin(), state.fileManagers.end(),
                         [fileManager](const FileManagerState& each) { return each.fileManager == fileManager; });
        const bool installed = found != state.fileManagers.end() && found->installed;
        row.widget->setVisible(installed);
        if (!installed)
            continue;
        const bool dolphin = fileManager == FileManager::Dolphin;
        setRow(row, found->integrated, texts.menuInstalled, dolphin ? QString() : texts.menuMissing, dolphin);
        modulesMissing = modulesMissing || (!found->integrated && !dolphin);
        names[placed % m_columns].append(row.name);
        m_grid->addWidget(row.widget, placed / m_columns, placed % m_columns);
        ++placed;
    }
    for (const QList<QLabel*>& column : std::as_const(names)) {
        int width = 0;
        for (const QLabel* name : column)
            width = qMax(width, name->sizeHint().width());
        for (QLabel* name : column)
            name->setMinimumWidth(width);
    }

    const int nextLine = (placed + m_columns - 1) / m_columns;
    m_message->setText(placed == 0 ? texts.noFileManager : texts.installPackage);
    m_message->setVisible(placed == 0 || modulesMissing);
    m_grid->addWidget(m_message, nextLine, 0, 1, m_columns);
    setRow(m_schemeRow, state.schemeReachesQuintara, texts.linksReachQuintara, texts.linksGoElsewhere, true);
    m_schemeRow.widget->show();
    m_grid->addWidget(m_schemeRow.widget, nextLine + 1, 0, 1, m_columns);

    if (first || wasComplete != isComplete())
        Q_EMIT completeChanged(isComplete());
}
