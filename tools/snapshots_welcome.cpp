// The welcome window, without and with the folder-access grant, with file managers that lack the
// menu, and the guide its first step opens.
#include "SnapshotScene.h"
#include "ui/common/GuideWindow.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/welcome/WelcomeView.h"

namespace {

std::unique_ptr<QWidget> welcome(Scene& scene)
{
    return std::make_unique<WelcomeView>(scene.manager, scene.picker, scene.workspace, scene.integration,
                                         UserAccount::current(), std::function<void()>(), std::function<void()>());
}

const RegisterSnapshots registered({
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
