#include "ui/templates/TemplateListModel.h"

#include "model/BuiltInTemplates.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"

#include <QCoreApplication>
#include <QMimeData>

#include <algorithm>

namespace {

const QString rowsMimeType = QStringLiteral("application/x-quintara-custom-rows");

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(TemplatesView)

public:
    QString builtIn = tr("Built-in");
    QString custom = tr("Custom");
    static QString builtInKind(const QString& extension, bool on)
    {
        return (on ? tr("Built-in template, %1, on") : tr("Built-in template, %1, off")).arg(extension);
    }
    static QString customKind(const QString& extension) { return tr("Custom template, %1").arg(extension); }
    static QString folder() { return tr("folder"); }
    static QString reorderHint() { return tr("Drag, or press Alt+Up or Alt+Down, to move it"); }
};

bool sameIds(const QList<FileTemplate>& a, const QList<FileTemplate>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const FileTemplate& x, const FileTemplate& y) { return x.id == y.id; });
}

} // namespace

TemplateListModel::TemplateListModel(TemplateManager& manager, QObject* parent)
    : QAbstractListModel(parent), m_manager(manager), m_builtIns(builtInTemplates()),
      m_custom(manager.customTemplates())
{}

bool TemplateListModel::isOn(const FileTemplate& shown) const
{
    return !shown.isBuiltIn || m_manager.store().enabledBuiltIns().contains(shown.idText());
}

int TemplateListModel::firstCustomRow() const
{
    return int(m_builtIns.size()) + 2;
}

int TemplateListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(1 + m_builtIns.size() + (m_custom.isEmpty() ? 0 : 1 + m_custom.size()));
}

bool TemplateListModel::isHeader(int row) const
{
    return row == 0 || (!m_custom.isEmpty() && row == firstCustomRow() - 1);
}

qsizetype TemplateListModel::customPosition(int row) const
{
    return row >= firstCustomRow() && row < rowCount() ? row - firstCustomRow() : -1;
}

std::optional<FileTemplate> TemplateListModel::templateAt(int row) const
{
    if (row >= 1 && row <= m_builtIns.size())
        return m_builtIns.at(row - 1);
    if (const qsizetype position = customPosition(row); position >= 0)
        return m_custom.at(position);
    return std::nullopt;
}

QModelIndex TemplateListModel::indexOf(const QUuid& id) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (const auto shown = templateAt(row); shown && shown->id == id)
            return index(row);
    }
    return {};
}

QVariant TemplateListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    if (isHeader(row)) {
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return row == 0 ? Texts().builtIn : Texts().custom;
        return role == HeaderRole ? QVariant(true) : QVariant();
    }
    const FileTemplate shown = *templateAt(row);
    QStringList kind{shown.isFolder                  ? Texts::folder()
                     : shown.fileExtension.isEmpty() ? QString()
                                                     : QLatin1Char('.') + shown.fileExtension};
    if (!shown.group.isEmpty())
        kind.append(shown.group);
    kind.removeAll(QString());
    const QString extension = kind.join(QStringLiteral("  ·  "));
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return shownName(shown);
    case Qt::AccessibleDescriptionRole:
        // The state is said in words too: a list row is not announced as a switch that is off.
        return shown.isBuiltIn ? Texts::builtInKind(extension, isOn(shown)) : Texts::customKind(extension);
    case Qt::ToolTipRole:
        // The full name, which a narrow list may cut short, and how a movable row moves.
        return shown.isBuiltIn ? shownName(shown) : shown.name + QLatin1Char('\n') + Texts::reorderHint();
    case Qt::CheckStateRole:
        return isOn(shown) ? Qt::Checked : Qt::Unchecked;
    case IdRole:
        return shown.id;
    case ExtensionRole:
        return extension;
    case FolderRole:
        return shown.isFolder;
    case HeaderRole:
        return false;
    default:
        return {};
    }
}

bool TemplateListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const auto shown = index.isValid() ? templateAt(index.row()) : std::nullopt;
    if (role != Qt::CheckStateRole || !shown || !shown->isBuiltIn)
        return false;
    TemplateStore& store = m_manager.store();
    QSet<QString> enabled = store.enabledBuiltIns();
    if (value.value<Qt::CheckState>() == Qt::Checked)
        enabled.insert(shown->idText());
    else
        enabled.remove(shown->idText());
    store.setEnabledBuiltIns(enabled);
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole, Qt::AccessibleDescriptionRole});
    m_manager.announceChange();
    return true;
}

Qt::ItemFlags TemplateListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    const int row = index.row();
    if (isHeader(row))
        return Qt::ItemIsEnabled;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return result | (customPosition(row) >= 0 ? Qt::ItemIsDragEnabled : Qt::ItemIsUserCheckable);
}

bool TemplateListModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                                 const QModelIndex& destinationParent, int destinationChild)
{
    const qsizetype from = customPosition(sourceRow);
    const qsizetype to = destinationChild - firstCustomRow();
    if (sourceParent.isValid() || destinationParent.isValid() || count < 1 || from < 0 ||
        from + count > m_custom.size() || to < 0 || to > m_custom.size() || (to >= from && to <= from + count))
        return false;
    if (!beginMoveRows({}, sourceRow, sourceRow + count - 1, {}, destinationChild))
        return false;
    QList<qsizetype> positions;
    for (qsizetype p = from; p < from + count; ++p)
        positions.append(p);
    // The same rule as the store's: the destination counts positions before the move.
    const qsizetype insertAt = to > from ? to - count : to;
    const QList<FileTemplate> moved = m_custom.mid(from, count);
    m_custom.remove(from, count);
    for (qsizetype i = 0; i < moved.size(); ++i)
        m_custom.insert(insertAt + i, moved.at(i));
    m_manager.store().moveTemplates(positions, to);
    endMoveRows();
    return true;
}

QStringList TemplateListModel::mimeTypes() const
{
    return {rowsMimeType};
}

QMimeData* TemplateListModel::mimeData(const QModelIndexList& indexes) const
{
    QByteArray rows;
    for (const QModelIndex& index : indexes) {
        if (customPosition(index.row()) < 0)
            return nullptr;
        rows += QByteArray::number(index.row()) + ' ';
    }
    auto* mime = new QMimeData;
    mime->setData(rowsMimeType, rows);
    return mime;
}

bool TemplateListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                        const QModelIndex& parent) const
{
    // Between two custom rows, after the last, or in the empty space below the list.
    return action == Qt::MoveAction && data && data->hasFormat(rowsMimeType) && !parent.isValid() &&
           !m_custom.isEmpty() && (row == -1 || (row >= firstCustomRow() && row <= rowCount()));
}

void TemplateListModel::reload()
{
    const QList<FileTemplate>& current = m_manager.customTemplates();
    if (!sameIds(current, m_custom)) {
        beginResetModel();
        m_custom = current;
        endResetModel();
        return;
    }
    m_custom = current;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0), index(rowCount() - 1));
}
