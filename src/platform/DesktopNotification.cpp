#include "platform/DesktopNotification.h"

#include "model/AppIdentity.h"
#include "platform/Log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace DesktopNotification {

bool show(const QString& summary, const QString& body, int timeoutMs)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QString failure;
    if (!bus.isConnected()) {
        failure = QStringLiteral("no session bus");
    } else {
        QDBusMessage message = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        // The desktop entry and the icon are both named after the application id; the entry lets the
        // desktop show the program's own name and group its notifications.
        const QVariantMap hints{{QStringLiteral("desktop-entry"), AppIdentity::applicationId}};
        message << QStringLiteral("Quintara") << 0u << AppIdentity::applicationId << summary << body << QStringList()
                << hints << -1;
        const QDBusMessage reply = bus.call(message, QDBus::Block, timeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
        failure = reply.errorMessage();
    }
    Log::line(QStringLiteral("[QNT] notification not shown (%1): %2").arg(failure, summary));
    return false;
}

} // namespace DesktopNotification
