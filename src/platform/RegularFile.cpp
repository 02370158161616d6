#include "platform/RegularFile.h"

#include "platform/FileDescriptor.h"
#include "platform/LocalPath.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

std::variant<QByteArray, Failure> read(const QString& path, qsizetype maximum)
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
