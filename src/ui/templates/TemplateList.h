#pragma once

#include <QList>
#include <QTreeWidget>

#include <functional>

class DropIndicator;

// The list of the Templates tab: a "Built-in" section and, after it, a "Custom" section, each row a
// widget of its own. Only rows of the "Custom" section can be dragged, and they land only between
// rows of that same section; the drop itself moves nothing here but hands positions to `moveRows`,
// so the store stays the one place where the order changes. Delete or Backspace hands the row with
// the keyboard focus to `deleteRows` when it is a custom row; Space switches that row on or off.
// The arrow keys, Home, End and the page keys move through the rows of both sections as one list
// and never come to rest on a section header.
class TemplateList final : public QTreeWidget {
public:
    using DeleteRows = std::function<void(const QList<qsizetype>&)>;
    using MoveRows = std::function<void(const QList<qsizetype>&, qsizetype)>;

    TemplateList(QWidget* parent, DeleteRows deleteRows, MoveRows moveRows);

    // A section headed by `header` (which the list takes), placed where its kind belongs.
    QTreeWidgetItem* addSection(QWidget* header, bool custom);
    QTreeWidgetItem* customSection() const;
    // The item's position in the "Custom" section, or -1 for any other item.
    qsizetype customPosition(QTreeWidgetItem* item) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Landing {
        qsizetype destination = -1; // a position in the "Custom" section before the move, or -1
        int y = 0;                  // where the indicator goes, in viewport coordinates
    };

    bool ownDrag(const QDropEvent* event) const;
    Landing landingAt(const QPoint& point) const;

    DeleteRows m_deleteRows;
    MoveRows m_moveRows;
    DropIndicator* m_indicator;
};
