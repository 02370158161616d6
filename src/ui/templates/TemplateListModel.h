#pragma once

#include "model/FileTemplate.h"

#include <QAbstractListModel>
#include <QList>

#include <optional>

class TemplateManager;

// The rows of the Templates tab as one flat list: a "Built-in" header and the built-ins, then, when
// there are any, a "Custom" header and the user's templates in their stored order. A built-in's
// check state is its place in the stored enabled set; a custom template is always on. Only custom
// rows move, and only among themselves: every move is handed to the store at once, so the store
// stays the one place where the order is kept, and the manager's later refresh finds nothing to redo.
class TemplateListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1, // the template's QUuid; none on a header
        ExtensionRole,             // what the row says under the name: ".txt" or "folder", and the group
        FolderRole,                // true on a folder template's row
        HeaderRole,                // true on a section header
    };

    explicit TemplateListModel(TemplateManager& manager, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // `destinationChild` counts rows before the move, as beginMoveRows does.
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count, const QModelIndex& destinationParent,
                  int destinationChild) override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    // Drops are moves within the list, made through moveRows by the view; nothing arrives as data.
    bool dropMimeData(const QMimeData*, Qt::DropAction, int, int, const QModelIndex&) override { return false; }

    std::optional<FileTemplate> templateAt(int row) const;
    QModelIndex indexOf(const QUuid& id) const;
    // The row's position among the custom templates, or -1 for a header or a built-in.
    qsizetype customPosition(int row) const;
    bool isHeader(int row) const;

    // Brings the rows up to the manager's custom templates and the stored enabled set.
    void reload();

private:
    int firstCustomRow() const;
    bool isOn(const FileTemplate& shown) const;

    TemplateManager& m_manager;
    QList<FileTemplate> m_builtIns;
    QList<FileTemplate> m_custom;
};
