// quintara [URL…]: serves create requests given as quintara:// URLs. The first launch becomes the
// running instance; a later launch hands its URLs to it and exits without starting a GUI.
#include "app/AppDelegate.h"
#include "creation/FileCreationService.h"
#include "extension/ServiceMenu.h"
#include "launcher/CommandLine.h"
#include "model/BundleInfo.h"
#include "platform/Clock.h"
#include "platform/DesktopIntegrationProbe.h"
#include "platform/DesktopWorkspace.h"
#include "platform/DisplayServer.h"
#include "platform/InstanceChannel.h"
#include "platform/Log.h"
#include "platform/PortalFolderPicker.h"
#include "platform/ProgramImage.h"
#include "platform/SecurityScope.h"
#include "platform/TerminationSignals.h"
#include "platform/UserAccount.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "ui/common/DialogFilePicker.h"
#include "ui/common/DialogFolderPicker.h"
#include "ui/common/Translations.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace {

// How long an instance without a display stays for further requests after its last one.
constexpr int headlessIdleMs = 3000;

// The `quintara` command, which the file manager's service menu runs: beside this program in the
// build tree, in the programs' folder once installed, and found on the search path otherwise.
QString launcherPath()
{
    const QString here = ProgramImage::folder();
    for (const QString& candidate :
         {here + QStringLiteral("/quintara"), here + QStringLiteral("/" QUINTARA_LAUNCHER_FROM_PROGRAM "/quintara")}) {
        const QFileInfo launcher(candidate);
        if (launcher.isFile() && launcher.isExecutable())
            return launcher.canonicalFilePath();
    }
    return QStringLiteral("quintara");
}

} // namespace

int main(int argc, char** argv)
{
    Log::installFormat(); // before Qt's first warning, which may quote a hostile path
    const CommandLine commandLine = CommandLine::parse(argc, argv);
    if (commandLine.exitCode)
        return *commandLine.exitCode;

    InstanceChannel::Delivery delivery = InstanceChannel::Delivery::NoInstance;
    QStringList failures;
    std::unique_ptr<InstanceChannel> channel = InstanceChannel::claimOrDeliver(
        {commandLine.urls, InstanceChannel::activationTokenFromEnvironment(), commandLine.direct}, &delivery,
        &failures);
    if (!channel) {
        if (delivery == InstanceChannel::Delivery::Delivered)
            return CommandLine::report(failures);
        std::fputs("quintara: the running instance did not answer\n", stderr);
        return 1;
    }

    // Qt aborts where its platform cannot use the display. Serving a create request needs no window,
    // so without a usable display the instance serves on the offscreen platform and leaves once idle,
    // so that a later launch from a desktop session starts one that can show windows.
    const std::optional<QByteArray> requestedPlatform =
        qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ? std::optional(qgetenv("QT_QPA_PLATFORM")) : std::nullopt;
    const QByteArray platform = DisplayServer::platform(requestedPlatform.value_or(QByteArray()));
    const bool displayAvailable = !platform.isEmpty();
    if (!displayAvailable && commandLine.urls.isEmpty()) {
        std::fputs("quintara: no display to show a window on; neither DISPLAY nor WAYLAND_DISPLAY names a "
                   "display that can be reached\n",
                   stderr);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", displayAvailable ? platform : QByteArrayLiteral("offscreen"));

    // On GNOME-like desktops Qt's platform theme starts GTK, whose display set-up loads the OpenGL
    // driver to pick visuals (with Mesa's software driver: 30 ms and 50 MiB) for windows that never
    // draw with it.
    const bool glChosen = qEnvironmentVariableIsSet("GDK_GL");
    if (!glChosen)
        qputenv("GDK_GL", "disable");

    const ServiceMenu serviceMenu(MenuModel(), launcherPath()); // outlives the connections below
    QApplication app(argc, argv);
    // The programs this one starts choose their own platform and drawing.
    if (requestedPlatform)
        qputenv("QT_QPA_PLATFORM", *requestedPlatform);
    else
        qunsetenv("QT_QPA_PLATFORM");
    if (!glChosen)
        qunsetenv("GDK_GL");
    QApplication::setApplicationName(QStringLiteral("Quintara"));
    QApplication::setApplicationVersion(BundleInfo::shortVersion(BundleInfo::dictionary()));
    QGuiApplication::setDesktopFileName(QStringLiteral("app.quintara.Quintara"));
    Translations::install();

    TemplateStore& store = TemplateStore::shared();
    const FileCreationService engine(store);
    DesktopWorkspace workspace;
    DialogFolderPicker dialogPicker;
    PortalFolderPicker picker(dialogPicker);
    DialogFilePicker filePicker;
    const auto writeServiceMenu = [&serviceMenu] {
        return serviceMenu.write(ServiceMenu::defaultPath());
    };
    DesktopIntegrationProbe integration(DesktopIntegrationProbe::Locations::system(ServiceMenu::defaultPath()),
                                        writeServiceMenu);
    AppDelegate delegate({store, TemplateManager::shared(), engine, SecurityScope::shared(), workspace, picker,
                          filePicker, UserAccount::current(), Clock::system(), integration});

    if (!channel->listen()) {
        const QString socket = InstanceChannel::socketPath();
        if (socket.isEmpty())
            std::fputs("quintara: no runtime folder closed to other users; later launches will not reach this one\n",
                       stderr);
        else
            std::fprintf(stderr, "quintara: cannot listen on %s; later launches will not reach this one\n",
                         qPrintable(Log::escapeControls(socket)));
    }
    channel->setHandler([&delegate](const InstanceChannel::Message& message) {
        return delegate.openUrls(message.urls, message.activationToken, message.direct);
    });
    QObject::connect(channel.get(), &InstanceChannel::reopenRequested, &delegate,
                     [&delegate] { delegate.applicationShouldHandleReopen(); });
    delegate.setDisplayAvailable(displayAvailable);
    // The socket goes first, so that a launch from now on starts a new instance; callers already
    // connected are still served before the program ends.
    int exitCode = 0;
    const auto end = [&channel, &exitCode] {
        channel->finish([&exitCode] { QCoreApplication::exit(exitCode); });
    };
    QTimer idle;
    if (!displayAvailable) {
        idle.setSingleShot(true);
        idle.setInterval(headlessIdleMs);
        QObject::connect(&idle, &QTimer::timeout, &app, end);
        QObject::connect(channel.get(), &InstanceChannel::urlsReceived, &idle, qOverload<>(&QTimer::start));
        QObject::connect(channel.get(), &InstanceChannel::reopenRequested, &idle, qOverload<>(&QTimer::start));
        idle.start();
    }
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app, end);

    // KDE's file manager reads the menu from a file, so it is rewritten whenever the list that
    // positions in it refer to changes. The first write waits until the start-up request is served.
    QTimer::singleShot(0, &app, writeServiceMenu);
    QObject::connect(&store, &TemplateStore::didChange, &app, writeServiceMenu);

    delegate.applicationWillFinishLaunching();
    for (qsizetype i = 0; i < commandLine.urls.size(); ++i) {
        if (const AppDelegate::Failure failure =
                delegate.handleGetURLEvent(commandLine.urls.at(i), commandLine.direct.at(i)))
            failures.append(*failure);
    }
    // A program without a display ends on its own, so it can report like a launch that handed over.
    if (CommandLine::report(failures) != 0 && !displayAvailable)
        exitCode = 1;
    delegate.applicationDidFinishLaunching();
    return app.exec();
}
