#pragma once

#include <QWidget>

#include <functional>

class FolderPicker;
class IntegrationProbe;
class QPushButton;
class StepRow;
class TemplateManager;
class UserAccount;
class Workspace;

// The first-run setup screen: the product's icon and name, the steps that make file creation work
// (add the menu to the file managers, grant folder access, use the context menu) and a bar to quit,
// manage templates or close the window. Whether access is granted, and the file managers' state, are
// re-read whenever the view comes on screen or the application becomes active (the grant also when
// the manager announces a change), since either can change behind its back.
class WelcomeView : public QWidget {
    Q_OBJECT

public:
    // `openSettings` and `quit` are what "Manage Templates…" and "Quit" do; empty ones do nothing.
    explicit WelcomeView(TemplateManager& manager, FolderPicker& picker, Workspace& workspace,
                         IntegrationProbe& integration, const UserAccount& account, std::function<void()> openSettings,
                         std::function<void()> quit, QWidget* parent = nullptr);

    bool hasFolderAccess() const { return m_hasFolderAccess; }

public Q_SLOTS:
    // Takes the stored grant as the truth; a grant that no longer resolves still counts.
    void refreshFolderAccess();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setHasFolderAccess(bool granted);
    void requestAccess();
    // Closes the active window, or else the window that holds this view.
    void closeWindow();

    TemplateManager& m_manager;
    FolderPicker& m_picker;
    const UserAccount& m_account;
    bool m_hasFolderAccess = false;
    StepRow* m_folderStep;
    QPushButton* m_doneButton;
};
