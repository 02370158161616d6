#include "platform/RegularFile.h"

#include "platform/FileDescriptor.h"
#include "platform/LocalPath.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// Where the opened file really is, or on what it lies, whatever path or links led to it.
bool isSystemFile(int fd)
{
    struct statfs system {};
    if (::fstatfs(fd, &system) != 0)
        return true;
    switch (system.f_type) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case TRACEFS_MAGIC:
    case BPF_FS_MAGIC:
    case EFIVARFS_MAGIC:
        return true;
    default:
        break;
    }
    char buffer[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer - 1);
    if (n <= 0)
        return false; // without /proc there is no /proc to read from either
    const QByteArray real(buffer, n);
    return real.startsWith("/proc/") || real.startsWith("/sys/") || real.startsWith("/dev/");
}

} // namespace

namespace RegularFile {

std::optional<Failure> checkFolder(const QString& path, bool* ownerOnly)
{
    const QByteArray encoded = LocalPath::toBytes(path);
    const FileDescriptor fd(encoded.isEmpty() ? -1 : ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid())
        return errno == EACCES ? Failure::unreadable : Failure::missing;
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return Failure::unreadable;
    if (isSystemFile(fd.get()))
        return Failure::systemFile;
    if (ownerOnly)
        *ownerOnly = (status.st_mode & (S_IRGRP | S_IROTH)) == 0;
    return std::nullopt;
}

std::variant<QByteArray, Failure> read(const QString& path, qsizetype maximum, bool* ownerOnly)
{
    // Non-blocking, or opening a named pipe would wait for a writer; nothing is read before the
    // descriptor is known to be a regular file, so the flag changes nothing for what is read.
    const QByteArray encoded = LocalPath::toBytes(path);
    if (encoded.isEmpty())
        return Failure::missing;
    const FileDescriptor fd(::open(encoded.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid())
        return errno == ENOENT || errno == ENOTDIR ? Failure::missing : Failure::unreadable;
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return Failure::unreadable;
    if (!S_ISREG(status.st_mode))
        return Failure::notRegular;
    if (isSystemFile(fd.get()))
        return Failure::systemFile;
    if (ownerOnly)
        *ownerOnly = (status.st_mode & (S_IRGRP | S_IROTH)) == 0;
    // The size is only a hint (the file may grow while it is read, and some report none); the
    // count of bytes read decides.
    if (status.st_size > maximum)
        return Failure::tooLarge;
    QByteArray bytes;
    char chunk[64 * 1024];
    while (bytes.size() <= maximum) {
        const size_t wanted = size_t(std::min<qsizetype>(qsizetype(sizeof chunk), maximum + 1 - bytes.size()));
        const ssize_t n = ::read(fd.get(), chunk, wanted);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Failure::unreadable;
        if (n == 0)
            return bytes;
        bytes.append(chunk, n);
    }
    return Failure::tooLarge;
}

} // namespace RegularFile
