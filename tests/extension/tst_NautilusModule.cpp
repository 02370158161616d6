// Loads the built file manager module the way the file manager does (open the shared object, find
// its entry points, initialise it with a type module, instantiate the type it lists) and asks its
// menu provider for menus on stand-in file objects. No file manager runs.
#include "creation/CreateRequest.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

#include <QtTest>

#include <dlfcn.h>
#include <gio/gio.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>

extern "C" {
#include <nautilus-extension.h>
}

namespace {

void (*moduleInitialize)(GTypeModule*) = nullptr;

// A file as the file manager describes it to extensions. Only what the provider asks is there, so a
// provider that starts asking for more fails here first.
struct FakeFile {
    GObject parent;
    char* uri;
    gboolean isDirectory;
};

FakeFile* fake(NautilusFileInfo* info)
{
    return reinterpret_cast<FakeFile*>(info);
}

GType fakeFileType()
{
    static const GType type = [] {
        const GType t = g_type_register_static_simple(
            G_TYPE_OBJECT, "QuintaraFakeFile", sizeof(GObjectClass),
            [](gpointer klass, gpointer) {
                G_OBJECT_CLASS(klass)->finalize = [](GObject* object) {
                    g_free(reinterpret_cast<FakeFile*>(object)->uri);
                    G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
                };
            },
            sizeof(FakeFile), nullptr, GTypeFlags(0));
        static const GInterfaceInfo fileInfo = {[](gpointer iface, gpointer) {
                                                    auto* info = static_cast<NautilusFileInfoInterface*>(iface);
                                                    info->get_uri = [](NautilusFileInfo* i) {
                                                        return g_strdup(fake(i)->uri);
                                                    };
                                                    info->get_location = [](NautilusFileInfo* i) {
                                                        return g_file_new_for_uri(fake(i)->uri);
                                                    };
                                                    info->is_directory = [](NautilusFileInfo* i) {
                                                        return fake(i)->isDirectory;
                                                    };
                                                },
                                                nullptr, nullptr};
        g_type_add_interface_static(t, NAUTILUS_TYPE_FILE_INFO, &fileInfo);
        return t;
    }();
    return type;
}

// A list of stand-in files, for a path or a URI each; freed with the object.
struct Files {
    explicit Files(const QList<std::pair<QString, bool>>& described)
    {
        for (const auto& [location, isDirectory] : described) {
            auto* file = static_cast<FakeFile*>(g_object_new(fakeFileType(), nullptr));
            const QString uri =
                location.startsWith('/') ? QUrl::fromLocalFile(location).toString(QUrl::FullyEncoded) : location;
            file->uri = g_strdup(uri.toUtf8().constData());
            file->isDirectory = isDirectory;
            list = g_list_append(list, file);
        }
    }
    ~Files() { nautilus_file_info_list_free(list); }
    GList* list = nullptr;
};

QString property(gpointer object, const char* name)
{
    char* value = nullptr;
    g_object_get(object, name, &value, nullptr);
    const QString result = QString::fromUtf8(value);
    g_free(value);
    return result;
}

// What the file manager would show and launch for one list of provider items; owns the list.
struct Shown {
    explicit Shown(GList* list) : items(list)
    {
        NautilusMenu* submenu = nullptr;
        if (g_list_length(items) == 1)
            g_object_get(items->data, "menu", &submenu, nullptr);
        if (!submenu)
            return;
        title = property(items->data, "label");
        names.append(property(items->data, "name"));
        GList* children = nautilus_menu_get_items(submenu);
        for (GList* node = children; node; node = node->next) {
            names.append(property(node->data, "name"));
            labels.append(property(node->data, "label"));
            entries.append(NAUTILUS_MENU_ITEM(node->data));
        }
        nautilus_menu_item_list_free(children); // the submenu keeps its own references
        g_object_unref(submenu);
    }
    ~Shown() { nautilus_menu_item_list_free(items); }
    static QString url(NautilusMenuItem* item)
    {
        return QString::fromUtf8(static_cast<const char*>(g_object_get_data(G_OBJECT(item), "quintara-create-url")));
    }
    GList* items;
    QString title;
    QStringList names; // the submenu's item and its entries
    QStringList labels;
    QList<NautilusMenuItem*> entries;
};

} // namespace

class TestNautilusModule : public QObject {
    Q_OBJECT

    std::unique_ptr<TemporaryHome> m_home;
    QString m_folder;
    NautilusMenuProvider* m_provider = nullptr;

