// The Thunar module. Thunar hands its modules a provider plugin rather than a bare type module;
// the types are registered through it.

#include "extension/GtkFamilyProvider.h"

#include <gmodule.h>
#include <gtk/gtk.h>

extern "C" {
// The provider plugin's functions are declared without C linkage of their own.
#include <thunarx/thunarx.h>
}

namespace {

const GtkFamilyApi api = {
    [](gpointer file) { return thunarx_file_info_get_uri(THUNARX_FILE_INFO(file)); },
    [](gpointer file) { return thunarx_file_info_is_directory(THUNARX_FILE_INFO(file)); },
    // Thunar names the type only in the file's information record, a new reference.
    [](gpointer file) {
        GFileInfo* info = thunarx_file_info_get_file_info(THUNARX_FILE_INFO(file));
        const GFileType type = info && g_file_info_has_attribute(info, G_FILE_ATTRIBUTE_STANDARD_TYPE)
                                   ? g_file_info_get_file_type(info)
                                   : G_FILE_TYPE_UNKNOWN;
        if (info)
            g_object_unref(info);
        return type;
    },
    [](gpointer file) { return thunarx_file_info_get_location(THUNARX_FILE_INFO(file)); },
    []() -> gpointer { return thunarx_menu_new(); },
    [](const char* name, const char* label, const char* icon) -> gpointer {
        return thunarx_menu_item_new(name, label, "", icon);
    },
    [](gpointer menu, gpointer item) { thunarx_menu_append_item(THUNARX_MENU(menu), THUNARX_MENU_ITEM(item)); },
    [](gpointer item, gpointer menu) { thunarx_menu_item_set_menu(THUNARX_MENU_ITEM(item), THUNARX_MENU(menu)); },
    // Read with g_icon_new_for_string, so the theme picks among the names.
    GtkFamilyProvider::themedIcon,
    "thunar",
};

GType providerType = 0;

void initMenuProvider(gpointer iface, gpointer)
{
    auto* menuProvider = static_cast<ThunarxMenuProviderIface*>(iface);
    menuProvider->get_file_menu_items = [](ThunarxMenuProvider*, GtkWidget*, GList* files) {
        return GtkFamilyProvider(api).forFiles(files);
    };
    menuProvider->get_folder_menu_items = [](ThunarxMenuProvider*, GtkWidget*, ThunarxFileInfo* folder) {
        return GtkFamilyProvider(api).forFolder(folder);
    };
}

} // namespace

extern "C" {

G_MODULE_EXPORT void thunar_extension_initialize(ThunarxProviderPlugin* plugin)
{
    GtkFamilyProvider::keepLoaded();
    static const GTypeInfo info = {
        sizeof(GObjectClass), nullptr, nullptr, nullptr, nullptr, nullptr, sizeof(GObject), 0, nullptr, nullptr,
    };
    providerType = thunarx_provider_plugin_register_type(plugin, G_TYPE_OBJECT, "QuintaraThunarMenuProvider", &info,
                                                         GTypeFlags(0));
    static const GInterfaceInfo menuProvider = {initMenuProvider, nullptr, nullptr};
    thunarx_provider_plugin_add_interface(plugin, providerType, THUNARX_TYPE_MENU_PROVIDER, &menuProvider);
}

G_MODULE_EXPORT void thunar_extension_shutdown() {}

G_MODULE_EXPORT void thunar_extension_list_types(const GType** types, gint* count)
{
    *types = &providerType;
    *count = 1;
}

} // extern "C"
