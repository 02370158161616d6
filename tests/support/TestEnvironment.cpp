#include "support/TestEnvironment.h"

#include "model/AppIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

TemporaryHome::TemporaryHome()
{
    qputenv("HOME", m_dir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    // The program writes the file manager's service menu there; never into the real one.
    qputenv("XDG_DATA_HOME", folder("data").toUtf8());
    qputenv("XDG_RUNTIME_DIR", folder("runtime").toUtf8());
    QFile::setPermissions(folder("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString TemporaryHome::suiteFile() const
{
    return configHome() + QLatin1Char('/') + AppIdentity::suiteName + QStringLiteral(".json");
}

QString TemporaryHome::folder(const QString& name) const
{
    const QString path = m_dir.path() + QLatin1Char('/') + name;
    QDir().mkpath(path);
    return path;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

FileTemplate customTemplate(const QString& name, const QString& content, const QString& extension)
{
    return FileTemplate{QUuid::createUuid(), name, extension, content, false};
}

QStringList names(const QList<FileTemplate>& templates)
{
    QStringList result;
    for (const FileTemplate& t : templates)
        result.append(t.name);
    return result;
}

void flushEventLoop()
{
    bool flushed = false;
    QTimer::singleShot(0, [&flushed] { flushed = true; });
    QTRY_VERIFY(flushed);
}
