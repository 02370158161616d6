// Loads the built file manager module the way the file manager does (open the shared object, find
// the three entry points, initialise it with a type module, instantiate the types it lists) and
// asks its menu provider for menus on stand-in file objects. No file manager runs.

#include "creation/CreateRequest.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <chrono>
#include <dlfcn.h>
#include <gio/gio.h>
#include <glib-object.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern "C" {
#include <nautilus-extension.h>
}

namespace {

using InitializeFn = void (*)(GTypeModule*);
using ShutdownFn = void (*)();
using ListTypesFn = void (*)(const GType**, int*);

InitializeFn moduleInitialize = nullptr;

// The smallest type module: loading it means initialising the module under test, as the file
// manager's own loader does.
gboolean loadTypeModule(GTypeModule* module)
{
    moduleInitialize(module);
    return TRUE;
}

void unloadTypeModule(GTypeModule*) {}

void initTypeModuleClass(gpointer klass, gpointer)
{
    auto* moduleClass = static_cast<GTypeModuleClass*>(klass);
    moduleClass->load = loadTypeModule;
    moduleClass->unload = unloadTypeModule;
}

GType testTypeModuleType()
{
    static const GType type =
        g_type_register_static_simple(G_TYPE_TYPE_MODULE, "QuintaraTestTypeModule", sizeof(GTypeModuleClass),
                                      initTypeModuleClass, sizeof(GTypeModule), nullptr, GTypeFlags(0));
    return type;
}

// A file as the file manager describes it to extensions. Only what the provider asks is there, so
// a provider that starts asking for more fails here first.
struct FakeFileInfo {
    GObject parent;
    char* uri;
    gboolean isDirectory;
};

char* fakeGetUri(NautilusFileInfo* info)
{
    return g_strdup(reinterpret_cast<FakeFileInfo*>(info)->uri);
}

GFile* fakeGetLocation(NautilusFileInfo* info)
{
    return g_file_new_for_uri(reinterpret_cast<FakeFileInfo*>(info)->uri);
}

gboolean fakeIsDirectory(NautilusFileInfo* info)
{
    return reinterpret_cast<FakeFileInfo*>(info)->isDirectory;
}

void initFakeFileInfoInterface(gpointer iface, gpointer)
{
    auto* fileInfo = static_cast<NautilusFileInfoInterface*>(iface);
    fileInfo->get_uri = fakeGetUri;
    fileInfo->get_location = fakeGetLocation;
    fileInfo->is_directory = fakeIsDirectory;
}

void finalizeFakeFileInfo(GObject* object)
{
    g_free(reinterpret_cast<FakeFileInfo*>(object)->uri);
    G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
}

void initFakeFileInfoClass(gpointer klass, gpointer)
{
    G_OBJECT_CLASS(klass)->finalize = finalizeFakeFileInfo;
}

GType fakeFileInfoType()
{
    static const GType type = [] {
        const GType t =
            g_type_register_static_simple(G_TYPE_OBJECT, "QuintaraFakeFileInfo", sizeof(GObjectClass),
                                          initFakeFileInfoClass, sizeof(FakeFileInfo), nullptr, GTypeFlags(0));
        static const GInterfaceInfo fileInfo = {initFakeFileInfoInterface, nullptr, nullptr};
        g_type_add_interface_static(t, NAUTILUS_TYPE_FILE_INFO, &fileInfo);
        return t;
    }();
    return type;
}

// A new stand-in file object; the reference is the caller's.
NautilusFileInfo* newFakeFile(const QString& uri, bool isDirectory)
{
    auto* fake = static_cast<FakeFileInfo*>(g_object_new(fakeFileInfoType(), nullptr));
    fake->uri = g_strdup(uri.toUtf8().constData());
    fake->isDirectory = isDirectory;
    return reinterpret_cast<NautilusFileInfo*>(fake);
}

QString fileUri(const QString& path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

QString stringProperty(gpointer object, const char* name)
{
    char* value = nullptr;
    g_object_get(object, name, &value, nullptr);
    const QString result = QString::fromUtf8(value);
    g_free(value);
    return result;
}

// What the file manager would show and launch for one list of provider items.
struct Shown {
    QString title;
    QStringList names; // the submenu's item and its entries
    QStringList labels;
    QList<NautilusMenuItem*> entries; // borrowed from the list
};

Shown describe(GList* items)
{
    Shown shown;
    if (g_list_length(items) != 1)
        return shown;
    shown.title = stringProperty(items->data, "label");
    shown.names.append(stringProperty(items->data, "name"));
    NautilusMenu* submenu = nullptr;
    g_object_get(items->data, "menu", &submenu, nullptr);
    if (!submenu)
        return shown;
    GList* entries = nautilus_menu_get_items(submenu);
    for (GList* node = entries; node; node = node->next) {
        shown.names.append(stringProperty(node->data, "name"));
        shown.labels.append(stringProperty(node->data, "label"));
        shown.entries.append(NAUTILUS_MENU_ITEM(node->data));
    }
    nautilus_menu_item_list_free(entries); // the submenu keeps its own references
    g_object_unref(submenu);
    return shown;
}

QString launchedUrl(NautilusMenuItem* item)
{
    return QString::fromUtf8(static_cast<const char*>(g_object_get_data(G_OBJECT(item), "quintara-create-url")));
}

// A session bus that takes connections and then says nothing until it hangs up, as a stuck bus
// does. A caller that waited for it on the file manager's thread would freeze the file manager.
class SilentBus {
public:
    SilentBus(const QString& path, std::chrono::milliseconds silence)
    {
        const QByteArray name = QFile::encodeName(path);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (size_t(name.size()) >= sizeof(address.sun_path))
            return;
        std::copy(name.cbegin(), name.cend(), address.sun_path);
        m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 8) != 0)
            return;
        m_listening = true;
        m_thread = std::thread([this, silence] { holdConnections(silence); });
    }
    ~SilentBus()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (m_listener >= 0)
            ::close(m_listener);
    }
    SilentBus(const SilentBus&) = delete;
    SilentBus& operator=(const SilentBus&) = delete;

    bool isListening() const { return m_listening; }

