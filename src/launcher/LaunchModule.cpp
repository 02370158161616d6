// The `quintara` command beyond handing a URL over (see main.cpp, which loads this module only
// when it needs it). When no instance answers, it serves the requests itself if they need no window
// (the usual click in a file manager: the grant is there and no name is asked for; a "Save as
// Template") and ends; only otherwise does it become the full program (same process, same
// arguments), which then claims the instance channel itself.
#include "creation/RequestServing.h"
#include "extension/ServiceMenu.h"
#include "launcher/CommandLine.h"
#include "launcher/LoadedReveal.h"
#include "platform/InstanceChannel.h"
#include "platform/Log.h"
#include "platform/ProgramImage.h"
#include "platform/SecurityScope.h"
#include "platform/SettingsDomain.h"
#include "store/TemplateStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

namespace {

// What the launch served itself, or nothing when the program's windows are needed.
std::optional<int> serveWithoutWindow(int argc, char** argv, const CommandLine& commandLine)
{
    // The bus needs an application object; this one loads no plug-in.
    QCoreApplication app(argc, argv);
    Log::installFormat();
    TemplateStore store;
    const FileCreationService engine(store);
    LoadedReveal reveal;
    // The texts of notifications, in the user's language: the translations the menus carry.
    QTranslator translator;
    if (translator.load(QLocale(), QStringLiteral("quintara"), QStringLiteral("_"), QStringLiteral(":/menu-i18n")))
        QCoreApplication::installTranslator(&translator);
    const qsizetype templates = store.customTemplates().size();
    const std::optional<QStringList> failures =
        RequestServing::serveWithoutWindow({store, engine, SecurityScope::shared(), reveal,
                                            [&reveal](const QString& summary, const QString& body) {
                                                reveal.notify(summary, body);
                                            }},
                                           commandLine.urls, commandLine.direct);
    if (!failures)
        return std::nullopt;
    // Dolphin reads its menu from a file, which the program rewrites whenever the templates change;
    // a template made here must reach it too. The menu names this very command.
    if (store.customTemplates().size() != templates)
        ServiceMenu(MenuModel(), QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath())
            .write(ServiceMenu::defaultPath());
    const int status = CommandLine::report(*failures);
    if (reveal.leftBehind())
        std::_Exit(status); // standard error is unbuffered: nothing written is lost
    return status;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int quintara_launch(int argc, char** argv)
{
    const SettingsReadScope oneRead; // the command line's check and the serving read the same file
    const CommandLine commandLine = CommandLine::parse(argc, argv);
    if (commandLine.exitCode)
        return *commandLine.exitCode;
    // The token lets the running instance bring a window to the front for this launch. When this
    // launch becomes the instance, its own environment already holds it.
    QStringList failures;
    switch (InstanceChannel::send(
        {commandLine.urls, InstanceChannel::activationTokenFromEnvironment(), commandLine.direct}, 30'000, &failures)) {
    case InstanceChannel::Delivery::Delivered:
        return CommandLine::report(failures);
    case InstanceChannel::Delivery::Failed:
        std::fputs("quintara: the running instance did not answer\n", stderr);
        return 1;
    case InstanceChannel::Delivery::NoInstance:
        break;
    }
    if (const std::optional<int> served = serveWithoutWindow(argc, argv, commandLine))
        return *served;
    const QString error = ProgramImage::replaceWith(QStringLiteral("quintara-app"), argc, argv);
    std::fprintf(stderr, "quintara: cannot start the program: %s\n", qPrintable(error));
    return 1;
}

extern "C" __attribute__((visibility("default"))) int quintara_report(const char* answer, size_t length)
{
    QStringList failures;
    if (InstanceChannel::decodeAnswer(QByteArray(answer, qsizetype(length)), &failures) !=
        InstanceChannel::Delivery::Delivered) {
        std::fputs("quintara: the running instance did not answer\n", stderr);
        return 1;
    }
    return CommandLine::report(failures);
}
