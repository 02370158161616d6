// The GNOME Files (Nautilus 43, extension API 4) module.

#include "extension/GtkFamilyProvider.h"

#include <gmodule.h>

extern "C" {
// The 43.x header declares the module entry points without C linkage of their own.
#include <nautilus-extension.h>
}

namespace {

const GtkFamilyApi api = {
    [](gpointer file) { return nautilus_file_info_get_uri(NAUTILUS_FILE_INFO(file)); },
    [](gpointer file) { return nautilus_file_info_is_directory(NAUTILUS_FILE_INFO(file)); },
    [](gpointer file) { return nautilus_file_info_get_file_type(NAUTILUS_FILE_INFO(file)); },
    [](gpointer file) { return nautilus_file_info_get_location(NAUTILUS_FILE_INFO(file)); },
    []() -> gpointer { return nautilus_menu_new(); },
    [](const char* name, const char* label, const char* icon) -> gpointer {
        return nautilus_menu_item_new(name, label, "", icon);
    },
    [](gpointer menu, gpointer item) { nautilus_menu_append_item(NAUTILUS_MENU(menu), NAUTILUS_MENU_ITEM(item)); },
    [](gpointer item, gpointer menu) { nautilus_menu_item_set_submenu(NAUTILUS_MENU_ITEM(item), NAUTILUS_MENU(menu)); },
    // Its menus show no icons.
    GtkFamilyProvider::firstIcon,
    "nautilus",
};

GType providerType = 0;

void initMenuProvider(gpointer iface, gpointer)
{
    auto* menuProvider = static_cast<NautilusMenuProviderInterface*>(iface);
    menuProvider->get_file_items = [](NautilusMenuProvider*, GList* files) {
        return GtkFamilyProvider(api).forFiles(files);
    };
    menuProvider->get_background_items = [](NautilusMenuProvider*, NautilusFileInfo* folder) {
        return GtkFamilyProvider(api).forFolder(folder);
    };
}

} // namespace

extern "C" {

G_MODULE_EXPORT void nautilus_module_initialize(GTypeModule* module)
{
    GtkFamilyProvider::keepLoaded();
    providerType = GtkFamilyProvider::registerType(module, "QuintaraNautilusMenuProvider", NAUTILUS_TYPE_MENU_PROVIDER,
                                                   initMenuProvider);
}

G_MODULE_EXPORT void nautilus_module_shutdown() {}

G_MODULE_EXPORT void nautilus_module_list_types(const GType** types, int* count)
{
    *types = &providerType;
    *count = 1;
}

} // extern "C"
