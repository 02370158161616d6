#include "platform/ConfinedFolderWriter.h"

#include "platform/FileDescriptor.h"
#include "platform/LocalPath.h"
#include "platform/SecurityScope.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace {

// `name` is the item that could not be made; empty when the folder itself could not be used.
PlatformError failure(int error, const QString& name, const QString& folderName)
{
    if (error == EACCES || error == EPERM) {
        return {
            PlatformError::permissionDenied,
            name.isEmpty()
                ? QStringLiteral("You don’t have permission to make anything in the folder “%1”.").arg(folderName)
                : QStringLiteral("You don’t have permission to make “%1” in the folder “%2”.").arg(name, folderName)};
    }
    const QString reason = QString::fromLocal8Bit(std::strerror(error));
    if (name.isEmpty())
        return {error, QStringLiteral("The folder “%1” can’t be written to: %2.").arg(folderName, reason)};
    return {error, QStringLiteral("“%1” couldn’t be made in the folder “%2”: %3.").arg(name, folderName, reason)};
}

// Where the opened folder really is, whatever links led to it, as the file system's bytes.
QByteArray realLocation(int dirFd)
{
    char buffer[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(dirFd);
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer);
    return n > 0 && n < ssize_t(sizeof buffer) && buffer[0] == '/' ? QByteArray(buffer, n) : QByteArray();
}

bool isOneComponent(const QByteArray& name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/');
}

// Temporary trees are ".quintara-<random>" folders, locked for as long as their writer runs: one
// whose lock is free was left by a writer that was killed. Files that FileWriter leaves end in
// ".tmp", so neither writer takes the other's temporaries for its own.
const QByteArray temporaryPrefix = QByteArrayLiteral(".quintara-");

bool isTemporaryName(const QByteArray& name)
{
    const QByteArray middle = name.sliced(std::min(name.size(), temporaryPrefix.size()));
    return name.startsWith(temporaryPrefix) && !middle.isEmpty() && middle.size() <= 13 &&
           std::all_of(middle.begin(), middle.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
}

QList<QByteArray> listNames(int dirFd)
{
    QList<QByteArray> result;
    DIR* const listing = ::fdopendir(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing)
        return result;
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            result.append(QByteArray(entry->d_name));
    }
    ::closedir(listing);
    return result;
}

// Never follows a link: one inside is removed as the link it is.
void removeContents(int dirFd)
{
    for (const QByteArray& name : listNames(dirFd)) {
        if (::unlinkat(dirFd, name.constData(), 0) == 0 || errno != EISDIR)
            continue;
        const FileDescriptor inner(::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (inner.valid())
            removeContents(inner.get());
        ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR);
    }
}

bool sameItem(int dirFd, const QByteArray& name, int fd)
{
    struct stat named {};
    struct stat opened {};
    return ::fstatat(dirFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &opened) == 0 &&
           named.st_ino == opened.st_ino && named.st_dev == opened.st_dev;
}

void removeAbandonedTemporaries(int dirFd)
{
    for (const QByteArray& name : listNames(dirFd)) {
        if (!isTemporaryName(name))
            continue;
        const FileDescriptor tree(::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat status {};
        // Only our own, still under that name, with no living writer holding them.
        if (tree.valid() && ::fstat(tree.get(), &status) == 0 && status.st_uid == ::geteuid() &&
            ::flock(tree.get(), LOCK_EX | LOCK_NB) == 0 && sameItem(dirFd, name, tree.get())) {
            removeContents(tree.get());
            ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR);
        }
    }
}

struct Temporary {
    QByteArray name;
    FileDescriptor fd;
};