private:
    void holdConnections(std::chrono::milliseconds silence)
    {
        std::vector<int> held;
        const auto end = std::chrono::steady_clock::now() + silence;
        for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
            pollfd pending{m_listener, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
            if (::poll(&pending, 1, int(left.count()) + 1) > 0) {
                const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
                if (connection >= 0)
                    held.push_back(connection);
            }
        }
        for (const int connection : held)
            ::close(connection);
    }

    int m_listener = -1;
    bool m_listening = false;
    std::thread m_thread;
};

} // namespace

class TestNautilusModule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void exportsTheEntryPointsAndListsAMenuProvider();
    void menuOnlyForOneLocalFolder_data();
    void menuOnlyForOneLocalFolder();
    void selectionAndBackgroundEntriesAreNamedApart();
    void choosingAnEntryHandsItsUrlToTheSchemeHandler();
    void choosingAnEntryDoesNotWaitForAStuckSessionBus();

private:
    // Asks the provider; the items are the caller's.
    GList* backgroundItems(const QString& uri, bool isDirectory = true);
    GList* fileItems(const QList<std::pair<QString, bool>>& selection); // URI, is a folder

    std::unique_ptr<TemporaryHome> m_home;
    QString m_folder;
    void* m_handle = nullptr;
    GType m_providerType = 0;
    GObject* m_provider = nullptr;
};

