// The welcome window, without and with the folder-access grant, and the folder picker it opens where
// the desktop has no picker of its own.
#include "SnapshotScene.h"
#include "ui/common/DialogFolderPicker.h"
#include "ui/welcome/WelcomeView.h"

#include <QApplication>
#include <QFileDialog>

namespace {

std::unique_ptr<QWidget> welcome(Scene& scene)
{
    return std::make_unique<WelcomeView>(scene.manager, scene.picker, scene.workspace, UserAccount::current(),
                                         std::function<void()>(), std::function<void()>());
}

// Qt's own dialog, as the offscreen platform has no native one, asked what granting asks.
std::unique_ptr<QWidget> folderPicker(Scene& scene)
{
    DialogFolderPicker picker;
    picker.pickFolder({QStringLiteral("Grant Folder Access"),
                       QStringLiteral("Select your Home folder (") + scene.home +
                           QStringLiteral(") to let Quintara create files anywhere in it."),
                       QStringLiteral("Grant Access"), scene.home},
                      nullptr, [](const std::optional<QString>&) {});
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
});

} // namespace
