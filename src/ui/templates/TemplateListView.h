#pragma once

#include <QListView>

class TemplateListModel;

// The list of the Templates tab over a TemplateListModel. The arrow keys, Home, End and the page
// keys move through the rows of both sections as one list and never rest on a header; Space
// switches a built-in on or off; Alt (or Ctrl) with Up or Down moves a custom row, as dragging does;
// Delete or Backspace asks to delete the custom row the keyboard is on.
class TemplateListView final : public QListView {
    Q_OBJECT

public:
    TemplateListView(TemplateListModel& model, QWidget* parent = nullptr);

Q_SIGNALS:
    void deleteRequested(qsizetype customPosition);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    TemplateListModel& m_model;
};
