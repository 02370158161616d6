// The Caja module.

#include "extension/Gtk3Icons.h"
#include "extension/GtkFamilyProvider.h"

#include <gmodule.h>
#include <libcaja-extension/caja-extension-types.h>
#include <libcaja-extension/caja-file-info.h>
#include <libcaja-extension/caja-menu-provider.h>

namespace {

const GtkFamilyApi api = {
    [](gpointer file) { return caja_file_info_get_uri(CAJA_FILE_INFO(file)); },
    [](gpointer file) { return caja_file_info_is_directory(CAJA_FILE_INFO(file)); },
    [](gpointer file) { return caja_file_info_get_file_type(CAJA_FILE_INFO(file)); },
    [](gpointer file) { return caja_file_info_get_location(CAJA_FILE_INFO(file)); },
    []() -> gpointer { return caja_menu_new(); },
    [](const char* name, const char* label, const char* icon) -> gpointer {
        return caja_menu_item_new(name, label, "", icon);
    },
    [](gpointer menu, gpointer item) { caja_menu_append_item(CAJA_MENU(menu), CAJA_MENU_ITEM(item)); },
    [](gpointer item, gpointer menu) { caja_menu_item_set_submenu(CAJA_MENU_ITEM(item), CAJA_MENU(menu)); },
    firstIconInTheme,
    "caja",
};

GType providerType = 0;

void initMenuProvider(gpointer iface, gpointer)
{
    auto* menuProvider = static_cast<CajaMenuProviderIface*>(iface);
    menuProvider->get_file_items = [](CajaMenuProvider*, GtkWidget*, GList* files) {
        return GtkFamilyProvider(api).forFiles(files);
    };
    menuProvider->get_background_items = [](CajaMenuProvider*, GtkWidget*, CajaFileInfo* folder) {
        return GtkFamilyProvider(api).forFolder(folder);
    };
}

} // namespace

extern "C" {

G_MODULE_EXPORT void caja_module_initialize(GTypeModule* module)
{
    GtkFamilyProvider::keepLoaded();
    providerType =
        GtkFamilyProvider::registerType(module, "QuintaraCajaMenuProvider", CAJA_TYPE_MENU_PROVIDER, initMenuProvider);
}

G_MODULE_EXPORT void caja_module_shutdown() {}

G_MODULE_EXPORT void caja_module_list_types(const GType** types, int* count)
{
    *types = &providerType;
    *count = 1;
}

} // extern "C"
