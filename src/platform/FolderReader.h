#pragma once

#include "platform/FolderEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

// Reads a folder tree that someone else named, within bounds, and never from outside it: below the
// top folder no symbolic link is followed, even one swapped in while the tree is being read.
class FolderReader {
public:
    struct Limits {
        qsizetype items = 1000;                  // files, folders and links together, the top folder not counted
        qint64 bytes = qint64(16) * 1024 * 1024; // all files' content together
    };
    struct Tree {
        QList<FolderEntry> entries;
        QStringList skippedLinks; // relative paths of the symbolic links left out
        QStringList specialFiles; // relative paths of the named pipes, sockets and devices, never opened
    };
    enum class Problem {
        missing,    // the top is not there, or is not a folder
        unreadable, // no permission, an input error, a descriptor limit
        tooManyItems,
        tooLarge,
    };
    struct Refusal {
        Problem problem;
        QString path; // relative path of the item at fault; empty for the top folder
    };

    virtual ~FolderReader() = default;
    // Stops at the first item that breaks a bound, having read no more than the bound and one byte.
    virtual std::variant<Tree, Refusal> read(const QString& folder, const Limits& limits) const = 0;

    // The process's reader, by file descriptors.
    static const FolderReader& system();
};
