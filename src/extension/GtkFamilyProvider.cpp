#include "extension/GtkFamilyProvider.h"

#include "creation/ImportRequest.h"
#include "platform/InstanceChannel.h"
#include "platform/LocalPath.h"

#include <csignal>
#include <dlfcn.h>
#include <gmodule.h>
#include <memory>
#include <spawn.h>
#include <unistd.h>

namespace {

// Long enough for a busy instance to take the message, short enough that a wedged one does not
// pile up hand-over threads; the file manager never waits for it either way.
constexpr int handOverTimeoutMs = 2000;

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

QString fromUtf8(const GText& text)
{
    return text ? QString::fromUtf8(text.get()) : QString();
}

// GTK menus read "_" as the mark of a keyboard shortcut; a doubled one shows as itself.
QByteArray shownText(const QString& label)
{
    return QString(label).replace(QLatin1Char('_'), QStringLiteral("__")).toUtf8();
}

// Nobody listens: the command serves the request, starting the program only if it needs a window.
// No callback: the outcome is the command's to report, never the file manager's. A template is made
// at the user's own hand here, so it goes by the command's option: as a link, the program would ask
// first. The command is run directly, from the hand-over thread, which is several times quicker than
// the desktop's handler of the scheme on the file manager's busy main loop. False when it could not
// be run.
bool runCommand(const char* url)
{
    QByteArray path;
    const char* create[] = {"quintara", url, nullptr};
    const char* import[] = {"quintara", "--import", nullptr, nullptr};
    const char** argv = create;
    if (const std::optional<ImportRequest> request = ImportRequest::parse(QString::fromUtf8(url))) {
        path = LocalPath::toBytes(request->filePath); // absolute
        import[2] = path.constData();
        argv = import;
    }
    // Not GLib's spawn: to close the file manager's descriptors in the child it forks the whole file
    // manager, twice, which took most of a click's 20 ms. posix_spawn does not copy the process, and
    // still closes every descriptor past the standard three, since the command may become the
    // resident program.
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return false;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }
    sigset_t none;
    sigset_t byDefault;
    sigemptyset(&none);
    sigemptyset(&byDefault);
    sigaddset(&byDefault, SIGPIPE);
    pid_t pid = 0;
    const bool started = posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0 &&
                         posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
                         posix_spawnattr_setsigdefault(&attributes, &byDefault) == 0 &&
                         posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0 &&
                         posix_spawnp(&pid, argv[0], &actions, &attributes, const_cast<char**>(argv), environ) == 0;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    // Reaped by the file manager's main loop whenever it ends, which may be at the end of the session.
    if (started)
        g_child_watch_add(
            pid, [](GPid, gint, gpointer) {}, nullptr);
    return started;
}

// Back on the file manager's main context once the hand-over thread is done: the desktop's handler
// of the scheme is the way left for a create when the command is not on the search path.
void handedOver(GObject*, GAsyncResult* result, gpointer)
{
    GTask* task = G_TASK(result);
    if (g_task_propagate_boolean(task, nullptr))
        return;
    const auto* url = static_cast<const char*>(g_task_get_task_data(task));
    if (!ImportRequest::parse(QString::fromUtf8(url)))
        g_app_info_launch_default_for_uri_async(url, nullptr, nullptr, nullptr, nullptr);
}

void handOver(GTask* task, gpointer, gpointer data, GCancellable*)
{
    const auto* url = static_cast<const char*>(data);
    // No activation token: the file manager's extension interface gives its modules none. Every
    // entry of its menu is the user's own act.
    const auto delivery = InstanceChannel::send({{QString::fromUtf8(url)}, {}, {true}}, handOverTimeoutMs);
    // An instance that listens but does not answer in time may still serve the request: starting
    // another launch for it as well could make the file twice.
    if (delivery == InstanceChannel::Delivery::Failed)
        g_message("quintara: the running instance did not acknowledge %s", url);
    g_task_return_boolean(task, delivery != InstanceChannel::Delivery::NoInstance || runCommand(url));
}

void activate(GObject* item, gpointer)
{
    const auto* url = static_cast<const char*>(g_object_get_data(item, GtkFamilyProvider::requestUrlKey));
    if (!url)
        return;
    GTask* task = g_task_new(nullptr, nullptr, handedOver, nullptr);
    g_task_set_task_data(task, g_strdup(url), g_free);
    g_task_run_in_thread(task, handOver);
    g_object_unref(task);
}

} // namespace

ClickedLocation GtkFamilyProvider::describe(gpointer file) const
{
    ClickedLocation location;
    location.uri = fromUtf8(GText(m_api.uri(file)));
    location.isFolder = m_api.isDirectory(file);
    location.isRegularFile = m_api.fileType(file) == G_FILE_TYPE_REGULAR;
    if (GFile* local = m_api.location(file)) {
        const GText path(g_file_get_path(local));
        g_object_unref(local);
        if (path)
            location.localPath = LocalPath::fromBytes(path.get());
    }
    return location;
}

