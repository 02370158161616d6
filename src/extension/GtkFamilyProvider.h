#pragma once

#include "extension/MenuModel.h"

#include <gio/gio.h>
#include <glib-object.h>

// What the file managers' extension interfaces of the GTK family (GNOME Files, Nemo, Caja, Thunar)
// have in common, reached through each one's own functions: they differ in the names of their types
// and functions, hardly in anything else. Files, menus and items are the file manager's objects.
struct GtkFamilyApi {
    char* (*uri)(gpointer file);
    gboolean (*isDirectory)(gpointer file);
    GFileType (*fileType)(gpointer file);
    GFile* (*location)(gpointer file);
    gpointer (*newMenu)();
    // With an empty tip: some of them refuse an item without one.
    gpointer (*newItem)(const char* name, const char* label, const char* iconName);
    void (*append)(gpointer menu, gpointer item);
    void (*setSubmenu)(gpointer item, gpointer menu);
    // An item's icon, as the file manager reads it, from names most specific first.
    QByteArray (*icon)(const QStringList& names);
    // The file manager's name in requests (one of CreateRequest::fileManagers).
    const char* fileManager;
};

// The menu provider of every GTK-family module, over MenuModel. It runs inside the file manager's
// process, on its main thread, so it never waits: the settings file is a small local read, and a
// chosen entry is handed over from another thread.
class GtkFamilyProvider {
public:
    explicit GtkFamilyProvider(const GtkFamilyApi& api) : m_api(api) {}

    // The items for a selection, a list of the file manager's file objects: "New File" for one
    // folder, "Save as Template" for one regular file.
    GList* forFiles(GList* files) const;
    // The items for the background of the folder shown.
    GList* forFolder(gpointer folder) const;

    // A stateless object type implementing the file manager's menu provider interface.
    static GType registerType(GTypeModule* module, const char* name, GType menuProvider, GInterfaceInitFunc init);
    // A GThemedIcon written as text (". GThemedIcon name…"), for a file manager that reads an item's
    // icon with g_icon_new_for_string: the theme then draws the first of the names it has.
    static QByteArray themedIcon(const QStringList& names);
    // The first name, for a file manager that shows no icons in its menus.
    static QByteArray firstIcon(const QStringList& names) { return names.value(0).toUtf8(); }

    // Keeps the module's code mapped for the life of the process: a hand-over still running on
    // another thread must not find its code gone when the file manager unloads the module.
    static void keepLoaded();

    // The object data key under which each entry carries its request; activation reads it from
    // there, so what a test finds on an item is exactly what would be sent.
    static constexpr const char requestUrlKey[] = "quintara-request-url";

private:
    ClickedLocation describe(gpointer file) const;
    MenuModel menuModel() const;
    GList* items(const std::optional<ExtensionMenu>& menu, const char* namePrefix) const;
    gpointer item(const MenuEntry& entry, const QByteArray& name) const;

    const GtkFamilyApi& m_api;
};
