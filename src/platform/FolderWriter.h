#pragma once

#include "platform/FolderEntry.h"
#include "platform/PlatformError.h"

#include <QList>
#include <QString>

#include <functional>
#include <variant>

// Creates new folder trees, whole or not at all: the tree is built in a hidden temporary folder
// beside its final place, flushed, then moved into place by a call that fails when the name is
// taken. An existing item is never replaced, nobody sees part of a tree under its final name, and
// no temporary is left behind on any path this process survives; one left by a writer that was
// killed is removed by the next write into the same folder. New items get the modes of any ordinary
// new file or folder: 0666 or 0777 less the umask, 0777 for an executable file, and none for group
// and others where the entry is owner-only.
class FolderWriter {
public:
    // The next name to try for the new folder, each one path component; an empty one ends the list.
    using Names = std::function<QString()>;

    virtual ~FolderWriter() = default;
    // The name the tree was given, or why there is none: nameTaken when every name offered was taken.
    virtual std::variant<QString, PlatformError> createNew(const QString& directory, const Names& names,
                                                           const QList<FolderEntry>& entries) = 0;

    // The process's writer, confined to the folders under access in SecurityScope::shared().
    static FolderWriter& system();
};
