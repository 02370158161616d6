#pragma once

#include <QWidget>

class FolderPicker;
class IntegrationProbe;
class QCheckBox;
class QLabel;
class QLineEdit;
class TemplateManager;
class UserAccount;
class Workspace;

// The General tab of the Settings window, a grouped form: whether folder access is granted (with the
// button that grants or renews it), the base name of new files with an example of the names it gives,
// whether to ask for each new file's name, whether each installed file manager has Quintara's menu and quintara: links
// reach it, and where the context menu can create files and where it does not appear. The base name, the switch and the
// grant are read from the store each time the pane comes on screen, and the grant again after the picker and whenever
// the manager announces a change; unlike the welcome window, the pane does not watch the application
// becoming active for them (the file managers' state it reads then too).
class GeneralSettingsView : public QWidget {
    Q_OBJECT

public:
    GeneralSettingsView(TemplateManager& manager, FolderPicker& picker, Workspace& workspace,
                        IntegrationProbe& integration, const UserAccount& account, QWidget* parent = nullptr);

    // The text of the base-name field, untrimmed.
    QString baseName() const;
    bool hasAccess() const { return m_hasAccess; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* folderAccessSection();
    QWidget* fileNamingSection();
    QWidget* fileManagerSection(Workspace& workspace, IntegrationProbe& integration);
    QWidget* limitsSection();

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
    QCheckBox* m_askForNameSwitch = nullptr;
};
