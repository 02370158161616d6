// The GNOME Files (Nautilus 43, extension API 4) module: a menu provider over MenuModel. It runs
// inside the file manager's process, on its main thread, so it never waits: the settings file is
// a small local read, and a chosen entry is handed to the desktop's handler of the quintara scheme
// without waiting for the outcome.

#include "extension/MenuModel.h"

#include <QFile>
#include <QString>

#include <memory>

// Included ahead of the extension header so that GLib's C++-only parts stay outside the C block.
#include <gio/gio.h>
#include <glib-object.h>
#include <gmodule.h>

extern "C" {
// The 43.x header declares the module entry points without C linkage of their own.
#include <nautilus-extension.h>
}

namespace {

// The object data key under which each entry carries its create request; activation reads it
// from there, so what a test finds on an item is exactly what would be opened.
constexpr const char createUrlKey[] = "quintara-create-url";

GType providerType = 0;

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

struct GObjectDeleter {
    void operator()(void* p) const { g_object_unref(p); }
};

QString fromUtf8(const GText& text)
{
    return text ? QString::fromUtf8(text.get()) : QString();
}

ClickedLocation describe(NautilusFileInfo* info)
{
    ClickedLocation location;
    location.uri = fromUtf8(GText(nautilus_file_info_get_uri(info)));
    location.isFolder = nautilus_file_info_is_directory(info);
    const std::unique_ptr<GFile, GObjectDeleter> file(nautilus_file_info_get_location(info));
    if (file) {
        const GText path(g_file_get_path(file.get()));
        if (path)
            location.localPath = QFile::decodeName(path.get());
    }
    return location;
}

void launchCreateUrl(NautilusMenuItem* item, gpointer)
{
    const auto* url = static_cast<const char*>(g_object_get_data(G_OBJECT(item), createUrlKey));
    // No callback: the outcome is the application's to report, never the file manager's.
    if (url)
        g_app_info_launch_default_for_uri_async(url, nullptr, nullptr, nullptr, nullptr);
}

// GTK menus read "_" as the mark of a keyboard shortcut; a doubled one shows as itself.
QByteArray shownText(const QString& label)
{
    return QString(label).replace(QLatin1Char('_'), QStringLiteral("__")).toUtf8();
}

// The file manager makes one action per item name for the background menu and the selection menu
// together, so the two menus' items need names of their own: with shared names, an entry of one
// menu would run the other's action and create the file in the wrong folder.
GList* menuItems(const std::optional<ExtensionMenu>& menu, const QByteArray& namePrefix)
{
    if (!menu)
        return nullptr;
    NautilusMenu* submenu = nautilus_menu_new();
    for (qsizetype i = 0; i < menu->entries.size(); ++i) {
        const MenuEntry& entry = menu->entries.at(i);
        const QByteArray name = namePrefix + '-' + QByteArray::number(i);
        NautilusMenuItem* item =
            nautilus_menu_item_new(name.constData(), shownText(entry.label).constData(), nullptr, nullptr);
        g_object_set_data_full(G_OBJECT(item), createUrlKey, g_strdup(entry.createUrl.toUtf8().constData()), g_free);
        g_signal_connect(item, "activate", G_CALLBACK(launchCreateUrl), nullptr);
        nautilus_menu_append_item(submenu, item);
        g_object_unref(item);
    }
    NautilusMenuItem* top =
        nautilus_menu_item_new(namePrefix.constData(), shownText(menu->title).constData(), nullptr, nullptr);
    nautilus_menu_item_set_submenu(top, submenu);
    g_object_unref(submenu);
    return g_list_append(nullptr, top);
}

GList* fileItems(NautilusMenuProvider*, GList* files)
{
    QList<ClickedLocation> selection;
    for (GList* node = files; node; node = node->next)
        selection.append(describe(NAUTILUS_FILE_INFO(node->data)));
    return menuItems(MenuModel().forSelection(selection), QByteArrayLiteral("quintara-new-file-selection"));
}

GList* backgroundItems(NautilusMenuProvider*, NautilusFileInfo* currentFolder)
{
    if (!currentFolder)
        return nullptr;
    return menuItems(MenuModel().forBackground(describe(currentFolder)),
                     QByteArrayLiteral("quintara-new-file-background"));
}

void initMenuProvider(gpointer iface, gpointer)
{
    auto* menuProvider = static_cast<NautilusMenuProviderInterface*>(iface);
    menuProvider->get_file_items = fileItems;
    menuProvider->get_background_items = backgroundItems;
}

void registerProviderType(GTypeModule* module)
{
    // The provider holds no state of its own: every menu is built afresh from the settings.
    static const GTypeInfo info = {
        sizeof(GObjectClass), nullptr, nullptr, nullptr, nullptr, nullptr, sizeof(GObject), 0, nullptr, nullptr,
    };
    providerType = g_type_module_register_type(module, G_TYPE_OBJECT, "QuintaraMenuProvider", &info, GTypeFlags(0));
    static const GInterfaceInfo menuProvider = {initMenuProvider, nullptr, nullptr};
    g_type_module_add_interface(module, providerType, NAUTILUS_TYPE_MENU_PROVIDER, &menuProvider);
}

} // namespace

extern "C" {

G_MODULE_EXPORT void nautilus_module_initialize(GTypeModule* module)
{
    registerProviderType(module);
}

G_MODULE_EXPORT void nautilus_module_shutdown() {}

G_MODULE_EXPORT void nautilus_module_list_types(const GType** types, int* count)
{
    *types = &providerType;
    *count = 1;
}

} // extern "C"
