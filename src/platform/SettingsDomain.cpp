#include "platform/SettingsDomain.h"

#include "model/AppIdentity.h"
#include "platform/Log.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLockFile>
#include <QSaveFile>
#include <QThread>

namespace {

const QLatin1String dataMember("data");

// Far beyond any real domain; a larger file is not one this program wrote, and reading it whole
// could exhaust memory.
constexpr qint64 maximumFileSize = 16 << 20;

// A write waits this long for another writer. The instance serves requests one at a time and a
// launch waits 30 s for its answer, so a lock that is never freed must cost each request little.
constexpr int lockWaitMs = 2000;

enum class FileState { Missing, Parsed, Corrupt };

struct FileContents {
    QJsonObject values;
    FileState state = FileState::Missing;
};

FileContents readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Read one byte past the bound rather than trusting the size, which a file being written can outgrow.
    const QByteArray bytes = file.read(maximumFileSize + 1);
    if (bytes.size() > maximumFileSize)
        return {{}, FileState::Corrupt};
    if (bytes.trimmed().isEmpty())
        return {{}, FileState::Parsed};
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {{}, FileState::Corrupt};
    return {document.object(), FileState::Parsed};
}

// Never deletes what it cannot read: a second corrupt file is kept under the next free suffix.
bool keepAside(const QString& path)
{
    QString target = path + QLatin1String(".corrupt");
    for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n)
        target = path + QLatin1String(".corrupt.") + QString::number(n);
    return QFile::rename(path, target);
}

// QLockFile's own wait doubles its pause between attempts, so a second writer at work would let
// a bounded wait see its lock free only a few times; short even pauses keep the chance fair.
bool takeLock(QLockFile& lock)
{
    const QDeadlineTimer deadline(lockWaitMs);
    while (!lock.tryLock(0)) {
        if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

} // namespace

std::optional<QByteArray> SettingsSnapshot::data(const QString& key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    if (object.size() != 1 || !object.value(dataMember).isString())
        return std::nullopt;
    auto decoded = QByteArray::fromBase64Encoding(object.value(dataMember).toString().toLatin1(),
                                                  QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return std::move(decoded.decoded);
}

std::optional<QJsonArray> SettingsSnapshot::array(const QString& key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isArray())
        return std::nullopt;
    return value.toArray();
}

std::optional<QString> SettingsSnapshot::text(const QString& key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<bool> SettingsSnapshot::flag(const QString& key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

SettingsDomain::SettingsDomain(QString filePath) : m_filePath(std::move(filePath)) {}

QString SettingsDomain::configHome()
{
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    return QDir::homePath() + QLatin1String("/.config");
}

SettingsDomain SettingsDomain::openSuite()
{
    const QString path = configHome() + QLatin1Char('/') + AppIdentity::suiteName + QLatin1String(".json");
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isReadable()))
        return standard();
    return SettingsDomain(path);
}

SettingsDomain SettingsDomain::standard()
{
    return SettingsDomain(configHome() + QLatin1Char('/') + AppIdentity::applicationId + QLatin1String(".json"));
}

SettingsSnapshot SettingsDomain::read() const
{
    return SettingsSnapshot(readFile(m_filePath).values);
}

bool SettingsDomain::setData(const QString& key, const QByteArray& value)
{
    return write(key, QJsonObject{{dataMember, QString::fromLatin1(value.toBase64())}});
}

bool SettingsDomain::setArray(const QString& key, const QStringList& texts)
{
    return write(key, QJsonArray::fromStringList(texts));
}

bool SettingsDomain::setText(const QString& key, const QString& value)
{
    return write(key, value);
}

bool SettingsDomain::setFlag(const QString& key, bool value)
{
    return write(key, value);
}

bool SettingsDomain::write(const QString& key, const QJsonValue& value)
{
    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath()))
        return false;
    QLockFile lock(m_filePath + QLatin1String(".lock"));
    if (!takeLock(lock)) {
        Log::line(QStringLiteral("[QNT] settings write FAILED: %1 not changed, its lock %2 could not be taken")
                      .arg(m_filePath, lock.fileName()));
        return false;
    }

    FileContents contents = readFile(m_filePath);
    if (contents.state == FileState::Corrupt && !keepAside(m_filePath))
        return false;
    contents.values.insert(key, value);

    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(contents.values).toJson(QJsonDocument::Indented));
    return file.commit();
}
