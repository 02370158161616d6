// Loads each built file manager module the way its file manager does (open the shared object, find
// its entry points, initialise it with a type module, instantiate the type it lists) and asks its
// menu provider for menus on stand-in file objects. No file manager runs.
#include "creation/CreateRequest.h"
#include "creation/ImportRequest.h"
#include "platform/InstanceChannel.h"
#include "platform/LocalPath.h"
#include "store/TemplateStore.h"
#include "support/Table.h"
#include "support/TestEnvironment.h"

#include <QtTest>

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
extern "C" {
#include <libcaja-extension/caja-file-info.h>
#include <libcaja-extension/caja-menu-provider.h>
#include <libnemo-extension/nemo-file-info.h>
#include <libnemo-extension/nemo-menu-provider.h>
#include <nautilus-extension.h>
#include <thunarx/thunarx.h>
}

namespace {

// A file as the file manager describes it to extensions. Only what the provider asks is there, so a
// provider that starts asking for more fails here first.
template <typename Interface, typename FileInfo>
void fileInfoInterface(gpointer iface, gpointer)
{
    auto* info = static_cast<Interface*>(iface);
    info->get_uri = [](FileInfo* file) {
        return g_strdup(static_cast<const char*>(g_object_get_data(G_OBJECT(file), "uri")));
    };
    info->get_location = [](FileInfo* file) {
        return g_file_new_for_uri(static_cast<const char*>(g_object_get_data(G_OBJECT(file), "uri")));
    };
    info->is_directory = [](FileInfo* file) {
        return gboolean(g_object_get_data(G_OBJECT(file), "directory") != nullptr);
    };
    const auto type = [](FileInfo* file) {
        return g_object_get_data(G_OBJECT(file), "directory") ? G_FILE_TYPE_DIRECTORY : G_FILE_TYPE_REGULAR;
    };
    if constexpr (requires { info->get_file_type; }) {
        info->get_file_type = type;
    } else { // Thunar's modules read the type from the file's information record
        info->get_file_info = [](FileInfo* file) {
            GFileInfo* described = g_file_info_new();
            g_file_info_set_file_type(described, decltype(type)()(file));
            return described;
        };
    }
}

// Any of the file managers' object pointers, so that one call fits all their function types.
struct Any {
    gpointer p;
    template <typename T>
    operator T*() const
    {
        return static_cast<T*>(p);
    }
};

template <typename Class, typename Member>
Class* classOf(Member Class::*);

// The provider's items for a selection, or for the background of `folder` when there is one. All
// but GNOME Files pass their window first; the modules must not need it.
template <GType (*type)(), auto forFiles, auto forFolder>
GList* items(GObject* provider, GList* files, GObject* folder)
{
    auto* iface = G_TYPE_INSTANCE_GET_INTERFACE(provider, type(), std::remove_pointer_t<decltype(classOf(forFiles))>);
    if constexpr (std::is_invocable_v<decltype(iface->*forFiles), Any, Any>)
        return folder ? (iface->*forFolder)(Any{provider}, Any{folder}) : (iface->*forFiles)(Any{provider}, files);
    else
        return folder ? (iface->*forFolder)(Any{provider}, nullptr, Any{folder})
                      : (iface->*forFiles)(Any{provider}, nullptr, files);
}

template <auto get>
GList* submenu(gpointer menu)
{
    return get(Any{menu});
}

// One module under test, and the file manager's side of its interface.
struct Module {
    const char* name;
    const char* library;
    const char* entryPrefix; // of PREFIX_initialize, PREFIX_shutdown, PREFIX_list_types
    GType (*fileInfoType)();
    GInterfaceInitFunc fileInfo;
    GType (*menuProviderType)();
    GList* (*items)(GObject* provider, GList* files, GObject* folder);
    GList* (*submenuItems)(gpointer menu);
    GType fakeFile = 0;
    GObject* provider = nullptr;
};

Module modules[] = {
    {"nautilus", QUINTARA_NAUTILUS_MODULE, "nautilus_module", nautilus_file_info_get_type,
     fileInfoInterface<NautilusFileInfoInterface, NautilusFileInfo>, nautilus_menu_provider_get_type,
     items<nautilus_menu_provider_get_type, &NautilusMenuProviderInterface::get_file_items,
           &NautilusMenuProviderInterface::get_background_items>,
     submenu<nautilus_menu_get_items>},
    {"nemo", QUINTARA_NEMO_MODULE, "nemo_module", nemo_file_info_get_type,
     fileInfoInterface<NemoFileInfoInterface, NemoFileInfo>, nemo_menu_provider_get_type,
     items<nemo_menu_provider_get_type, &NemoMenuProviderIface::get_file_items,
           &NemoMenuProviderIface::get_background_items>,
     submenu<nemo_menu_get_items>},
    {"caja", QUINTARA_CAJA_MODULE, "caja_module", caja_file_info_get_type,
     fileInfoInterface<CajaFileInfoIface, CajaFileInfo>, caja_menu_provider_get_type,
     items<caja_menu_provider_get_type, &CajaMenuProviderIface::get_file_items,
           &CajaMenuProviderIface::get_background_items>,
     submenu<caja_menu_get_items>},
    {"thunar", QUINTARA_THUNAR_MODULE, "thunar_extension", thunarx_file_info_get_type,
     fileInfoInterface<ThunarxFileInfoIface, ThunarxFileInfo>, thunarx_menu_provider_get_type,
     items<thunarx_menu_provider_get_type, &ThunarxMenuProviderIface::get_file_menu_items,
           &ThunarxMenuProviderIface::get_folder_menu_items>,
     submenu<thunarx_menu_get_items>},
};

void (*moduleInitialize)(gpointer) = nullptr;
constexpr auto nothing = [](auto...) {
};

QString property(gpointer object, const char* name)
{
    g_autofree char* value = nullptr;
    g_object_get(object, name, &value, nullptr);
    return QString::fromUtf8(value);
}

// The request an entry carries: what choosing it hands over.
QString url(gpointer item)
{
    return QString::fromUtf8(static_cast<const char*>(g_object_get_data(G_OBJECT(item), "quintara-request-url")));
}

// What the file manager would show for the background of one folder, or for a selection.
struct Shown {
    Shown(const Module& module, const QList<std::pair<QString, bool>>& described, bool inBackground)
    {
        GList* files = nullptr;
        for (const auto& [path, isDirectory] : described) {
            auto* file = G_OBJECT(g_object_new(module.fakeFile, nullptr));
            g_object_set_data_full(file, "uri", g_strdup(LocalPath::fileUri(path).toLatin1().constData()), g_free);
            g_object_set_data(file, "directory", isDirectory ? file : nullptr);
            files = g_list_append(files, file);
        }
        items = inBackground ? module.items(module.provider, nullptr, G_OBJECT(files->data))
                             : module.items(module.provider, files, nullptr);
        g_list_free_full(files, g_object_unref);
        const auto add = [this](gpointer entry, const QString& request) {
            shown.append(property(entry, "label") + ' ' + property(entry, "icon") + ' ' + request);
            names.append(property(entry, "name"));
            entries.append(entry);
        };
        for (GList* node = items; node; node = node->next) {
            GObject* submenu = nullptr;
            g_object_get(node->data, "menu", &submenu, nullptr);
            if (!submenu) { // "Save as Template"
                const auto request = ImportRequest::parse(url(node->data));
                add(node->data, request ? request->filePath : "-");
                continue;
            }
            shown.append(property(node->data, "label"));
            names.append(property(node->data, "name"));
            addEntries(module, submenu);
        }
    }
    // A group's submenu is shown as its item, marked "▸", then its entries.
    void addEntries(const Module& module, GObject* submenu)
    {
        GList* children = module.submenuItems(submenu);
        for (GList* node = children; node; node = node->next) {
            GObject* group = nullptr;
            g_object_get(node->data, "menu", &group, nullptr);
            if (group) {
                shown.append(property(node->data, "label") + " ▸");
                names.append(property(node->data, "name"));
                addEntries(module, group);
                continue;
            }
            const auto request = CreateRequest::parse(url(node->data));
            shown.append(
                property(node->data, "label") + ' ' + property(node->data, "icon") + ' ' +
                (request
                     ? QStringLiteral("%1 %2 %3").arg(request->index).arg(request->directoryPath, request->fileManager)
                     : "-"));
            names.append(property(node->data, "name"));
            entries.append(node->data);
        }
        g_list_free_full(children, g_object_unref); // the submenu keeps its own references
        g_object_unref(submenu);
    }
    Shown(const Shown&) = delete;
    ~Shown() { g_list_free_full(items, g_object_unref); }
    GList* items = nullptr;
    QStringList shown; // the title, then each entry's label, icon, and its request's index, folder and file manager
    QStringList names; // the submenu's item and its entries
    QList<gpointer> entries;
};

} // namespace