    GList* background(const QString& folder)
    {
        const Files files({{folder, true}});
        return nautilus_menu_provider_get_background_items(m_provider, NAUTILUS_FILE_INFO(files.list->data));
    }
    GList* selection(const QList<std::pair<QString, bool>>& selected)
    {
        return nautilus_menu_provider_get_file_items(m_provider, Files(selected).list);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // One home for the whole run: GLib reads the XDG folders once per process.
        m_home = std::make_unique<TemporaryHome>();
        for (const char* name : {"XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "GIO_MODULE_DIR"}) // none of the system's
            qputenv(name, m_home->path().toUtf8() + "/none");
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

        m_folder = m_home->folder("Projects #1 & C++ 100% ü");
        TemplateStore store;
        store.setEnabledBuiltIns({"10000000-0000-0000-0000-000000000002"}); // Markdown
        store.customTemplates() = {customTemplate("my_memo")};
        store.save();

        // The module stays loaded, as in the file manager: its types cannot be unregistered.
        void* module = dlopen(QUINTARA_NAUTILUS_MODULE, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(module, dlerror());
        moduleInitialize = reinterpret_cast<decltype(moduleInitialize)>(dlsym(module, "nautilus_module_initialize"));
        const auto listTypes =
            reinterpret_cast<void (*)(const GType**, int*)>(dlsym(module, "nautilus_module_list_types"));
        QVERIFY(moduleInitialize && listTypes && dlsym(module, "nautilus_module_shutdown"));
        // The smallest type module: loading it initialises the module, as the file manager's loader does.
        const GType loaderType = g_type_register_static_simple(
            G_TYPE_TYPE_MODULE, "QuintaraTestLoader", sizeof(GTypeModuleClass),
            [](gpointer klass, gpointer) {
                static_cast<GTypeModuleClass*>(klass)->load = [](GTypeModule* m) -> gboolean {
                    return moduleInitialize(m), TRUE;
                };
                static_cast<GTypeModuleClass*>(klass)->unload = [](GTypeModule*) {
                };
            },
            sizeof(GTypeModule), nullptr, GTypeFlags(0));
        QVERIFY(g_type_module_use(G_TYPE_MODULE(g_object_new(loaderType, nullptr))));
        const GType* types = nullptr;
        int count = 0;
        listTypes(&types, &count);
        QVERIFY(count == 1 && g_type_is_a(types[0], NAUTILUS_TYPE_MENU_PROVIDER));
        m_provider = NAUTILUS_MENU_PROVIDER(g_object_new(types[0], nullptr));
    }
    void init() { qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_home->path().toUtf8() + "/no-bus"); }

    void menuOnlyForOneLocalFolder_data()
    {
        QTest::addColumn<bool>("inBackground");
        QTest::addColumn<bool>("isDirectory");
        QTest::addColumn<QString>("target"); // below the folder; "-" = no menu
        QTest::newRow("background of a folder") << true << true << "";
        QTest::newRow("one selected folder") << false << true << "/inner ?";
        QTest::newRow("one selected file") << false << false << "-";
    }
    void menuOnlyForOneLocalFolder()
    {
        QFETCH(bool, inBackground);
        QFETCH(bool, isDirectory);
        QFETCH(QString, target);
        const QString path = m_folder + (target == "-" ? "/a.txt" : target);
        const Shown shown(inBackground ? background(path) : selection({{path, isDirectory}}));
        QCOMPARE(shown.items != nullptr, target != "-");
        QCOMPARE(selection({{m_folder, true}, {m_folder, true}}), nullptr); // never for two
        if (!shown.items)
            return;
        QCOMPARE(shown.title, "New File");
        // A single "_" would be taken for a shortcut mark and vanish from the menu.
        QCOMPARE(shown.labels, (QStringList{"New Markdown", "New my__memo"}));
        for (qsizetype i = 0; i < shown.entries.size(); ++i) {
            const auto request = CreateRequest::parse(Shown::url(shown.entries.at(i)));
            QCOMPARE(request ? std::pair(request->index, request->directoryPath) : std::pair(-1LL, QString()),
                     std::pair(qint64(i), path));
        }
    }

    // The file manager runs an entry by its name, and keeps the names of the background menu and of
    // the selection menu side by side: a shared name would create the file in the other menu's folder.
    void selectionAndBackgroundEntriesAreNamedApart()
    {
        const Shown inBackground(background(m_folder));
        const Shown inSelection(selection({{m_folder, true}}));
        QCOMPARE(inSelection.labels, inBackground.labels);
        QCOMPARE(QSet<QString>(inBackground.names.begin(), inBackground.names.end()).size(), 3);
        for (const QString& name : inBackground.names)
            QVERIFY2(!inSelection.names.contains(name), qPrintable(name));
    }

    void choosingAnEntryHandsItsUrlToTheSchemeHandler_data()
    {
        QTest::addColumn<bool>("stuckBus");
        QTest::newRow("no session bus") << false;
        // A bus that takes the connection and then says nothing: a caller that waited for it on the
        // file manager's thread would freeze the file manager.
        QTest::newRow("a stuck session bus") << true;
    }
    void choosingAnEntryHandsItsUrlToTheSchemeHandler()
    {
        QFETCH(bool, stuckBus);
        std::jthread hangUp;
        if (stuckBus) {
            const QByteArray path = QFile::encodeName(m_home->path() + "/stuck-bus");
            QFile::remove(path);
            sockaddr_un address{AF_UNIX, {}};
            QVERIFY(size_t(path.size()) < sizeof(address.sun_path));
            std::copy(path.cbegin(), path.cend(), address.sun_path);
            const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            QVERIFY(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
            QVERIFY(::listen(listener, 8) == 0);
            // Hangs up after four seconds, so a caller that waits is slow rather than stuck for ever.
            hangUp = std::jthread([listener] { ::poll(nullptr, 0, 4000), ::close(listener); });
            qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + path);
        }
        const QString received = m_home->path() + "/handler.received";
        QFile::remove(received);
        const Shown shown(background(m_folder));
        QCOMPARE(shown.entries.size(), 2);
        QElapsedTimer activation;
        activation.start();
        nautilus_menu_item_activate(shown.entries.at(1));
        QVERIFY2(activation.elapsed() < 1500, qPrintable(QString::number(activation.elapsed()) + " ms"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(received), 30000);
        QCOMPARE(QString::fromUtf8(readAll(received)), Shown::url(shown.entries.at(1)));
    }
};

QTEST_GUILESS_MAIN(TestNautilusModule)
#include "tst_NautilusModule.moc"
