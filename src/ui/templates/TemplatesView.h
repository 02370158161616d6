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
class QStackedWidget;
class QToolButton;
class QTreeWidgetItem;
class TemplateDetailView;
class TemplateList;
class TemplateManager;
class TemplateRowView;

// The Templates tab: the list of templates on the left (the eight built-ins, then the user's custom
// templates, if any) with add, delete and import buttons under it, and the selected template's page
// on the right. Custom templates are added and edited in an editor sheet, deleted with the button or the
// Delete key, and reordered by dragging; every change goes through the store, and the list follows
// the manager when it catches up on a later turn of the event loop.
//
// The selection is a whole record, not an identifier: a row is selected when its record equals the
// selection in every field, which is why every save selects the saved record.
class TemplatesView : public QWidget {
    Q_OBJECT

public:
    TemplatesView(TemplateManager& manager, FilePicker& picker, QWidget* parent = nullptr);

    const std::optional<FileTemplate>& selection() const { return m_selection; }
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
    // Removes every custom template with the selected id; built-ins are never deleted.
    void deleteSelectedTemplate();
    // Rows of the "Custom" section, by position in the manager's list. Deleting clears the selection,
    // whichever rows went; moving keeps it. The destination counts positions before the move.
    void deleteCustomRows(const QList<qsizetype>& rows);
    void moveCustomRows(const QList<qsizetype>& rows, qsizetype destination);

    // Asks for files in the user's templates folder, imports them and shows what became of each.
    void importTemplates();
    void importFiles(const QStringList& paths);
    // Selects the last template the import stored, if any.
    void selectImported(const QList<TemplateImporter::Outcome>& outcomes);
    // A message over the view: what was imported, and what was refused and why.
    void showImportSummary(const QList<TemplateImporter::Outcome>& outcomes);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* sidebar();
    // The custom section always follows the built-in one.
    QTreeWidgetItem* addSection(const QString& title, bool custom);
    void addRow(QTreeWidgetItem* section, const FileTemplate& fileTemplate);
    TemplateRowView* rowView(QTreeWidgetItem* item) const;
    // Brings the list up to the manager's custom templates and the store's enabled set.
    void reload();
    void rebuildCustomSection();
    void setSelection(const std::optional<FileTemplate>& selection);
    // Marks the row equal to the selection, if one is listed.
    void showSelectionInList();
    void showDetail();
    void showEditor();
    void listSelectionChanged();

    TemplateManager& m_manager;
    FilePicker& m_picker;
    std::optional<FileTemplate> m_selection;
    bool m_showingEditor = false;
    std::optional<FileTemplate> m_templateToEdit;

    TemplateList* m_list = nullptr;
    QTreeWidgetItem* m_customSection = nullptr;
    QList<FileTemplate> m_listedCustom;
    // Set while the view itself changes the list, whose selection signals must not reach the selection then.
    bool m_updatingList = false;
    QToolButton* m_deleteButton = nullptr;
    QStackedWidget* m_detailPane = nullptr;
    QWidget* m_placeholder = nullptr;
    TemplateDetailView* m_detail = nullptr;
    QPointer<TemplateEditorView> m_editor;
    QPointer<QMessageBox> m_importSummary;
};
