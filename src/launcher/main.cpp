// The `quintara` command. Most launches only hand a URL to the instance that already runs, so this
// part loads nothing but the core libraries; only when no instance answers does it become the
// full program (same process, same arguments), which then claims the instance channel itself.
#include "launcher/CommandLine.h"
#include "platform/InstanceChannel.h"
#include "platform/ProgramImage.h"

#include <cstdio>

int main(int argc, char** argv)
{
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
    const QString error = ProgramImage::replaceWith(QStringLiteral("quintara-app"), argc, argv);
    std::fprintf(stderr, "quintara: cannot start the program: %s\n", qPrintable(error));
    return 1;
}
