// Loads the built file manager module the way the file manager does (open the shared object, find
// its entry points, initialise it with a type module, instantiate the type it lists) and asks its
// menu provider for menus on stand-in file objects. No file manager runs.

#include "creation/CreateRequest.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <dlfcn.h>
#include <gio/gio.h>
#include <glib-object.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

extern "C" {
#include <nautilus-extension.h>
}

namespace {

using InitializeFn = void (*)(GTypeModule*);
using ListTypesFn = void (*)(const GType**, int*);
InitializeFn moduleInitialize = nullptr;

// The smallest type module: loading it initialises the module under test, as the file manager's loader does.
GType testTypeModuleType()
{
    static const GType type = g_type_register_static_simple(
        G_TYPE_TYPE_MODULE, "QuintaraTestTypeModule", sizeof(GTypeModuleClass),
        [](gpointer klass, gpointer) {
            static_cast<GTypeModuleClass*>(klass)->load = [](GTypeModule* m) -> gboolean {
                return moduleInitialize(m), TRUE;
            };
            static_cast<GTypeModuleClass*>(klass)->unload = [](GTypeModule*) {
            };
        },
        sizeof(GTypeModule), nullptr, GTypeFlags(0));
    return type;
}

// A file as the file manager describes it to extensions. Only what the provider asks is there, so a
// provider that starts asking for more fails here first.
struct FakeFileInfo {
    GObject parent;
    char* uri;
    gboolean isDirectory;
};

FakeFileInfo* fake(NautilusFileInfo* info)
{
    return reinterpret_cast<FakeFileInfo*>(info);
}

GType fakeFileInfoType()
{
    static const GType type = [] {
        const GType t = g_type_register_static_simple(
            G_TYPE_OBJECT, "QuintaraFakeFileInfo", sizeof(GObjectClass),
            [](gpointer klass, gpointer) {
                G_OBJECT_CLASS(klass)->finalize = [](GObject* object) {
                    g_free(reinterpret_cast<FakeFileInfo*>(object)->uri);
                    G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
                };
            },
            sizeof(FakeFileInfo), nullptr, GTypeFlags(0));
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

NautilusFileInfo* newFakeFile(const QString& path, bool isDirectory)
{
    auto* file = static_cast<FakeFileInfo*>(g_object_new(fakeFileInfoType(), nullptr));
    const QString uri = path.startsWith('/') ? QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) : path;
    file->uri = g_strdup(uri.toUtf8().constData());
    file->isDirectory = isDirectory;
    return reinterpret_cast<NautilusFileInfo*>(file);
}

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
        if (g_list_length(items) != 1)
            return;
        title = property(items->data, "label");
        names.append(property(items->data, "name"));
        NautilusMenu* submenu = nullptr;
        g_object_get(items->data, "menu", &submenu, nullptr);
        GList* children = submenu ? nautilus_menu_get_items(submenu) : nullptr;
        for (GList* node = children; node; node = node->next) {
            names.append(property(node->data, "name"));
            labels.append(property(node->data, "label"));
            entries.append(NAUTILUS_MENU_ITEM(node->data));
        }
        nautilus_menu_item_list_free(children); // the submenu keeps its own references
        if (submenu)
            g_object_unref(submenu);
    }
    ~Shown() { nautilus_menu_item_list_free(items); }
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;
    static QString launchedUrl(NautilusMenuItem* item)
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

using Selection = QList<std::pair<QString, bool>>; // path or URI, is a folder

class TestNautilusModule : public QObject {
    Q_OBJECT

    std::unique_ptr<TemporaryHome> m_home;
    QString m_folder;
    GObject* m_provider = nullptr;

