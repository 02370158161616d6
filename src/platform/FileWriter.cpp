#include "platform/FileWriter.h"

#include "platform/FileDescriptor.h"
#include "platform/LocalPath.h"
#include "platform/SecurityScope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Target {
    QString name;
    QString folderName;
};

PlatformError failure(int error, const Target& target)
{
    if (error == EACCES || error == EPERM) {
        return {PlatformError::permissionDenied,
                QStringLiteral("You don’t have permission to save the file “%1” in the folder “%2”.")
                    .arg(target.name, target.folderName)};
    }
    if (error == EEXIST)
        return {
            PlatformError::nameTaken,
            QStringLiteral("The name “%1” is already taken in the folder “%2”.").arg(target.name, target.folderName)};
    return {error, QStringLiteral("The file “%1” couldn’t be saved in the folder “%2”: %3.")
                       .arg(target.name, target.folderName, QString::fromLocal8Bit(std::strerror(error)))};
}

bool writeAndFlush(int fd, const QByteArray& bytes)
{
    if (!writeAll(fd, bytes.constData(), size_t(bytes.size())))
        return false;
    // The content must be on disk before a name makes it visible, or a crash could leave the name
    // on a file cut short. An empty file has no content to lose, and flushing it costs a click in
    // the file manager a third of a millisecond.
    return bytes.isEmpty() || ::fsync(fd) == 0;
}

QString fdPath(int fd)
{
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

// Where the opened folder really is, whatever links led to it, as the file system's bytes: decoded
// to text, names that are not valid UTF-8 would read as one another.
QByteArray realLocation(int dirFd, const QByteArray& directory)
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(QFile::encodeName(fdPath(dirFd)).constData(), buffer, sizeof buffer);
    if (n > 0 && n < ssize_t(sizeof buffer) && buffer[0] == '/')
        return QByteArray(buffer, n);
    return ::realpath(directory.constData(), buffer) ? QByteArray(buffer) : QByteArray();
}

// Hidden temporaries are ".quintara-<random>.tmp", locked for as long as their writer runs: one
// whose lock is free was left by a writer that was killed mid-write.
const QByteArray temporaryPrefix = QByteArrayLiteral(".quintara-");
const QByteArray temporarySuffix = QByteArrayLiteral(".tmp");

bool isTemporaryName(const QByteArray& name)
{
    if (!name.startsWith(temporaryPrefix) || !name.endsWith(temporarySuffix))
        return false;
    const QByteArray middle = name.sliced(temporaryPrefix.size()).chopped(temporarySuffix.size());
    return !middle.isEmpty() && middle.size() <= 13 && std::all_of(middle.begin(), middle.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
    });
}

void removeAbandonedTemporaries(int dirFd)
{
    DIR* const listing = ::fdopendir(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing)
        return;
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (!isTemporaryName(name))
            continue;
        const FileDescriptor file(::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat opened {};
        struct stat named {};
        // Only our own regular files, still under that name, with no living writer holding them.
        if (file.valid() && ::fstat(file.get(), &opened) == 0 && S_ISREG(opened.st_mode) &&
            opened.st_uid == ::geteuid() && ::flock(file.get(), LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == opened.st_ino &&
            named.st_dev == opened.st_dev)
            ::unlinkat(dirFd, name.constData(), 0);
    }
    ::closedir(listing);
}

} // namespace

ConfinedFileWriter::ConfinedFileWriter(const SecurityScope& scope, Temporary temporary)
    : m_scope(scope), m_temporary(temporary)
{}

std::optional<PlatformError> ConfinedFileWriter::createNew(const QString& directory, const QString& name,
                                                           const QByteArray& bytes)
{
    const Target target{name, QFileInfo(QDir::cleanPath(directory)).fileName()};
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return failure(EINVAL, target);
    // Text that stands for no bytes is refused, never written under a lookalike name.
    const QByteArray encodedName = LocalPath::toBytes(name);
    const QByteArray encodedDirectory = LocalPath::toBytes(directory);
    if (encodedName.isEmpty() || encodedDirectory.isEmpty())
        return failure(EINVAL, target);

    const FileDescriptor dir(::open(encodedDirectory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return failure(errno, target);
    // Checked on the opened folder, and everything below goes through that descriptor, so a link
    // swapped in after the check cannot lead the write elsewhere.
    const QByteArray real = realLocation(dir.get(), encodedDirectory);
    if (real.isEmpty() || !m_scope.containsEncoded(real))
        return failure(EACCES, target);

    if (m_temporary == Temporary::Unnamed) {
        const FileDescriptor file(::openat(dir.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
        if (file.valid()) {
            if (!writeAndFlush(file.get(), bytes))
                return failure(errno, target);
            const QByteArray source = QFile::encodeName(fdPath(file.get()));
            if (::linkat(AT_FDCWD, source.constData(), dir.get(), encodedName.constData(), AT_SYMLINK_FOLLOW) != 0) {
                const int error = errno;
                if (error != ENOENT) // without /proc, try the hidden temporary instead
                    return failure(error, target);
            } else {
                ::fsync(dir.get());
                return std::nullopt;
            }
        } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return failure(errno, target);
        }
    }

    // A hidden temporary beside the target; removed again on every path this process survives.
    removeAbandonedTemporaries(dir.get());
    QByteArray temporaryName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporaryName =
            temporaryPrefix + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + temporarySuffix;
        fd = ::openat(dir.get(), temporaryName.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return failure(errno, target);
    }
    if (fd < 0)
        return failure(EEXIST, target);
    const FileDescriptor file(fd);
    ::flock(file.get(), LOCK_EX | LOCK_NB);
    std::optional<PlatformError> result;
    if (!writeAndFlush(file.get(), bytes))
        result = failure(errno, target);
    else if (::linkat(dir.get(), temporaryName.constData(), dir.get(), encodedName.constData(), 0) != 0)
        result = failure(errno, target);
    ::unlinkat(dir.get(), temporaryName.constData(), 0);
    if (!result)
        ::fsync(dir.get());
    return result;
}

FileWriter& FileWriter::system()
{
    static ConfinedFileWriter writer(SecurityScope::shared());
    return writer;
}
