#include "platform/DescriptorFolderReader.h"

#include "platform/FileDescriptor.h"
#include "platform/LocalPath.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Refusal = FolderReader::Refusal;
using Problem = FolderReader::Problem;

struct Walk {
    const FolderReader::Limits& limits;
    FolderReader::Tree tree;
    qsizetype items = 0;
    qint64 bytes = 0;
};

// The names in a folder, in byte order so that every read of one tree lists it alike. Listing stops
// at the first name past the bound, so a folder of a million entries costs no more than the bound.
std::variant<QList<QByteArray>, Refusal> listNames(int dirFd, const QString& prefix, Walk& walk)
{
    DIR* const listing = ::fdopendir(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing)
        return Refusal{Problem::unreadable, prefix.chopped(prefix.isEmpty() ? 0 : 1)};
    QList<QByteArray> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing);
        if (!entry)
            break;
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        if (++walk.items > walk.limits.items) {
            ::closedir(listing);
            return Refusal{Problem::tooManyItems, prefix + LocalPath::fromBytes(name)};
        }
        names.append(name);
    }
    const int error = errno;
    ::closedir(listing);
    if (error != 0)
        return Refusal{Problem::unreadable, prefix.chopped(prefix.isEmpty() ? 0 : 1)};
    std::sort(names.begin(), names.end());
    return names;
}

// Reads no more than what is left of the bound and one byte, whatever size the file claimed when it
// was opened: it may grow while it is read.
std::optional<Refusal> readFile(int fd, const QString& path, Walk& walk)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return Refusal{Problem::unreadable, path};
    if (!S_ISREG(status.st_mode))
        return Refusal{Problem::unreadable, path};
    const qint64 left = walk.limits.bytes - walk.bytes;
    if (status.st_size > left)
        return Refusal{Problem::tooLarge, path};
    QByteArray bytes(qsizetype(std::min<qint64>(status.st_size + 1, left + 1)), Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > left)
                return Refusal{Problem::tooLarge, path};
            bytes.resize(qsizetype(std::min<qint64>(qint64(size) * 2 + 4096, left + 1)));
        }
        const ssize_t n = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Refusal{Problem::unreadable, path};
        if (n == 0)
            break;
        size += n;
    }
    bytes.truncate(size);
    walk.bytes += size;
    walk.tree.entries.append({path, false, bytes, (status.st_mode & 0111) != 0, (status.st_mode & 044) == 0});
    return std::nullopt;
}

enum class Opened { folder, file, link, specialFile, failed };

// Opens a folder or a regular file, never a link. The type fstatat saw may have changed by the open,
// which then refuses a link (ELOOP, or ENOTDIR where O_DIRECTORY is checked first): the item is
// looked at afresh, a few times. Nothing but a folder or a regular file is ever opened, since
// opening a device may act on it.
Opened openItem(int dirFd, const QByteArray& name, FileDescriptor& fd)
{
    for (int look = 0; look < 3; ++look) {
        struct stat status {};
        if (::fstatat(dirFd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return Opened::failed;
        if (S_ISLNK(status.st_mode))
            return Opened::link;
        if (!S_ISDIR(status.st_mode) && !S_ISREG(status.st_mode))
            return Opened::specialFile;
        const bool folder = S_ISDIR(status.st_mode);
        const int flags = folder ? O_RDONLY | O_DIRECTORY : O_RDONLY | O_NONBLOCK | O_NOCTTY;
        fd.reset(::openat(dirFd, name.constData(), flags | O_NOFOLLOW | O_CLOEXEC));
        if (fd.valid())
            return folder ? Opened::folder : Opened::file;
        if (errno != ELOOP && errno != ENOTDIR)
            return Opened::failed;
    }
    return Opened::failed;
}

std::optional<Refusal> readFolder(int dirFd, const QString& prefix, Walk& walk)
{
    auto listed = listNames(dirFd, prefix, walk);
    if (const auto* refusal = std::get_if<Refusal>(&listed))
        return *refusal;
    for (const QByteArray& name : std::get<QList<QByteArray>>(listed)) {
        const QString path = prefix + LocalPath::fromBytes(name);
        FileDescriptor fd;
        std::optional<Refusal> refusal;
        switch (openItem(dirFd, name, fd)) {
        case Opened::link:
            walk.tree.skippedLinks.append(path);
            break;
        case Opened::specialFile:
            walk.tree.specialFiles.append(path);
            break;
        case Opened::failed:
            return Refusal{Problem::unreadable, path};
        case Opened::folder: {
            struct stat status {};
            walk.tree.entries.append(
                {path, true, {}, false, ::fstat(fd.get(), &status) == 0 && (status.st_mode & 044) == 0});
            refusal = readFolder(fd.get(), path + QLatin1Char('/'), walk);
            break;
        }
        case Opened::file:
            refusal = readFile(fd.get(), path, walk);
            break;
        }
        if (refusal)
            return refusal;
    }
    return std::nullopt;
}

} // namespace

std::variant<FolderReader::Tree, FolderReader::Refusal> DescriptorFolderReader::read(const QString& folder,
                                                                                     const Limits& limits) const
{
    const QByteArray encoded = LocalPath::toBytes(folder);
    if (encoded.isEmpty())
        return Refusal{Problem::missing, {}};
    const FileDescriptor top(::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!top.valid())
        return Refusal{errno == EACCES || errno == EMFILE ? Problem::unreadable : Problem::missing, {}};
    Walk walk{limits, {}, 0, 0};
    if (const std::optional<Refusal> refusal = readFolder(top.get(), {}, walk))
        return *refusal;
    return std::move(walk.tree);
}

const FolderReader& FolderReader::system()
{
    static const DescriptorFolderReader reader;
    return reader;
}
