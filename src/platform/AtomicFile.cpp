#include "platform/AtomicFile.h"

#include "platform/FileDescriptor.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString failedTo(const char* step, int error)
{
    return AtomicFile::describe(error) + QStringLiteral(" (while ") + QLatin1String(step) + QLatin1Char(')');
}

// Writes, flushes and closes `path`, which must not exist; removes it again on any failure.
std::optional<QString> writeFresh(const QByteArray& path, const QByteArray& bytes, unsigned mode)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return failedTo("creating the new file", errno);
    const auto fail = [&](const char* step, bool closed = false) {
        const int error = errno;
        if (!closed)
            ::close(fd);
        ::unlink(path.constData());
        return failedTo(step, error);
    };
    if (::fchmod(fd, mode_t(mode)) != 0)
        return fail("setting its mode");
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC; // a write that takes nothing has run out of room
            return fail("writing");
        }
        written += n;
    }
    // Delayed allocation can report a full disk only here, or even only at close.
    if (::fsync(fd) != 0)
        return fail("flushing to the disk");
    if (::close(fd) != 0) // never retried: the descriptor is gone either way
        return fail("closing", true);
    return std::nullopt;
}

void syncFolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray(slash == 0 ? "/" : ".") : path.left(slash);
    const FileDescriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get()); // the rename itself is durable only once its folder is
}

} // namespace

namespace AtomicFile {

QString describe(int error)
{
    const char* text = ::strerrordesc_np(error);
    return text ? QString::fromUtf8(text) : QStringLiteral("error %1").arg(error);
}

std::optional<QString> replace(const QString& path, const QByteArray& bytes, unsigned mode)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".new";
    ::unlink(temporary.constData()); // left by a writer that was killed; writers take turns
    if (std::optional<QString> error = writeFresh(temporary, bytes, mode))
        return error;
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return failedTo("putting the new file in place", error);
    }
    syncFolderOf(target);
    return std::nullopt;
}

std::optional<QString> createNew(const QString& path, const QByteArray& bytes, unsigned mode)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".new";
    ::unlink(temporary.constData());
    if (std::optional<QString> error = writeFresh(temporary, bytes, mode))
        return error;
    // link, unlike rename, fails rather than replace a file that took the name meanwhile.
    const bool linked = ::link(temporary.constData(), target.constData()) == 0;
    const int error = errno;
    ::unlink(temporary.constData());
    if (!linked)
        return failedTo("putting the new file in place", error);
    syncFolderOf(target);
    return std::nullopt;
}

} // namespace AtomicFile