// Made owner-only, so nobody else can add to the tree while it is built, and locked before anything
// goes into it. A sweep by another writer may lock a fresh temporary first and remove it; the name
// then no longer leads to the folder locked here, and another name is tried.
std::variant<Temporary, int> makeTemporary(int dirFd)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryPrefix + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        if (::mkdirat(dirFd, name.constData(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        FileDescriptor fd(::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && sameItem(dirFd, name, fd.get()))
            return Temporary{name, std::move(fd)};
    }
    return EEXIST;
}

// The mode the umask (or a default access list) gives a new folder here: a folder made with 0777 and
// looked at. umask() cannot be read without setting it, for every thread of the process at once.
mode_t newFolderMode(int dirFd)
{
    static const char probe[] = ".mode";
    struct stat status {};
    mode_t mode = 0755;
    if (::mkdirat(dirFd, probe, 0777) == 0) {
        if (::fstatat(dirFd, probe, &status, AT_SYMLINK_NOFOLLOW) == 0)
            mode = status.st_mode & 07777;
        ::unlinkat(dirFd, probe, AT_REMOVEDIR);
    }
    return mode;
}

struct BuildFailure {
    int error;
    QString path;
};

// Makes the entries inside the temporary, each in the folder made for it just before. Only the
// folders from the top down to the last one made are open, so the descriptors held are as many as
// the tree is deep.
std::optional<BuildFailure> build(int topFd, const QList<FolderEntry>& entries)
{
    std::vector<std::pair<QString, FileDescriptor>> open;
    for (const FolderEntry& entry : entries) {
        const qsizetype slash = entry.path.lastIndexOf(QLatin1Char('/'));
        const QString parent = slash < 0 ? QString() : entry.path.left(slash);
        while (!open.empty() && open.back().first != parent)
            open.pop_back();
        if (open.empty() && !parent.isEmpty())
            return BuildFailure{ENOENT, entry.path}; // listed before its folder, or outside it
        const int parentFd = open.empty() ? topFd : open.back().second.get();
        const QByteArray name = LocalPath::toBytes(entry.path.mid(slash + 1));
        if (!isOneComponent(name))
            return BuildFailure{EINVAL, entry.path};
        if (entry.isFolder) {
            FileDescriptor fd;
            if (::mkdirat(parentFd, name.constData(), entry.ownerOnly ? 0700 : 0777) == 0)
                fd.reset(::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!fd.valid())
                return BuildFailure{errno, entry.path};
            open.emplace_back(entry.path, std::move(fd));
        } else {
            const FileDescriptor fd(::openat(parentFd, name.constData(),
                                             O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC,
                                             (entry.executable ? 0777 : 0666) & (entry.ownerOnly ? 0700 : 0777)));
            if (!fd.valid() || !writeAll(fd.get(), entry.bytes.constData(), size_t(entry.bytes.size())))
                return BuildFailure{errno, entry.path};
            // The content must be on disk before a name makes it visible, or a crash could leave
            // the new folder with files cut short; an empty file has no content to lose.
            if (!entry.bytes.isEmpty() && ::fsync(fd.get()) != 0)
                return BuildFailure{errno, entry.path};
        }
    }
    return std::nullopt;
}

int exclusiveRename(int dirFd, const QByteArray& from, const QByteArray& to)
{
    return ::syscall(SYS_renameat2, dirFd, from.constData(), dirFd, to.constData(), RENAME_NOREPLACE) == 0 ? 0 : errno;
}

// The kernel lets a rename replace a folder only when it is empty. The placeholder is owner-only, so
// nobody else can fill it in between; one that another writer made is found taken by mkdirat, so only
// this writer's own is ever replaced.
int placeholderRename(int dirFd, const QByteArray& from, const QByteArray& to)
{
    if (::mkdirat(dirFd, to.constData(), 0700) != 0)
        return errno;
    if (::renameat(dirFd, from.constData(), dirFd, to.constData()) == 0)
        return 0;
    const int error = errno;
    ::unlinkat(dirFd, to.constData(), AT_REMOVEDIR);
    return error;
}

} // namespace

ConfinedFolderWriter::ConfinedFolderWriter(const SecurityScope& scope, Claim claim) : m_scope(scope), m_claim(claim) {}

std::variant<QString, PlatformError> ConfinedFolderWriter::createNew(const QString& directory, const Names& names,
                                                                     const QList<FolderEntry>& entries)
{
    const QString folderName = QFileInfo(QDir::cleanPath(directory)).fileName();
    const QByteArray encodedDirectory = LocalPath::toBytes(directory);
    if (encodedDirectory.isEmpty())
        return failure(EINVAL, {}, folderName);
    const FileDescriptor dir(::open(encodedDirectory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return failure(errno, {}, folderName);
    // Checked on the opened folder, and everything below goes through that descriptor, so a link
    // swapped in after the check cannot lead the write elsewhere.
    const QByteArray real = realLocation(dir.get());
    if (real.isEmpty() || !m_scope.containsEncoded(real))
        return failure(EACCES, {}, folderName);

    removeAbandonedTemporaries(dir.get());
    auto made = makeTemporary(dir.get());
    if (const int* error = std::get_if<int>(&made))
        return failure(*error, {}, folderName);
    const Temporary& temporary = std::get<Temporary>(made);
    const auto discard = [&] {
        removeContents(temporary.fd.get());
        ::unlinkat(dir.get(), temporary.name.constData(), AT_REMOVEDIR);
    };

    const mode_t mode = newFolderMode(temporary.fd.get());
    if (const std::optional<BuildFailure> built = build(temporary.fd.get(), entries)) {
        discard();
        if (built->error == EEXIST) // two entries under one name, never the new folder's own
            return PlatformError{EEXIST,
                                 QStringLiteral("Two items of the new folder are named “%1”.").arg(built->path)};
        return failure(built->error, built->path, folderName);
    }

    bool exclusive = m_claim == Claim::Exclusive;
    for (QString name = names(); !name.isEmpty(); name = names()) {
        const QByteArray encodedName = LocalPath::toBytes(name);
        if (!isOneComponent(encodedName)) {
            discard();
            return failure(EINVAL, name, folderName);
        }
        int error = exclusive ? exclusiveRename(dir.get(), temporary.name, encodedName) : EINVAL;
        // The file system has no exclusive rename (EINVAL), or the kernel has none (ENOSYS).
        if (error == EINVAL || error == ENOSYS) {
            exclusive = false;
            error = placeholderRename(dir.get(), temporary.name, encodedName);
        }
        if (error == 0) {
            ::fchmod(temporary.fd.get(), mode);
            ::fsync(dir.get());
            return name;
        }
        if (error != EEXIST) {
            discard();
            return failure(error, name, folderName);
        }
    }
    discard();
    return PlatformError{PlatformError::nameTaken,
                         QStringLiteral("Every name offered is already taken in the folder “%1”.").arg(folderName)};
}

FolderWriter& FolderWriter::system()
{
    static ConfinedFolderWriter writer(SecurityScope::shared());
    return writer;
}
