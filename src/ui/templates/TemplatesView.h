#pragma once

#include "model/FileTemplate.h"
#include "store/TemplateImporter.h"
#include "ui/templates/TemplateEditorView.h"

#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <optional>

class FilePicker;
class Workspace;
class QStackedWidget;
class QToolButton;
class TemplateDetailView;
class TemplateListModel;
class TemplateListView;
class TemplateManager;

// The Templates tab: the list of templates on the left (the eight built-ins, then the user's custom
// templates, if any) with add, delete and import buttons under it, and the selected template's page
// on the right. Custom templates are added and edited in an editor sheet, deleted with the button or the
// Delete key (Undo brings them back until the window closes), and reordered by dragging or by keys;
// every change goes through the store, and the list follows the manager when it catches up on a
// later turn of the event loop. The selection is a template's id: it stays on the template through
// edits and moves.
class TemplatesView : public QWidget {
    Q_OBJECT

public:
    TemplatesView(TemplateManager& manager, FilePicker& picker, Workspace& workspace, QWidget* parent = nullptr);
    ~TemplatesView() override;

    // The selected template as listed now.
    std::optional<FileTemplate> selection() const;
    bool showingEditor() const { return m_showingEditor; }
    // The open editor sheet, if any.
    TemplateEditorView* editor() const { return m_editor; }
    // The summary of the last import, while it is open.
    QMessageBox* importSummary() const { return m_importSummary; }

public Q_SLOTS:
    // Opens the editor on a fresh "My Template"; nothing is stored unless the editor saves.
    void addTemplate();
    // Opens the editor on `fileTemplate`: in edit mode when it is one of the custom templates.
    void editTemplate(const FileTemplate& fileTemplate);
    // Updates the custom template with the same id, or appends a new one; then selects it.
    void saveTemplate(const FileTemplate& fileTemplate);
    // Removes the selected custom template; built-ins are never deleted.
    void deleteSelectedTemplate();
    // Removes the custom template at this position in the manager's list, and clears the selection.
    void deleteCustomTemplate(qsizetype position);
    // Puts the last deleted template back where it was, and selects it.
    void undoDelete();

    // Asks for files in the user's templates folder, imports them and shows what became of each.
    void importTemplates();
    void importFiles(const QStringList& paths);
    // Selects the last template the import stored, if any.
    void selectImported(const QList<TemplateImporter::Outcome>& outcomes);
    // A message over the view: what was imported, and what was refused and why.
    void showImportSummary(const QList<TemplateImporter::Outcome>& outcomes);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* sidebar();
    // Brings the list up to the manager's custom templates and the store's enabled set.
    void reload();
    void setSelection(const std::optional<QUuid>& id);
    // Marks the selected template's row, if it is listed.
    void showSelectionInList();
    void showUndo();
    // Ends the undoing of deletions: the trees of deleted folder templates go too.
    void forgetDeleted();
    void showDetail();
    void showEditor();
    void listSelectionChanged();

    TemplateManager& m_manager;
    FilePicker& m_picker;
    Workspace& m_workspace;
    std::optional<QUuid> m_selection;
    bool m_showingEditor = false;
    std::optional<FileTemplate> m_templateToEdit;

    TemplateListModel* m_model = nullptr;
    TemplateListView* m_list = nullptr;
    // Set while the view itself changes the list, whose selection signals must not reach the selection then.
    bool m_updatingList = false;
    // Deleted templates with their positions, the last deleted at the end.
    QList<std::pair<qsizetype, FileTemplate>> m_deleted;
    QToolButton* m_deleteButton = nullptr;
    QToolButton* m_undoButton = nullptr;
    QStackedWidget* m_detailPane = nullptr;
    QWidget* m_placeholder = nullptr;
    TemplateDetailView* m_detail = nullptr;
    QPointer<TemplateEditorView> m_editor;
    QPointer<QMessageBox> m_importSummary;
};
