#pragma once

#include "model/FileTemplate.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The sheet in which the user writes a custom template: name, extension, its files' own base name,
// the group it is listed under, and content. It edits its
// own copy (the draft), cleans the extension as it is typed, and hands the finished record back
// through `onSave` exactly once when the user confirms; storing it is the caller's business.
// The draft's id and isBuiltIn are never shown and never changed.
//
// Tab in the content editor inserts a tab character, since a template's body is file content
// (makefiles, indented code); Shift+Tab leaves the editor for the fields above.
class TemplateEditorView : public QDialog {
    Q_OBJECT

public:
    // `isNew` decides only the title and the confirm button's text. Shown over the parent's window,
    // which it blocks while open; the caller calls open().
    TemplateEditorView(const FileTemplate& draft, bool isNew, std::function<void(const FileTemplate&)> onSave,
                       QWidget* parent = nullptr);

    const FileTemplate& draft() const { return m_draft; }
    bool isNew() const { return m_isNew; }
    // The groups offered for choosing (the others' groups, in list order) and the base name a new
    // file gets when this template has none of its own.
    void setChoices(const QStringList& groupsInUse, const QString& defaultBaseName);
    // Both the name and the extension hold something besides white space.
    bool isValid() const;

public Q_SLOTS:
    // Trims the name, base name and group, cleans and lower-cases the extension, hands the draft to `onSave` and
    // closes.
    void saveDraft();

private:
    QWidget* fields();
    QWidget* contentArea();
    QWidget* folderNote();
    QWidget* buttonBar();
    void extensionEdited(const QString& text);
    void updateConfirmButton();

    FileTemplate m_draft;
    bool m_isNew;
    std::function<void(const FileTemplate&)> m_onSave;
    bool m_saved = false;
    QLineEdit* m_nameField = nullptr;
    QLineEdit* m_extensionField = nullptr;
    QLineEdit* m_baseNameField = nullptr;
    QComboBox* m_groupField = nullptr;
    QPlainTextEdit* m_contentEditor = nullptr;
    QPushButton* m_confirmButton = nullptr;
};
