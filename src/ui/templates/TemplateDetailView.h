#pragma once

#include "model/FileTemplate.h"

#include <QScrollArea>

#include <functional>

// The read-only page for one template: its name and extension, its body exactly as stored (variables
// unexpanded, rich text uninterpreted), or a folder template's tree, and a reminder of the variables a
// body may hold. Custom templates get an Edit button, folder templates one that opens their folder. The page scrolls as
// a whole; the body's box never scrolls on its own. Holds no state: the pane builds a new page for every record it
// shows.
class TemplateDetailView : public QScrollArea {
    Q_OBJECT

public:
    // `onEdit` runs once per press of Edit, `onOpenFolder` of a folder template's Open Folder; an
    // empty one does nothing.
    TemplateDetailView(const FileTemplate& fileTemplate, std::function<void()> onEdit,
                       std::function<void()> onOpenFolder = {}, QWidget* parent = nullptr);

    const FileTemplate& fileTemplate() const { return m_template; }

private:
    QWidget* header(QWidget* page);
    QWidget* contentSection(QWidget* page);
    QWidget* folderSection(QWidget* page);
    // A heading over a rounded box of monospaced text, or of `emptyNote` when there is none.
    QWidget* boxedSection(QWidget* page, const QString& title, const QString& text, const QString& emptyNote);
    QWidget* variablesSection(QWidget* page);

    FileTemplate m_template;
    std::function<void()> m_onEdit;
    std::function<void()> m_onOpenFolder;
};
