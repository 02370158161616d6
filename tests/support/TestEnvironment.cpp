#include "support/TestEnvironment.h"

#include "model/AppIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

TemporaryHome::TemporaryHome()
{
    const QByteArray home = m_dir.path().toUtf8();
    const std::pair<QByteArray, QByteArray> vars[] = {
        {"HOME", home},
        {"XDG_CONFIG_HOME", home + "/config"},
        {"XDG_RUNTIME_DIR", home + "/runtime"},
    };
    for (const auto& [name, value] : vars) {
        m_saved[name] =
            qEnvironmentVariableIsSet(name.constData()) ? std::optional(qgetenv(name.constData())) : std::nullopt;
        qputenv(name.constData(), value);
    }
    QDir().mkpath(m_dir.path() + QStringLiteral("/runtime"));
    QFile::setPermissions(m_dir.path() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TemporaryHome::~TemporaryHome()
{
    for (const auto& [name, value] : m_saved) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
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
