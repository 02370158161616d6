#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

// Reads files that someone else named, whole and within a bound.
namespace RegularFile {

enum class Failure {
    missing,    // nothing at the path
    unreadable, // not opened or not read: no permission, an input error
    notRegular, // a folder, a named pipe, a device, a socket
    tooLarge,   // more than the bound
    systemFile, // in /proc, /sys or /dev, or on a file system of the kernel's: its state, never a document
};

// The bytes of the regular file at `path` (a link is followed), never reading more than
// `maximum` + 1 of them. Opening never waits: a named pipe without a writer is refused at once.
// `ownerOnly`, when given, tells whether nobody but the file's owner may read it.
std::variant<QByteArray, Failure> read(const QString& path, qsizetype maximum, bool* ownerOnly = nullptr);

// Nothing when the folder at `path` may be read as a document is (a link is followed); else missing,
// unreadable, or systemFile for one of the system's. `ownerOnly` as for read.
std::optional<Failure> checkFolder(const QString& path, bool* ownerOnly = nullptr);

} // namespace RegularFile