GList* GtkFamilyProvider::forFiles(GList* files) const
{
    QList<ClickedLocation> selection;
    for (GList* node = files; node; node = node->next)
        selection.append(describe(node->data));
    GList* result = items(menuModel().forSelection(selection), "quintara-new-file-selection");
    if (const std::optional<MenuEntry> save = MenuModel::forFile(selection))
        result = g_list_append(result, item(*save, "quintara-save-as-template"));
    return result;
}

GList* GtkFamilyProvider::forFolder(gpointer folder) const
{
    return folder ? items(menuModel().forBackground(describe(folder)), "quintara-new-file-background") : nullptr;
}

// The file managers make one action per item name for the background menu and the selection menu
// together, so the two menus' items need names of their own: with shared names, an entry of one
// menu would run the other's action and create the file in the wrong folder.
GList* GtkFamilyProvider::items(const std::optional<ExtensionMenu>& menu, const char* namePrefix) const
{
    if (!menu)
        return nullptr;
    const auto appendEntries = [&](gpointer submenu, const QList<qsizetype>& positions) {
        for (const qsizetype i : positions) {
            gpointer entryItem = item(menu->entries.at(i), QByteArray(namePrefix) + '-' + QByteArray::number(i));
            m_api.append(submenu, entryItem);
            g_object_unref(entryItem);
        }
    };
    const auto attach = [&](gpointer parentItem, gpointer submenu) {
        m_api.setSubmenu(parentItem, submenu);
        g_object_unref(submenu);
    };
    gpointer submenu = m_api.newMenu();
    for (qsizetype g = 0; g < menu->groups.size(); ++g) {
        const QByteArray name = QByteArray(namePrefix) + "-group-" + QByteArray::number(g);
        gpointer groupItem = m_api.newItem(name.constData(), shownText(menu->groups.at(g).title).constData(),
                                           m_api.icon({QStringLiteral("folder")}).constData());
        gpointer groupMenu = m_api.newMenu();
        appendEntries(groupMenu, menu->groups.at(g).positions);
        attach(groupItem, groupMenu);
        m_api.append(submenu, groupItem);
        g_object_unref(groupItem);
    }
    appendEntries(submenu, menu->ungrouped());
    gpointer top = m_api.newItem(namePrefix, shownText(menu->title).constData(), nullptr);
    attach(top, submenu);
    return g_list_append(nullptr, top);
}

gpointer GtkFamilyProvider::item(const MenuEntry& entry, const QByteArray& name) const
{
    gpointer made =
        m_api.newItem(name.constData(), shownText(entry.label).constData(), m_api.icon(entry.iconNames).constData());
    g_object_set_data_full(G_OBJECT(made), requestUrlKey, g_strdup(entry.requestUrl.toUtf8().constData()), g_free);
    g_signal_connect(made, "activate", G_CALLBACK(activate), nullptr);
    return made;
}

GType GtkFamilyProvider::registerType(GTypeModule* module, const char* name, GType menuProvider,
                                      GInterfaceInitFunc init)
{
    // The provider holds no state of its own: every menu is built afresh from the settings.
    static const GTypeInfo info = {
        sizeof(GObjectClass), nullptr, nullptr, nullptr, nullptr, nullptr, sizeof(GObject), 0, nullptr, nullptr,
    };
    const GType type = g_type_module_register_type(module, G_TYPE_OBJECT, name, &info, GTypeFlags(0));
    const GInterfaceInfo interfaceInfo = {init, nullptr, nullptr};
    g_type_module_add_interface(module, type, menuProvider, &interfaceInfo);
    return type;
}

MenuModel GtkFamilyProvider::menuModel() const
{
    return MenuModel(&SettingsDomain::openSuite, QString::fromLatin1(m_api.fileManager));
}

QByteArray GtkFamilyProvider::themedIcon(const QStringList& names)
{
    QList<QByteArray> bytes;
    std::vector<char*> list;
    for (const QString& name : names)
        list.push_back(bytes.emplace_back(name.toUtf8()).data());
    list.push_back(nullptr);
    GIcon* icon = g_themed_icon_new_from_names(list.data(), -1);
    const GText text(g_icon_to_string(icon));
    g_object_unref(icon);
    return text ? QByteArray(text.get()) : firstIcon(names);
}

void GtkFamilyProvider::keepLoaded()
{
    // A reference of our own to this very object, never given back.
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&activate), &self) && self.dli_fname) {
        if (GModule* module = g_module_open(self.dli_fname, G_MODULE_BIND_LOCAL))
            g_module_make_resident(module);
    }
}
