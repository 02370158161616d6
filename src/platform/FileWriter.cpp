#include "platform/FileWriter.h"

#include "platform/FileDescriptor.h"
#include "platform/SecurityScope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return ::fsync(fd) == 0;
}

QString fdPath(int fd)
{
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

// Where the opened folder really is, whatever links led to it.
QString realLocation(int dirFd, const QString& directory)
{
    const QString viaProc = QFile::symLinkTarget(fdPath(dirFd));
    return viaProc.isEmpty() ? QFileInfo(directory).canonicalFilePath() : viaProc;
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
    const QByteArray encodedName = QFile::encodeName(name);

    const FileDescriptor dir(::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return failure(errno, target);
    // Checked on the opened folder, and everything below goes through that descriptor, so a link
    // swapped in after the check cannot lead the write elsewhere.
    const QString real = realLocation(dir.get(), directory);
    if (real.isEmpty() || !m_scope.contains(real))
        return failure(EACCES, target);

    if (m_temporary == Temporary::Unnamed) {
        const FileDescriptor file(::openat(dir.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
        if (file.valid()) {
            if (!writeAll(file.get(), bytes))
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

    // A hidden temporary beside the target; removed again on every path.
    QByteArray temporaryName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporaryName = ".quintara-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
        fd = ::openat(dir.get(), temporaryName.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return failure(errno, target);
    }
    if (fd < 0)
        return failure(EEXIST, target);
    const FileDescriptor file(fd);
    std::optional<PlatformError> result;
    if (!writeAll(file.get(), bytes))
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
