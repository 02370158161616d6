// Stands in for a file manager on a private session bus: records every request to show items, and
// every announcement of new files it hears, one line per event, in the file named on the command
// line, each after the role it plays:
//   fake_file_manager RECORD                   whichever serves org.freedesktop.FileManager1, and the
//                                              desktop's notifications
//   fake_file_manager RECORD nautilus FOLDER   GNOME Files, with a window open on FOLDER (a URI)
//   fake_file_manager RECORD dolphin FOLDER    Dolphin, likewise
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QUrl>
#include <QVariantMap>

#include <cstdio>
#include <unistd.h>

namespace {

QString g_record, g_role, g_openFolder;

void record(const QString& event)
{
    QFile file(g_record);
    if (file.open(QIODevice::Append))
        file.write((g_role + QLatin1Char(' ') + event).toUtf8() + '\n');
}

bool isOpen(const QString& folder)
{
    return QUrl(folder).adjusted(QUrl::StripTrailingSlash) == QUrl(g_openFolder).adjusted(QUrl::StripTrailingSlash);
}

} // namespace

class FileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
    Q_PROPERTY(QStringList OpenLocations READ openLocations)

public:
    QStringList openLocations() const { return {g_openFolder}; }

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { record("ShowItems " + uris.join(QLatin1Char(' '))); }
    void FilesAdded(const QString& folder) { record("FilesAdded " + folder); }
};

class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public Q_SLOTS:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body, const QStringList&,
                const QVariantMap&, int)
    {
        record("Notify " + summary + ": " + body);
        return 1;
    }
};

class DolphinWindow : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.dolphin.MainWindow")

public Q_SLOTS:
    bool isUrlOpen(const QString& url) { return isOpen(url); }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2 && argc != 4)
        return 2;
    g_record = QString::fromLocal8Bit(argv[1]);
    g_role = argc == 4 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("freedesktop");
    g_openFolder = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();
    FileManager manager;
    DolphinWindow window;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bool ready = bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                    QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
    if (g_role == QLatin1String("nautilus")) {
        ready = ready && bus.registerService(QStringLiteral("org.gnome.Nautilus"));
    } else if (g_role == QLatin1String("dolphin")) {
        ready = ready &&
                bus.registerObject(QStringLiteral("/dolphin/Dolphin_1"), &window, QDBusConnection::ExportAllSlots) &&
                bus.connect(QString(), QStringLiteral("/"), QStringLiteral("org.kde.KDirNotify"),
                            QStringLiteral("FilesAdded"), &manager, SLOT(FilesAdded(QString))) &&
                bus.registerService(QStringLiteral("org.kde.dolphin-%1").arg(::getpid()));
    } else {
        static Notifications notifications;
        ready = ready && bus.registerService(QStringLiteral("org.freedesktop.FileManager1")) &&
                bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications,
                                   QDBusConnection::ExportAllSlots) &&
                bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    if (!ready)
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}

#include "fake_file_manager.moc"