void TestNautilusModule::initTestCase()
{
    // One home for the whole run: GLib reads the XDG folders once per process.
    m_home = std::make_unique<TemporaryHome>();
    const QString data = m_home->path() + QStringLiteral("/data");
    QVERIFY(QDir().mkpath(data + QStringLiteral("/applications")));
    qputenv("XDG_DATA_HOME", data.toUtf8());
    qputenv("XDG_DATA_DIRS", (m_home->path() + QStringLiteral("/no-system-data")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", (m_home->path() + QStringLiteral("/no-system-config")).toUtf8());
    qunsetenv("XDG_CURRENT_DESKTOP");
    // No session bus and no GIO plug-ins: launching must not depend on either.
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + m_home->path() + "/no-bus").toUtf8());
    qputenv("GIO_MODULE_DIR", (m_home->path() + QStringLiteral("/no-modules")).toUtf8());
    qputenv("GIO_USE_VFS", "local");

    // The desktop's handler of the quintara scheme: records the URL it was given.
    const QString handler = m_home->path() + QStringLiteral("/handler");
    writeAll(handler, "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.received\"\n");
    QVERIFY(QFile::setPermissions(handler, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    writeAll(data + QStringLiteral("/applications/quintara-test-handler.desktop"),
             "[Desktop Entry]\nType=Application\nName=Test handler\nExec=" + handler.toUtf8() +
                 " %u\nMimeType=x-scheme-handler/quintara;\n");
    writeAll(m_home->configHome() + QStringLiteral("/mimeapps.list"),
             "[Default Applications]\nx-scheme-handler/quintara=quintara-test-handler.desktop\n");

    m_folder = m_home->path() + QStringLiteral("/Projects #1 & C++ 100% ü");
    QVERIFY(QDir().mkpath(m_folder));
    TemplateStore store;
    store.setEnabledBuiltIns({QStringLiteral("10000000-0000-0000-0000-000000000002")}); // Markdown
    store.customTemplates() = {
        {QUuid::createUuid(), QStringLiteral("my_memo"), QStringLiteral("txt"), QString(), false}};
    store.save();

    m_handle = dlopen(QUINTARA_NAUTILUS_MODULE, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(m_handle, dlerror());
}

void TestNautilusModule::cleanupTestCase()
{
    if (m_provider)
        g_object_unref(m_provider);
    if (m_handle) {
        if (auto shutdown = reinterpret_cast<ShutdownFn>(dlsym(m_handle, "nautilus_module_shutdown")))
            shutdown();
    }
    // The module stays loaded, as in the file manager: its types cannot be unregistered.
    m_home.reset();
}

void TestNautilusModule::exportsTheEntryPointsAndListsAMenuProvider()
{
    moduleInitialize = reinterpret_cast<InitializeFn>(dlsym(m_handle, "nautilus_module_initialize"));
    const auto listTypes = reinterpret_cast<ListTypesFn>(dlsym(m_handle, "nautilus_module_list_types"));
    QVERIFY(moduleInitialize);
    QVERIFY(listTypes);
    QVERIFY(dlsym(m_handle, "nautilus_module_shutdown"));

    GTypeModule* typeModule = G_TYPE_MODULE(g_object_new(testTypeModuleType(), nullptr));
    g_type_module_set_name(typeModule, "quintara-nautilus");
    QVERIFY(g_type_module_use(typeModule));

    const GType* types = nullptr;
    int count = -1;
    listTypes(&types, &count);
    QCOMPARE(count, 1);
    m_providerType = types[0];
    QVERIFY(g_type_is_a(m_providerType, G_TYPE_OBJECT));
    QVERIFY(g_type_is_a(m_providerType, NAUTILUS_TYPE_MENU_PROVIDER));
    m_provider = G_OBJECT(g_object_new(m_providerType, nullptr));
    QVERIFY(NAUTILUS_IS_MENU_PROVIDER(m_provider));
}

GList* TestNautilusModule::backgroundItems(const QString& uri, bool isDirectory)
{
    NautilusFileInfo* folder = newFakeFile(uri, isDirectory);
    GList* items = nautilus_menu_provider_get_background_items(NAUTILUS_MENU_PROVIDER(m_provider), folder);
    g_object_unref(folder);
    return items;
}

GList* TestNautilusModule::fileItems(const QList<std::pair<QString, bool>>& selection)
{
    GList* files = nullptr;
    for (const auto& [uri, isDirectory] : selection)
        files = g_list_append(files, newFakeFile(uri, isDirectory));
    GList* items = nautilus_menu_provider_get_file_items(NAUTILUS_MENU_PROVIDER(m_provider), files);
    nautilus_file_info_list_free(files);
    return items;
}

using Selection = QList<std::pair<QString, bool>>; // URI, is a folder

void TestNautilusModule::menuOnlyForOneLocalFolder_data()
{
    QTest::addColumn<bool>("background");
    QTest::addColumn<Selection>("clicked");
    QTest::addColumn<QString>("target"); // empty = no menu

    const QString folder = m_folder;
    const QString inner = m_folder + QStringLiteral("/inner ?");
    QTest::newRow("background of a folder") << true << Selection{{fileUri(folder), true}} << folder;
    QTest::newRow("one selected folder") << false << Selection{{fileUri(inner), true}} << inner;
    QTest::newRow("one selected file") << false << Selection{{fileUri(folder + QStringLiteral("/a.txt")), false}}
                                       << QString();
    QTest::newRow("two selected folders")
        << false << Selection{{fileUri(inner), true}, {fileUri(folder), true}} << QString();
    for (const char* uri : {"trash:///", "recent:///", "network:///", "sftp://host/srv"}) {
        QTest::addRow("background of %s", uri) << true << Selection{{QString::fromLatin1(uri), true}} << QString();
        QTest::addRow("%s selected", uri) << false << Selection{{QString::fromLatin1(uri), true}} << QString();
    }
}

void TestNautilusModule::menuOnlyForOneLocalFolder()
{
    QFETCH(bool, background);
    QFETCH(Selection, clicked);
    QFETCH(QString, target);
    QVERIFY(m_provider);
    QVERIFY(QDir().mkpath(m_folder + QStringLiteral("/inner ?")));

    GList* items = background ? backgroundItems(clicked.constFirst().first) : fileItems(clicked);
    if (target.isEmpty()) {
        QCOMPARE(items, nullptr);
        return;
    }
    const Shown shown = describe(items);
    QCOMPARE(shown.title, QStringLiteral("New File"));
    // A single "_" would be taken for a shortcut mark and vanish from the menu.
    QCOMPARE(shown.labels, (QStringList{"New Markdown", "New my__memo"}));
    for (qsizetype i = 0; i < shown.entries.size(); ++i) {
        const std::optional<CreateRequest> request = CreateRequest::parse(launchedUrl(shown.entries.at(i)));
        QVERIFY(request);
        QCOMPARE(std::pair(request->index, request->directoryPath), std::pair(qint64(i), target));
    }
    nautilus_menu_item_list_free(items);
}

// The file manager runs an entry by its name, and keeps the names of the background menu and of
// the selection menu side by side: a shared name would create the file in the other menu's folder.
void TestNautilusModule::selectionAndBackgroundEntriesAreNamedApart()
{
    QVERIFY(m_provider);
    GList* background = backgroundItems(fileUri(m_folder));
    GList* selection = fileItems({{fileUri(m_folder), true}});
    const Shown inBackground = describe(background);
    const Shown inSelection = describe(selection);
    QCOMPARE(inSelection.labels, inBackground.labels);
    QVERIFY(!inBackground.names.isEmpty());
    for (const QString& name : inBackground.names) {
        QVERIFY2(!inSelection.names.contains(name), qPrintable(name));
        QCOMPARE(inBackground.names.count(name), 1);
    }
    nautilus_menu_item_list_free(background);
    nautilus_menu_item_list_free(selection);
}

void TestNautilusModule::choosingAnEntryHandsItsUrlToTheSchemeHandler()
{
    QVERIFY(m_provider);
    GList* items = backgroundItems(fileUri(m_folder));
    const Shown shown = describe(items);
    QVERIFY(shown.entries.size() >= 2);
    NautilusMenuItem* second = shown.entries.at(1);

    const QString received = m_home->path() + QStringLiteral("/handler.received");
    QFile::remove(received);
    nautilus_menu_item_activate(second);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(received), 20000);
    QCOMPARE(QString::fromUtf8(readAll(received)), launchedUrl(second));
    const std::optional<CreateRequest> request = CreateRequest::parse(launchedUrl(second));
    QVERIFY(request);
    QCOMPARE(std::pair(request->index, request->directoryPath), std::pair(qint64(1), m_folder));
    nautilus_menu_item_list_free(items);
}

// Last: it leaves the process's session bus address pointing at a bus that is gone.
void TestNautilusModule::choosingAnEntryDoesNotWaitForAStuckSessionBus()
{
    QVERIFY(m_provider);
    using namespace std::chrono_literals;
    const SilentBus bus(m_home->path() + QStringLiteral("/silent-bus"), 4s);
    QVERIFY(bus.isListening());
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + m_home->path() + "/silent-bus").toUtf8());

    GList* items = backgroundItems(fileUri(m_folder));
    const Shown shown = describe(items);
    QVERIFY(!shown.entries.isEmpty());
    const QString received = m_home->path() + QStringLiteral("/handler.received");
    QFile::remove(received);

    QElapsedTimer activation;
    activation.start();
    nautilus_menu_item_activate(shown.entries.constFirst());
    QVERIFY2(activation.elapsed() < 1500, qPrintable(QString::number(activation.elapsed()) + " ms"));
    // Once the bus has given up, the request still goes out.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(received), 30000);
    QCOMPARE(QString::fromUtf8(readAll(received)), launchedUrl(shown.entries.constFirst()));
    nautilus_menu_item_list_free(items);
}

QTEST_GUILESS_MAIN(TestNautilusModule)
#include "tst_NautilusModule.moc"
