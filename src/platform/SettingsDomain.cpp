#include "platform/SettingsDomain.h"

#include "model/AppIdentity.h"
#include "platform/AtomicFile.h"
#include "platform/Log.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLockFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <utility>

namespace {

const QLatin1String dataMember("data");

// The file holds the folder grant and the user's templates, which may be private.
constexpr unsigned ownerOnly = 0600;

// Far beyond any real domain; a larger file is not one this program wrote, and reading it whole
// could exhaust memory.
constexpr qint64 maximumFileSize = SettingsDomain::maximumFileSize;

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
    // Read one byte past the bound rather than trusting the size, which a file being written can
    // outgrow; the size only spares every read a buffer of the bound's size.
    const qint64 expected = std::clamp<qint64>(file.size(), 0, maximumFileSize);
    QByteArray bytes = file.read(expected + 1);
    while (bytes.size() > expected && bytes.size() <= maximumFileSize) {
        const QByteArray more = file.read(std::min<qint64>(1 << 16, maximumFileSize + 1 - bytes.size()));
        if (more.isEmpty())
            break;
        bytes += more;
    }
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

// `base`, or the first of "base.2", "base.3" … that is free: a copy kept aside never replaces another.
QString freeName(const QString& base)
{
    const auto taken = [](const QString& name) {
        struct stat info {};
        return ::lstat(QFile::encodeName(name).constData(), &info) == 0; // a dangling link takes its name too
    };
    QString name = base;
    for (int n = 2; taken(name) && n < 1000; ++n)
        name = base + QLatin1Char('.') + QString::number(n);
    return name;
}

// Never deletes what it cannot read; the rename fails rather than replace an earlier one.
bool setCorruptFileAside(const QString& path)
{
    const QString target = freeName(path + QLatin1String(".corrupt"));
    if (!QFile::rename(path, target))
        return false;
    ::chmod(QFile::encodeName(target).constData(), ownerOnly);
    Log::line(QStringLiteral("[QNT] settings: %1 could not be read; kept aside as %2").arg(path, target));
    return true;
}

// QLockFile's own wait doubles its pause between attempts, so a second writer at work would let
// a bounded wait see its lock free only a few times; short even pauses keep the chance fair.
// On failure, `why` says what kept the lock from being taken.
bool takeLock(QLockFile& lock, QString* why)
{
    const QDeadlineTimer deadline(lockWaitMs);
    while (!lock.tryLock(0)) {
        const int error = errno; // of the lock file's creation or write when that failed
        if (lock.error() == QLockFile::LockFailedError && !deadline.hasExpired()) {
            QThread::msleep(10);
            continue;
        }
        *why = lock.error() == QLockFile::LockFailedError   ? QStringLiteral("another program holds it")
               : lock.error() == QLockFile::PermissionError ? QStringLiteral("no permission to create it")
                                                            : AtomicFile::describe(error);
        return false;
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

namespace {

// What the current thread's outermost read scope has read, by file; none outside a scope.
thread_local QHash<QString, QJsonObject>* scopedReads = nullptr;

} // namespace

SettingsReadScope::SettingsReadScope() : m_outermost(!scopedReads)
{
    if (m_outermost)
        scopedReads = new QHash<QString, QJsonObject>();
}

SettingsReadScope::~SettingsReadScope()
{
    if (m_outermost)
        delete std::exchange(scopedReads, nullptr);
}

SettingsSnapshot SettingsDomain::read() const
{
    if (!scopedReads)
        return SettingsSnapshot(readFile(m_filePath).values);
    const auto found = scopedReads->constFind(m_filePath);
    if (found != scopedReads->constEnd())
        return SettingsSnapshot(*found);
    return SettingsSnapshot(*scopedReads->insert(m_filePath, readFile(m_filePath).values));
}

SettingsDomain::WriteResult SettingsDomain::setData(const QString& key, const QByteArray& value,
                                                    const KeepAside& keepAside)
{
    return write(key, QJsonObject{{dataMember, QString::fromLatin1(value.toBase64())}}, keepAside);
}

SettingsDomain::WriteResult SettingsDomain::setArray(const QString& key, const QStringList& texts)
{
    return write(key, QJsonArray::fromStringList(texts));
}

SettingsDomain::WriteResult SettingsDomain::setText(const QString& key, const QString& value)
{
    return write(key, value);
}

SettingsDomain::WriteResult SettingsDomain::setFlag(const QString& key, bool value)
{
    return write(key, value);
}

SettingsDomain::WriteResult SettingsDomain::write(const QString& key, const QJsonValue& value,
                                                  const KeepAside& keepAside)
{
    if (scopedReads) // whatever becomes of the file, the next read sees it
        scopedReads->remove(m_filePath);
    const auto fail = [&](WriteResult::Failure failure, const QString& reason) {
        Log::line(QStringLiteral("[QNT] settings write FAILED: %1 not changed: %2").arg(m_filePath, reason));
        return WriteResult{failure, reason};
    };
    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath()))
        return fail(WriteResult::Failure::notWritten, QStringLiteral("its folder could not be made"));
    QLockFile lock(m_filePath + QLatin1String(".lock"));
    if (QString why; !takeLock(lock, &why))
        return fail(WriteResult::Failure::notWritten,
                    QStringLiteral("its lock %1 could not be taken: %2").arg(lock.fileName(), why));

    FileContents contents = readFile(m_filePath);
    if (contents.state == FileState::Corrupt && !setCorruptFileAside(m_filePath))
        return fail(WriteResult::Failure::notWritten, QStringLiteral("the unreadable file could not be kept aside"));
    const QJsonValue stored = contents.values.value(key);
    contents.values.insert(key, value);
    const QByteArray bytes = QJsonDocument(contents.values).toJson(QJsonDocument::Indented);
    // Written, it would read back as corrupt, and every setting with it.
    if (bytes.size() > maximumFileSize)
        return fail(WriteResult::Failure::tooLarge,
                    QStringLiteral("it would grow to %1 bytes, more than the %2 it may have")
                        .arg(bytes.size())
                        .arg(maximumFileSize));

    if (keepAside && !stored.isUndefined() && keepAside(stored)) {
        const QString copy = freeName(m_filePath + QLatin1Char('.') + key + QLatin1String(".kept"));
        const QByteArray old = QJsonDocument(QJsonObject{{key, stored}}).toJson(QJsonDocument::Indented);
        if (const std::optional<QString> error = AtomicFile::createNew(copy, old, ownerOnly))
            return fail(WriteResult::Failure::notWritten,
                        QStringLiteral("the stored %1 could not be kept aside: %2").arg(key, *error));
        Log::line(
            QStringLiteral("[QNT] settings: the stored %1 does not decode in full; kept aside as %2").arg(key, copy));
    }
    if (const std::optional<QString> error = AtomicFile::replace(m_filePath, bytes, ownerOnly))
        return fail(WriteResult::Failure::notWritten, *error);
    return {};
}
