// The welcome window, without and with the folder-access grant, with file managers that lack the
// menu, the guide its first step opens, and the folder picker it opens where the desktop has no
// picker of its own.
#include "SnapshotScene.h"
#include "ui/common/DialogFolderPicker.h"
#include "ui/common/GuideWindow.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/welcome/WelcomeView.h"

#include <QApplication>
#include <QFileDialog>

namespace {

std::unique_ptr<QWidget> welcome(Scene& scene)
{
    return std::make_unique<WelcomeView>(scene.manager, scene.picker, scene.workspace, scene.integration,
                                         UserAccount::current(), std::function<void()>(), std::function<void()>());
}

// Qt's own dialog, as the offscreen platform has no native one, asked what granting asks.
std::unique_ptr<QWidget> folderPicker(Scene& scene)
{
    DialogFolderPicker picker;
    requestHomeFolderAccess(
        scene.manager, picker, UserAccount::current(), nullptr, [](bool) {}, false);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (auto* dialog = qobject_cast<QFileDialog*>(window))
            return std::unique_ptr<QWidget>(dialog);
    }
    return std::make_unique<QWidget>();
}

const RegisterSnapshots registered({
    {QStringLiteral("folder-picker-fallback"), folderPicker},
    {QStringLiteral("welcome-not-granted"), welcome},
    {QStringLiteral("welcome-granted"),
     [](Scene& scene) {
         scene.grantHomeFolder();
         return welcome(scene);
     }},
    {QStringLiteral("welcome-menus-missing"),
     [](Scene& scene) {
         scene.loseMenus();
         return welcome(scene);
     }},
    {QStringLiteral("welcome-no-file-manager"),
     [](Scene& scene) {
         scene.uninstallFileManagers();
         return welcome(scene);
     }},
    {QStringLiteral("guide"),
     [](Scene& scene) {
         return std::unique_ptr<QWidget>(GuideWindow::present(
             scene.workspace, extensionGuideUrl(QStringLiteral(QUINTARA_SNAPSHOT_PROGRAM_FOLDER))));
     }},
});

} // namespace
