// The General and About tabs of the Settings window, each at the size of the tab's content area.
#include "SnapshotScene.h"
#include "model/BundleInfo.h"
#include "platform/Clock.h"
#include "ui/settings/AboutView.h"
#include "ui/settings/GeneralSettingsView.h"
#include "ui/settings/SettingsView.h"

#include <QScrollArea>
#include <QScrollBar>

namespace {

const QSize tabContent(620, 460);

std::unique_ptr<QWidget> general(Scene& scene)
{
    auto view = std::make_unique<GeneralSettingsView>(scene.manager, scene.picker, scene.workspace, scene.integration,
                                                      UserAccount::current());
    view->setFixedSize(tabContent);
    return view;
}

// The lower part of the form, which the tab shows only after scrolling.
void scrollToEnd(QWidget& view)
{
    QScrollBar* bar = view.findChild<QScrollArea*>(QStringLiteral("generalScrollArea"))->verticalScrollBar();
    bar->setValue(bar->maximum());
}

// The file manager section at the top of the tab.
void scrollToFileManagers(QWidget& view)
{
    auto* scroll = view.findChild<QScrollArea*>(QStringLiteral("generalScrollArea"));
    scroll->verticalScrollBar()->setValue(view.findChild<QWidget*>(QStringLiteral("fileManagerSection"))->y() - 20);
}

const RegisterSnapshots registered({
    {QStringLiteral("general-not-granted"), general},
    {QStringLiteral("general-granted"),
     [](Scene& scene) {
         scene.grantHomeFolder();
         return general(scene);
     }},
    {QStringLiteral("general-scrolled-to-end"), general, scrollToEnd},
    {QStringLiteral("general-file-managers"), general, scrollToFileManagers},
    {QStringLiteral("general-menus-missing"),
     [](Scene& scene) {
         scene.loseMenus();
         return general(scene);
     },
     scrollToFileManagers},
    {QStringLiteral("general-no-file-manager"),
     [](Scene& scene) {
         scene.uninstallFileManagers();
         return general(scene);
     },
     scrollToFileManagers},
    {QStringLiteral("about"),
     [](Scene& scene) {
         auto view = std::make_unique<AboutView>(BundleInfo::dictionary(), Clock::system(), scene.workspace);
         view->setFixedSize(tabContent);
         return std::unique_ptr<QWidget>(std::move(view));
     }},
});

} // namespace

namespace {

// The whole Settings content, tabs included, on its first tab.
const RegisterSnapshots settingsWindow({
    {QStringLiteral("settings-window"),
     [](Scene& scene) -> std::unique_ptr<QWidget> {
         auto view = std::make_unique<SettingsView>(scene.manager, scene.picker, scene.picker, scene.workspace,
                                                    scene.integration, UserAccount::current(), Clock::system(),
                                                    BundleInfo::dictionary());
         view->resize(view->minimumSizeHint().expandedTo(view->sizeHint()));
         return view;
     }},
});

} // namespace
