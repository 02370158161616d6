// The Nemo module.

#include "extension/Gtk3Icons.h"
#include "extension/GtkFamilyProvider.h"

#include <gmodule.h>
#include <libnemo-extension/nemo-extension-types.h>
#include <libnemo-extension/nemo-file-info.h>
#include <libnemo-extension/nemo-menu-provider.h>

namespace {

const GtkFamilyApi api = {
    [](gpointer file) { return nemo_file_info_get_uri(NEMO_FILE_INFO(file)); },
    [](gpointer file) { return nemo_file_info_is_directory(NEMO_FILE_INFO(file)); },
    [](gpointer file) { return nemo_file_info_get_file_type(NEMO_FILE_INFO(file)); },
    [](gpointer file) { return nemo_file_info_get_location(NEMO_FILE_INFO(file)); },
    []() -> gpointer { return nemo_menu_new(); },
    [](const char* name, const char* label, const char* icon) -> gpointer {
        return nemo_menu_item_new(name, label, "", icon);
    },
    [](gpointer menu, gpointer item) { nemo_menu_append_item(NEMO_MENU(menu), NEMO_MENU_ITEM(item)); },
    [](gpointer item, gpointer menu) { nemo_menu_item_set_submenu(NEMO_MENU_ITEM(item), NEMO_MENU(menu)); },
    firstIconInTheme,
    "nemo",
};

GType providerType = 0;

void initMenuProvider(gpointer iface, gpointer)
{
    auto* menuProvider = static_cast<NemoMenuProviderIface*>(iface);
    menuProvider->get_file_items = [](NemoMenuProvider*, GtkWidget*, GList* files) {
        return GtkFamilyProvider(api).forFiles(files);
    };
    menuProvider->get_background_items = [](NemoMenuProvider*, GtkWidget*, NemoFileInfo* folder) {
        return GtkFamilyProvider(api).forFolder(folder);
    };
}

} // namespace

extern "C" {

G_MODULE_EXPORT void nemo_module_initialize(GTypeModule* module)
{
    GtkFamilyProvider::keepLoaded();
    providerType =
        GtkFamilyProvider::registerType(module, "QuintaraNemoMenuProvider", NEMO_TYPE_MENU_PROVIDER, initMenuProvider);
}

G_MODULE_EXPORT void nemo_module_shutdown() {}

G_MODULE_EXPORT void nemo_module_list_types(const GType** types, int* count)
{
    *types = &providerType;
    *count = 1;
}

} // extern "C"
