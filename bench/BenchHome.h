#pragma once

// A throw-away home for one benchmark run, with the folder-access grant given to the whole home.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <sys/stat.h>
#include <vector>

struct Home {
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    Home()
    {
        QDir().mkpath(dir.filePath(QStringLiteral("runtime")));
        QFile::setPermissions(dir.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("runtime")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")); // reveal falls back without a file manager
        grant();
    }

    // The folder-access grant, written as the program itself stores it.
    void grant()
    {
        struct stat info {};
        ::stat(QFile::encodeName(dir.path()).constData(), &info);
        const QByteArray bookmark = "{\"kind\":\"quintara-bookmark\",\"version\":1,\"path\":\"" + dir.path().toUtf8() +
                                    "\",\"device\":" + QByteArray::number(quint64(info.st_dev)) +
                                    ",\"inode\":" + QByteArray::number(quint64(info.st_ino)) + "}";
        const QJsonObject settings{{QStringLiteral("homeFolderBookmark"),
                                    QJsonObject{{QStringLiteral("data"), QString::fromLatin1(bookmark.toBase64())}}}};
        QDir().mkpath(dir.filePath(QStringLiteral("config")));
        QFile file(dir.filePath(QStringLiteral("config/group.app.quintara.Quintara.json")));
        file.open(QIODevice::WriteOnly);
        file.write(QJsonDocument(settings).toJson());
    }

    QString url(const QString& folder) const
    {
        return QStringLiteral("quintara://create?t=0&d=") + QString::fromLatin1(QUrl::toPercentEncoding(folder, "/"));
    }
};

inline void waitFor(const QString& path)
{
    while (!QFileInfo::exists(path))
        QThread::usleep(200);
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
