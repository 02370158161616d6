// The file managers' bus, for the `quintara` command, which loads this module only when it has made a
// file itself: a launch that hands its request over never pays for loading the bus libraries.
#include "platform/DesktopNotification.h"
#include "platform/FileManagerBus.h"

extern "C" __attribute__((visibility("default"))) void quintara_reveal(const QString& path, const QString& fileManager)
{
    FileManagerBus().revealFile(path, fileManager);
}

extern "C" __attribute__((visibility("default"))) void quintara_notify(const QString& summary, const QString& body)
{
    DesktopNotification::show(summary, body);
}