class TestFileManagerModules : public QObject {
    Q_OBJECT

    std::unique_ptr<TemporaryHome> m_home;
    QString m_folder;

private Q_SLOTS:
    void initTestCase()
    {
        // One home for the whole run: GLib reads the XDG folders once per process.
        m_home = std::make_unique<TemporaryHome>();
        // A module that misuses its file manager's interface is told so by a critical message.
        g_log_set_always_fatal(GLogLevelFlags(G_LOG_FATAL_MASK | G_LOG_LEVEL_CRITICAL));
        // None of the system's handlers or modules; only its MIME types, for the icons.
        const QByteArray shared = m_home->path().toUtf8() + "/share";
        QVERIFY(QDir().mkpath(shared) && QFile::link("/usr/share/mime", shared + "/mime"));
        for (const char* name : {"XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "GIO_MODULE_DIR"})
            qputenv(name, shared);
        qputenv("XDG_DATA_HOME", m_home->path().toUtf8() + "/data");
        qunsetenv("XDG_CURRENT_DESKTOP");
        qputenv("GIO_USE_VFS", "local");
        // The desktop's handler of the quintara scheme records the URL it was given.
        const QString handler = m_home->path() + "/handler";
        writeAll(handler, "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.received\"\n");
        QVERIFY(QFile::setPermissions(handler, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        writeAll(m_home->path() + "/data/applications/test-handler.desktop",
                 "[Desktop Entry]\nType=Application\nName=H\nExec=" + handler.toUtf8() + " %u\n");
        writeAll(m_home->configHome() + "/mimeapps.list",
                 "[Default Applications]\nx-scheme-handler/quintara=test-handler.desktop\n");
        // The program on the search path records how it was started, and the descriptors it was given.
        writeAll(m_home->path() + "/bin/quintara",
                 "#!/bin/sh\nls /proc/$$/fd > \"$0.fds\"\n"
                 "printf '%s\\n' \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.received\"\n");
        QVERIFY(QFile::setPermissions(m_home->path() + "/bin/quintara", QFile::ReadOwner | QFile::ExeOwner));
        qputenv("PATH", QFile::encodeName(m_home->path() + "/bin:") + qgetenv("PATH"));

        // Ending in a byte that is not UTF-8, which only a path kept as bytes comes back with.
        m_folder = m_home->folder("Projects #1 & C++ 100% ü") + QChar(0xDCFF);
        TemplateStore store;
        store.setEnabledBuiltIns({"10000000-0000-0000-0000-000000000002"}); // Markdown
        store.customTemplates() = {customTemplate("my_memo", {}, "py"), customTemplate("odd", {}, "no-such-type")};
        for (FileTemplate& custom : store.customTemplates())
            custom.group = "a_b"; // a group comes first, one submenu for all its templates
        store.save();

        // The smallest type module: loading it initialises the module, as the file managers' loaders
        // do. It is also the provider plugin through which Thunar's modules register their types.
        const GType loader = g_type_register_static_simple(
            G_TYPE_TYPE_MODULE, "QuintaraTestLoader", sizeof(GTypeModuleClass),
            [](gpointer klass, gpointer) {
                static_cast<GTypeModuleClass*>(klass)->load = [](GTypeModule* m) -> gboolean {
                    return moduleInitialize(m), TRUE;
                };
                static_cast<GTypeModuleClass*>(klass)->unload = nothing;
                G_OBJECT_CLASS(klass)->get_property = nothing;
                G_OBJECT_CLASS(klass)->set_property = nothing;
                g_object_class_override_property(G_OBJECT_CLASS(klass), 1, "resident");
            },
            sizeof(GTypeModule), nullptr, GTypeFlags(0));
        static const GInterfaceInfo plugin = {
            [](gpointer iface, gpointer) {
                auto* p = static_cast<ThunarxProviderPluginIface*>(iface);
                p->set_resident = nothing;
                p->register_type = [](ThunarxProviderPlugin* p, GType parent, const gchar* name, const GTypeInfo* info,
                                      GTypeFlags flags) {
                    return g_type_module_register_type(G_TYPE_MODULE(p), parent, name, info, flags);
                };
                p->add_interface = [](ThunarxProviderPlugin* p, GType type, GType iface, const GInterfaceInfo* info) {
                    g_type_module_add_interface(G_TYPE_MODULE(p), type, iface, info);
                };
            },
            nullptr, nullptr};
        g_type_add_interface_static(loader, THUNARX_TYPE_PROVIDER_PLUGIN, &plugin);
        for (Module& m : modules) {
            // Each stays loaded, as in the file manager: its types cannot be unregistered.
            void* library = dlopen(m.library, RTLD_NOW | RTLD_LOCAL);
            QVERIFY2(library, dlerror());
            const QByteArray prefix = m.entryPrefix;
            moduleInitialize = reinterpret_cast<decltype(moduleInitialize)>(dlsym(library, prefix + "_initialize"));
            const auto listTypes =
                reinterpret_cast<void (*)(const GType**, int*)>(dlsym(library, prefix + "_list_types"));
            QVERIFY2(moduleInitialize && listTypes && dlsym(library, prefix + "_shutdown"), m.name);
            QVERIFY(g_type_module_use(G_TYPE_MODULE(g_object_new(loader, nullptr))));
            const GType* types = nullptr;
            int count = 0;
            listTypes(&types, &count);
            QVERIFY2(count == 1 && g_type_is_a(types[0], m.menuProviderType()), m.name);
            m.provider = G_OBJECT(g_object_new(types[0], nullptr));
            m.fakeFile =
                g_type_register_static_simple(G_TYPE_OBJECT, "QuintaraFakeFile_" + prefix, sizeof(GObjectClass),
                                              nullptr, sizeof(GObject), nullptr, GTypeFlags(0));
            const GInterfaceInfo fileInfo = {m.fileInfo, nullptr, nullptr};
            g_type_add_interface_static(m.fakeFile, m.fileInfoType(), &fileInfo);
        }
    }

    void menusAndTheirEntries_data()
    {
        // Where below the folder ("-": a selected file, no menu), and who listens for a chosen entry.
        // A stuck bus takes the desktop's connection and then says nothing: a caller that waited for
        // it on the file manager's thread would freeze the file manager.
        addColumns<int, QString, QString>("module", "target", "listener");
        for (int m = 0; m < int(std::size(modules)); ++m) {
            for (const auto& [name, target, listener] : {std::tuple{"background, running instance", "", "instance"},
                                                         {"one selected folder, stuck bus", "/inner ?", "bus"},
                                                         {"one selected file, running instance", "-", "instance"},
                                                         {"one selected file, no instance", "-", "none"}})
                QTest::addRow("%s: %s", modules[m].name, name) << m << QString(target) << QString(listener);
        }
    }
    void menusAndTheirEntries()
    {
        const auto [module, target, listener] = fetch<int, QString, QString>("module", "target", "listener");
        const Module& m = modules[module];
        const QString path = m_folder + (target == "-" ? "/a.txt" : target);
        const Shown shown(m, {{path, target != "-"}}, target.isEmpty());
        QCOMPARE(Shown(m, {{m_folder, true}, {m_folder, true}}, false).items, nullptr); // never for two
        QCOMPARE(Shown(m, {{path, false}, {path, false}}, false).items, nullptr);
        // A single "_" would be taken for a shortcut mark and vanish from the menu. Thunar's theme picks the
        // first icon it has; Nemo and Caja take one name, which with no theme to ask is the generic one
        // (all themes have it); GNOME Files shows none.
        const auto icon = [&](const QString& names) {
            // GLib adds the symbolic variants after the names.
            const QString thunar = names.count(' ') ? ". GThemedIcon " + names + ' ' +
                                                          QString(names).replace(' ', "-symbolic ") + "-symbolic"
                                                    : names;
            return QString(m.name) == "thunar"     ? thunar
                   : QString(m.name) == "nautilus" ? names.section(' ', 0, 0)
                                                   : "text-x-generic";
        };
        const QString entry = QStringLiteral("New %1 %2 %3 ") + path + ' ' + m.name;
        const QStringList menu{"New File", "a__b ▸", entry.arg("my__memo", icon("text-x-python text-x-generic")).arg(1),
                               entry.arg("odd", icon("text-x-generic")).arg(2),
                               entry.arg("Markdown", icon("text-markdown text-x-generic")).arg(0)};
        const QString save = "Save as Template document-save-as " + path;
        QCOMPARE(shown.shown, target == "-" ? QStringList{save} : target.isEmpty() ? menu : menu + QStringList{save});
        // The file manager runs an entry by its name, across its background and selection menus: a
        // shared name would create the file in the other menu's folder.
        const Shown other(m, {{path, true}}, !target.isEmpty());
        QStringList names = shown.names + other.names;
        QCOMPARE(names.removeDuplicates(), 0);

        const QByteArray bus = QFile::encodeName(m_home->path() + "/" + listener + "-bus"); // none for an instance
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + bus);
        std::jthread hangUp;
        if (listener == "bus") {
            QFile::remove(bus);
            sockaddr_un address{AF_UNIX, {}};
            QVERIFY(size_t(bus.size()) < sizeof(address.sun_path));
            std::copy(bus.cbegin(), bus.cend(), address.sun_path);
            const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            QVERIFY(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                    ::listen(socket, 8) == 0);
            // Hangs up after four seconds, so a caller that waits is slow rather than stuck for ever.
            hangUp = std::jthread([socket] { ::poll(nullptr, 0, 4000), ::close(socket); });
        }
        InstanceChannel instance;
        QStringList served;
        QVERIFY(listener != "instance" || instance.listen());
        QList<bool> direct;
        instance.setHandler([&](const InstanceChannel::Message& message) {
            served += message.urls, direct += message.direct;
            return QStringList();
        });
        // Without an instance the command on the search path gets the request; Save as Template, the
        // user's own act, by the command's option, since a link would be asked about.
        const QString command = m_home->path() + "/bin/quintara.received";
        const QString received = listener != "instance" ? command : m_home->path() + "/handler.received";
        QFile::remove(command), QFile::remove(m_home->path() + "/handler.received");
        // The file manager's main loop must keep turning: every tick is measured against the last.
        QElapsedTimer sinceTick;
        qint64 longestStall = 0;
        QTimer ticks;
        connect(&ticks, &QTimer::timeout, this, [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
        sinceTick.start();
        ticks.start(20);
        const gpointer chosen = shown.entries.at(target == "-" ? 0 : 1);
        const int fileManagersOwn = ::open("/dev/null", O_RDONLY); // as a file manager leaves one open
        g_signal_emit_by_name(chosen, "activate");
        if (listener == "instance") {
            QTRY_COMPARE_WITH_TIMEOUT(served, QStringList{url(chosen)}, 30000);
            QCOMPARE(direct, QList<bool>{true});
            // A module that also ran the command or asked the desktop would have done so by now.
            QTest::qWait(300);
            QVERIFY(!QFile::exists(received) && !QFile::exists(command));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(received), 30000);
            QCOMPARE(readAll(received),
                     (target == "-" ? "--import\n" + LocalPath::toBytes(path) : url(chosen).toUtf8()) + '\n');
            // The command may become the resident program: nothing of the file manager's goes along.
            QVERIFY(!readAll(m_home->path() + "/bin/quintara.fds")
                         .split('\n')
                         .contains(QByteArray::number(fileManagersOwn)));
        }
        ::close(fileManagersOwn);
        QVERIFY2(longestStall < 1500, qPrintable(QString::number(longestStall) + " ms"));
    }
};

QTEST_GUILESS_MAIN(TestFileManagerModules)
#include "tst_FileManagerModules.moc"
