// Click to file: wall time from the activation of a "New …" entry of the GNOME Files module (loaded
// as the file manager loads it, on stand-in file objects) to the new file on disk:
//  - with an instance running: the module hands the request over the instance channel;
//  - without: the module runs `quintara`, which serves the request itself.
// Each is reported against `touch` of a file in the same run. Target with an instance running:
// within 2x touch.
//
// Usage: bench_module [path/to/quintara] [iterations]
#include "BenchHome.h"

#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <dlfcn.h>
#include <gio/gio.h>

extern "C" {
#include <nautilus-extension.h>
}

namespace {

struct FakeFolder {
    GObject parent;
    char* uri;
};

// A local folder as the file manager describes it: only what the provider asks is there.
GType fakeFolderType()
{
    static const GType type = [] {
        const GType t = g_type_register_static_simple(G_TYPE_OBJECT, "BenchFolder", sizeof(GObjectClass), nullptr,
                                                      sizeof(FakeFolder), nullptr, GTypeFlags(0));
        static const GInterfaceInfo fileInfo = {[](gpointer iface, gpointer) {
                                                    auto* info = static_cast<NautilusFileInfoInterface*>(iface);
                                                    info->get_uri = [](NautilusFileInfo* i) {
                                                        return g_strdup(reinterpret_cast<FakeFolder*>(i)->uri);
                                                    };
                                                    info->get_location = [](NautilusFileInfo* i) {
                                                        return g_file_new_for_uri(
                                                            reinterpret_cast<FakeFolder*>(i)->uri);
                                                    };
                                                    info->is_directory = [](NautilusFileInfo*) -> gboolean {
                                                        return TRUE;
                                                    };
                                                },
                                                nullptr, nullptr};
        g_type_add_interface_static(t, NAUTILUS_TYPE_FILE_INFO, &fileInfo);
        return t;
    }();
    return type;
}

void (*moduleInitialize)(GTypeModule*) = nullptr;

NautilusMenuProvider* loadProvider()
{
    void* module = dlopen(QUINTARA_NAUTILUS_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "%s\n", dlerror());
        std::exit(1);
    }
    moduleInitialize = reinterpret_cast<decltype(moduleInitialize)>(dlsym(module, "nautilus_module_initialize"));
    const auto listTypes = reinterpret_cast<void (*)(const GType**, int*)>(dlsym(module, "nautilus_module_list_types"));
    const GType loader = g_type_register_static_simple(
        G_TYPE_TYPE_MODULE, "BenchLoader", sizeof(GTypeModuleClass),
        [](gpointer klass, gpointer) {
            static_cast<GTypeModuleClass*>(klass)->load = [](GTypeModule* m) -> gboolean {
                return moduleInitialize(m), TRUE;
            };
            static_cast<GTypeModuleClass*>(klass)->unload = [](GTypeModule*) {
            };
        },
        sizeof(GTypeModule), nullptr, GTypeFlags(0));
    g_type_module_use(G_TYPE_MODULE(g_object_new(loader, nullptr)));
    const GType* types = nullptr;
    int count = 0;
    listTypes(&types, &count);
    return NAUTILUS_MENU_PROVIDER(g_object_new(types[0], nullptr));
}

// Activates the first entry of the background menu of `folder` and returns the milliseconds until
// the file is on disk. The module's own main-context work runs meanwhile, as in the file manager.
double clickToFile(NautilusMenuProvider* provider, const QString& folder)
{
    QDir().mkpath(folder);
    auto* file = static_cast<FakeFolder*>(g_object_new(fakeFolderType(), nullptr));
    file->uri = g_strdup(QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded).toUtf8().constData());
    GList* items = nautilus_menu_provider_get_background_items(provider, NAUTILUS_FILE_INFO(file));
    NautilusMenu* submenu = nullptr;
    g_object_get(items->data, "menu", &submenu, nullptr);
    GList* entries = nautilus_menu_get_items(submenu);

    const QString created = folder + QStringLiteral("/Untitled.txt");
    QElapsedTimer timer;
    timer.start();
    nautilus_menu_item_activate(NAUTILUS_MENU_ITEM(entries->data));
    while (!QFileInfo::exists(created)) {
        g_main_context_iteration(nullptr, FALSE);
        QThread::usleep(100);
    }
    const double ms = timer.nsecsElapsed() / 1e6;

    nautilus_menu_item_list_free(entries);
    g_object_unref(submenu);
    nautilus_menu_item_list_free(items);
    g_free(file->uri);
    g_object_unref(file);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    const QString binary =
        QFileInfo(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/bin/quintara")).absoluteFilePath();
    const int iterations = argc > 2 ? std::max(1, QByteArray(argv[2]).toInt()) : 15;

    // The module reads this process's environment: the home, its settings and runtime folder, and
    // the desktop's handler of the quintara scheme, which is the program under test.
    Home home;
    for (const QString& name : home.env.keys())
        qputenv(qPrintable(name), home.env.value(name).toLocal8Bit());
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.dir.filePath(QStringLiteral("data"))));
    QDir().mkpath(home.dir.filePath(QStringLiteral("data/applications")));
    QFile handler(home.dir.filePath(QStringLiteral("data/applications/bench-quintara.desktop")));
    handler.open(QIODevice::WriteOnly);
    handler.write("[Desktop Entry]\nType=Application\nName=Q\nExec=" + QFile::encodeName(binary) + " %u\n");
    handler.close();
    QFile mimeapps(home.dir.filePath(QStringLiteral("config/mimeapps.list")));
    mimeapps.open(QIODevice::WriteOnly);
    mimeapps.write("[Default Applications]\nx-scheme-handler/quintara=bench-quintara.desktop\n");
    mimeapps.close();

    NautilusMenuProvider* provider = loadProvider();
    std::vector<double> touchMs, runningMs, notRunningMs;

    // The program itself: the command would serve this request alone and end.
    QProcess instance;
    instance.setProcessEnvironment(home.env);
    instance.start(QFileInfo(binary).dir().filePath(QStringLiteral("quintara-app")), {home.url(home.dir.path())});
    waitFor(home.dir.filePath(QStringLiteral("Untitled.txt")));
    for (int i = 0; i < iterations; ++i) {
        const QString run = home.dir.filePath(QStringLiteral("run-%1").arg(i));
        QDir().mkpath(run);
        QElapsedTimer timer;
        timer.start();
        QProcess::execute(QStringLiteral("touch"), {run + QStringLiteral("/touched.txt")});
        touchMs.push_back(timer.nsecsElapsed() / 1e6);
        runningMs.push_back(clickToFile(provider, run + QStringLiteral("/running")));
    }
    instance.terminate();
    instance.waitForFinished();

    for (int i = 0; i < iterations; ++i) {
        // A runtime folder of its own for each request, so that none finds an instance left running.
        const QString runtime = home.dir.filePath(QStringLiteral("runtime-%1").arg(i));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        notRunningMs.push_back(clickToFile(provider, home.dir.filePath(QStringLiteral("run-%1/not-running").arg(i))));
    }

    const double touch = median(touchMs);
    std::printf("median of %d runs\n", iterations);
    std::printf("touch                 %8.2f ms\n", touch);
    std::printf("instance running      %8.2f ms  = %5.2fx touch (target 2x)\n", median(runningMs),
                median(runningMs) / touch);
    std::printf("no instance running   %8.2f ms  = %5.2fx touch\n", median(notRunningMs), median(notRunningMs) / touch);
    return 0;
}