    QByteArray noBus() const { return "unix:path=" + m_home->path().toUtf8() + "/no-bus"; }
    GList* backgroundItems(const QString& folder)
    {
        NautilusFileInfo* file = newFakeFile(folder, true);
        GList* items = nautilus_menu_provider_get_background_items(NAUTILUS_MENU_PROVIDER(m_provider), file);
        g_object_unref(file);
        return items;
    }
    GList* fileItems(const Selection& selection)
    {
        GList* files = nullptr;
        for (const auto& [path, isDirectory] : selection)
            files = g_list_append(files, newFakeFile(path, isDirectory));
        GList* items = nautilus_menu_provider_get_file_items(NAUTILUS_MENU_PROVIDER(m_provider), files);
        nautilus_file_info_list_free(files);
        return items;
    }
    QString received() const { return m_home->path() + QStringLiteral("/handler.received"); }

private Q_SLOTS:
    void initTestCase()
    {
        // One home for the whole run: GLib reads the XDG folders once per process.
        m_home = std::make_unique<TemporaryHome>();
        const QString data = m_home->path() + QStringLiteral("/data");
        qputenv("XDG_DATA_HOME", data.toUtf8());
        qputenv("XDG_DATA_DIRS", (m_home->path() + QStringLiteral("/no-system-data")).toUtf8());
        qputenv("XDG_CONFIG_DIRS", (m_home->path() + QStringLiteral("/no-system-config")).toUtf8());
        qunsetenv("XDG_CURRENT_DESKTOP");
        qputenv("GIO_MODULE_DIR", (m_home->path() + QStringLiteral("/no-modules")).toUtf8());
        qputenv("GIO_USE_VFS", "local");
        // The desktop's handler of the quintara scheme records the URL it was given.
        const QString handler = m_home->path() + QStringLiteral("/handler");
        writeAll(handler, "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.received\"\n");
        QVERIFY(QFile::setPermissions(handler, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        writeAll(data + QStringLiteral("/applications/quintara-test-handler.desktop"),
                 "[Desktop Entry]\nType=Application\nName=Test handler\nExec=" + handler.toUtf8() +
                     " %u\nMimeType=x-scheme-handler/quintara;\n");
        writeAll(m_home->configHome() + QStringLiteral("/mimeapps.list"),
                 "[Default Applications]\nx-scheme-handler/quintara=quintara-test-handler.desktop\n");

        m_folder = m_home->folder(QStringLiteral("Projects #1 & C++ 100% ü"));
        TemplateStore store;
        store.setEnabledBuiltIns({QStringLiteral("10000000-0000-0000-0000-000000000002")}); // Markdown
        store.customTemplates() = {customTemplate(QStringLiteral("my_memo"))};
        store.save();

        // The module stays loaded, as in the file manager: its types cannot be unregistered.
        void* handle = dlopen(QUINTARA_NAUTILUS_MODULE, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(handle, dlerror());
        moduleInitialize = reinterpret_cast<InitializeFn>(dlsym(handle, "nautilus_module_initialize"));
        const auto listTypes = reinterpret_cast<ListTypesFn>(dlsym(handle, "nautilus_module_list_types"));
        QVERIFY(moduleInitialize && listTypes && dlsym(handle, "nautilus_module_shutdown"));
        GTypeModule* typeModule = G_TYPE_MODULE(g_object_new(testTypeModuleType(), nullptr));
        QVERIFY(g_type_module_use(typeModule));
        const GType* types = nullptr;
        int count = -1;
        listTypes(&types, &count);
        QCOMPARE(count, 1);
        QVERIFY(g_type_is_a(types[0], NAUTILUS_TYPE_MENU_PROVIDER));
        m_provider = G_OBJECT(g_object_new(types[0], nullptr));
    }
    void cleanupTestCase()
    {
        if (m_provider)
            g_object_unref(m_provider);
        m_home.reset();
    }
    void init()
    {
        // No session bus: launching must not depend on one.
        qputenv("DBUS_SESSION_BUS_ADDRESS", noBus());
        QFile::remove(received());
    }

    void menuOnlyForOneLocalFolder_data()
    {
        QTest::addColumn<bool>("background");
        QTest::addColumn<Selection>("clicked");
        QTest::addColumn<QString>("target"); // empty = no menu
        const QString inner = m_folder + QStringLiteral("/inner ?");
        QDir().mkpath(inner);
        QTest::newRow("background of a folder") << true << Selection{{m_folder, true}} << m_folder;
        QTest::newRow("one selected folder") << false << Selection{{inner, true}} << inner;
        QTest::newRow("two selected folders") << false << Selection{{inner, true}, {m_folder, true}} << QString();
        QTest::newRow("background of the trash") << true << Selection{{"trash:///", true}} << QString();
    }
    void menuOnlyForOneLocalFolder()
    {
        QFETCH(bool, background);
        QFETCH(Selection, clicked);
        QFETCH(QString, target);
        const Shown shown(background ? backgroundItems(clicked.constFirst().first) : fileItems(clicked));
        if (target.isEmpty()) {
            QCOMPARE(shown.items, nullptr);
            return;
        }
        QCOMPARE(shown.title, QStringLiteral("New File"));
        // A single "_" would be taken for a shortcut mark and vanish from the menu.
        QCOMPARE(shown.labels, (QStringList{"New Markdown", "New my__memo"}));
        for (qsizetype i = 0; i < shown.entries.size(); ++i) {
            const auto request = CreateRequest::parse(QUrl(Shown::launchedUrl(shown.entries.at(i)), QUrl::StrictMode));
            QVERIFY(request);
            QCOMPARE(std::pair(request->index, request->directoryPath), std::pair(qint64(i), target));
        }
    }

    // The file manager runs an entry by its name, and keeps the names of the background menu and of
    // the selection menu side by side: a shared name would create the file in the other menu's folder.
    void selectionAndBackgroundEntriesAreNamedApart()
    {
        const Shown background(backgroundItems(m_folder));
        const Shown selection(fileItems({{m_folder, true}}));
        QCOMPARE(selection.labels, background.labels);
        QCOMPARE(background.names.size(), 3);
        for (const QString& name : background.names) {
            QVERIFY2(!selection.names.contains(name), qPrintable(name));
            QCOMPARE(background.names.count(name), 1);
        }
    }

    void choosingAnEntryHandsItsUrlToTheSchemeHandler_data()
    {
        QTest::addColumn<bool>("stuckBus");
        QTest::newRow("no session bus") << false;
        // A bus that takes the connection and then says nothing until it hangs up: a caller that
        // waited for it on the file manager's thread would freeze the file manager.
        QTest::newRow("a stuck session bus") << true;
    }
    void choosingAnEntryHandsItsUrlToTheSchemeHandler()
    {
        QFETCH(bool, stuckBus);
        std::jthread hangUp;
        if (stuckBus) {
            const QByteArray path = QFile::encodeName(m_home->path() + QStringLiteral("/stuck-bus"));
            ::unlink(path.constData());
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            QVERIFY(size_t(path.size()) < sizeof(address.sun_path));
            std::copy(path.cbegin(), path.cend(), address.sun_path);
            const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            QVERIFY(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
            QVERIFY(::listen(listener, 8) == 0);
            // Never answers, and hangs up after four seconds, so a caller that waits is slow, not stuck.
            hangUp = std::jthread([listener] {
                ::poll(nullptr, 0, 4000);
                ::close(listener);
            });
            qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + path);
        }
        const Shown shown(backgroundItems(m_folder));
        QCOMPARE(shown.entries.size(), 2);
        QElapsedTimer activation;
        activation.start();
        nautilus_menu_item_activate(shown.entries.at(1));
        QVERIFY2(activation.elapsed() < 1500, qPrintable(QString::number(activation.elapsed()) + " ms"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(received()), 30000);
        QCOMPARE(QString::fromUtf8(readAll(received())), Shown::launchedUrl(shown.entries.at(1)));
    }
};

QTEST_GUILESS_MAIN(TestNautilusModule)
#include "tst_NautilusModule.moc"
