#include "platform/DesktopWorkspace.h"

#include "platform/LocalPath.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>

DesktopWorkspace::DesktopWorkspace(QObject* parent) : QObject(parent) {}

void DesktopWorkspace::revealFile(const QString& path)
{
    // The URIs carry the path's own bytes: Qt would encode a name that is not UTF-8 as another one.
    const QString file = LocalPath::fileUri(path);
    if (file.isEmpty())
        return;
    const QUrl folder(LocalPath::fileUri(QFileInfo(path).absolutePath()));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{file} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [folder](QDBusPendingCallWatcher* finished) {
        if (finished->isError())
            QDesktopServices::openUrl(folder);
        finished->deleteLater();
    });
}

bool DesktopWorkspace::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
