#pragma once

#include <QWidget>

class FolderPicker;
class QLabel;
class QLineEdit;
class TemplateManager;
class UserAccount;
class Workspace;

// The General tab of the Settings window, a grouped form: whether folder access is granted (with the
// button that grants or renews it), the base name of new files with an example of the names it gives,
// how to turn the file manager extension on, and why the context menu is missing in synchronised
// folders. The base name and the grant are read from the store each time the pane comes on screen,
// and the grant again after the picker and whenever the manager announces a change; unlike the
// welcome window, the pane does not watch the application becoming active.
class GeneralSettingsView : public QWidget {
    Q_OBJECT

public:
    GeneralSettingsView(TemplateManager& manager, FolderPicker& picker, Workspace& workspace,
                        const UserAccount& account, QWidget* parent = nullptr);

    // The text of the base-name field, untrimmed.
    QString baseName() const;
    bool hasAccess() const { return m_hasAccess; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* folderAccessSection();
    QWidget* fileNamingSection();
    QWidget* extensionSection(Workspace& workspace);
    QWidget* syncedFoldersSection();

    void load();
    void baseNameChanged(const QString& text);
    // Stores the field's text without surrounding spaces; a blank field keeps the stored name.
    void saveBaseName();
    void setHasAccess(bool granted);
    void requestAccess();

    TemplateManager& m_manager;
    FolderPicker& m_picker;
    const UserAccount& m_account;
    bool m_hasAccess = false;
    QWidget* m_grantedForm = nullptr;
    QWidget* m_requiredForm = nullptr;
    QLineEdit* m_baseNameField = nullptr;
    QLabel* m_namingExample = nullptr;
};
