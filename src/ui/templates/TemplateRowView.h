#pragma once

#include "model/FileTemplate.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class TemplateManager;

// One row of the template list: the switch that turns a built-in on or off, the template's name and,
// under it, its extension. The switch is bound to the stored enabled set, not to a copy: it is read
// afresh on every refresh, and a click writes the set back at once.
class TemplateRowView : public QWidget {
    Q_OBJECT

public:
    TemplateRowView(TemplateManager& manager, const FileTemplate& fileTemplate, QWidget* parent = nullptr);

    const FileTemplate& fileTemplate() const { return m_template; }

    // A custom template is always on; a built-in is on while its id is in the stored enabled set.
    bool isOn() const;
    // Adds the id to the stored enabled set or removes it (whatever kind of template this is), then
    // tells every view bound to the manager that stored state changed.
    void setOn(bool on);
    // Shows the stored state in the switch again.
    void refresh();
    // Draws the texts for a highlighted row.
    void setSelected(bool selected);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elideName();

    TemplateManager& m_manager;
    FileTemplate m_template;
    QCheckBox* m_toggle;
    QLabel* m_name;
    QLabel* m_extension;
};
