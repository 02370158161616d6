#include "platform/FileManagerBus.h"

#include "platform/LocalPath.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString fileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");
const QString fileManagerInterface = QStringLiteral("org.freedesktop.FileManager1");

class Bus {
public:
    Bus(QDBusConnection connection, int timeoutMs) : m_connection(std::move(connection)), m_deadline(timeoutMs) {}

    // The reply, or nothing when the call failed or the time is up.
    std::optional<QList<QVariant>> call(const QString& service, const QString& path, const QString& interface,
                                        const QString& method, const QList<QVariant>& arguments = {})
    {
        const int left = int(m_deadline.remainingTime());
        if (left <= 0)
            return std::nullopt;
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        const QDBusMessage reply = m_connection.call(message, QDBus::Block, left);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return std::nullopt;
        return reply.arguments();
    }

    void showItems(const QString& service, const QString& file)
    {
        call(service, fileManagerPath, fileManagerInterface, QStringLiteral("ShowItems"),
             {QStringList{file}, QString()});
    }

    QDBusConnection& connection() { return m_connection; }

private:
    QDBusConnection m_connection;
    QDeadlineTimer m_deadline;
};

// The same folder however its URL is written (encoding, a trailing slash).
bool sameFolder(const QString& a, const QString& b)
{
    return QUrl(a).adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments) ==
           QUrl(b).adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments);
}

void revealInGnomeFiles(Bus& bus, const QString& file, const QString& folder)
{
    // Asked for a folder no window shows, it would open one.
    const QString service = QStringLiteral("org.gnome.Nautilus");
    const auto open = bus.call(service, fileManagerPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                               QStringLiteral("Get"), {fileManagerInterface, QStringLiteral("OpenLocations")});
    if (!open || open->isEmpty())
        return;
    const QStringList locations = open->constFirst().value<QDBusVariant>().variant().toStringList();
    if (std::any_of(locations.begin(), locations.end(), [&](const QString& l) { return sameFolder(l, folder); }))
        bus.showItems(service, file);
}

void revealInDolphin(Bus& bus, const QString& file, const QString& folder)
{
    bus.connection().send(QDBusMessage::createSignal(QStringLiteral("/"), QStringLiteral("org.kde.KDirNotify"),
                                                     QStringLiteral("FilesAdded"))
                          << folder);
    // Every Dolphin process has a name of its own; only one whose window shows the folder is asked to
    // select, since any other would open a window for it. These calls also make sure the signal has
    // left before a launch that serves one request ends.
    const auto names = bus.call(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames"));
    if (!names || names->isEmpty())
        return;
    for (const QString& name : names->constFirst().toStringList()) {
        if (!name.startsWith(QLatin1String("org.kde.dolphin-")))
            continue;
        const auto open = bus.call(name, QStringLiteral("/dolphin/Dolphin_1"),
                                   QStringLiteral("org.kde.dolphin.MainWindow"), QStringLiteral("isUrlOpen"), {folder});
        if (open && !open->isEmpty() && open->constFirst().toBool()) {
            bus.showItems(name, file);
            return;
        }
    }
}

} // namespace

void FileManagerBus::revealFile(const QString& path, const QString& fileManager)
{
    // The URIs carry the path's own bytes: Qt would encode a name that is not UTF-8 as another one.
    const QString file = LocalPath::fileUri(path);
    const QString folder = LocalPath::fileUri(QFileInfo(path).absolutePath());
    QDBusConnection connection = QDBusConnection::sessionBus();
    if (file.isEmpty() || folder.isEmpty() || !connection.isConnected())
        return;
    Bus bus(connection, m_timeoutMs);
    if (fileManager.isEmpty())
        bus.showItems(fileManagerInterface, file);
    else if (fileManager == QLatin1String("nautilus"))
        revealInGnomeFiles(bus, file, folder);
    else if (fileManager == QLatin1String("dolphin"))
        revealInDolphin(bus, file, folder);
}
