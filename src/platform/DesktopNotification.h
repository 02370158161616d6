#pragma once

#include <QString>

// A desktop notification (org.freedesktop.Notifications on the session bus), for what the program
// did while none of its windows was open. Blocks for at most `timeoutMs`.
namespace DesktopNotification {

// False, with a log line saying why, when there is no session bus or no notification service, or
// the service did not answer in time.
bool show(const QString& summary, const QString& body, int timeoutMs = 2000);

} // namespace DesktopNotification
