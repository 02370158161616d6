#pragma once

#include "model/FileTemplate.h"

#include <QScrollArea>

#include <functional>

// The read-only page for one template: its name and extension, its body exactly as stored (variables
// unexpanded, rich text uninterpreted) and a reminder of the variables a body may hold. Custom
// templates get an Edit button. The page scrolls as a whole; the body's box never scrolls on its own.
// Holds no state: the pane builds a new page for every record it shows.
class TemplateDetailView : public QScrollArea {
    Q_OBJECT

public:
    // `onEdit` runs once per press of Edit; an empty one does nothing.
    TemplateDetailView(const FileTemplate& fileTemplate, std::function<void()> onEdit, QWidget* parent = nullptr);

    const FileTemplate& fileTemplate() const { return m_template; }

private:
    QWidget* header(QWidget* page);
    QWidget* contentSection(QWidget* page);
    QWidget* variablesSection(QWidget* page);

    FileTemplate m_template;
    std::function<void()> m_onEdit;
};
