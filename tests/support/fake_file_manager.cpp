// Stands in for the desktop's file manager on a private session bus: records every request to
// show items, one line per call, in the file named on the command line.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>

#include <cstdio>

class FileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QString record;

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&)
    {
        QFile file(record);
        if (file.open(QIODevice::Append))
            file.write(uris.join(QLatin1Char(' ')).toUtf8() + '\n');
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    FileManager manager;
    manager.record = QString::fromLocal8Bit(argv[1]);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.FileManager1")))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}

#include "fake_file_manager.moc"
