#pragma once

#include "platform/PlatformError.h"

#include <QByteArray>
#include <QString>

#include <optional>

class SecurityScope;

// Creates new files, whole or not at all. A file is written beside its final place under no name
// (or a hidden one), flushed, then linked into place by a call that fails when the name is taken:
// an existing item is never replaced, a reader never sees part of a file, and no temporary is left
// behind on any path. New files get the mode of any ordinary new file: 0666 less the umask.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // Nothing on success. `name` must be one path component.
    virtual std::optional<PlatformError> createNew(const QString& directory, const QString& name,
                                                   const QByteArray& bytes) = 0;

    // The process's writer, confined to the folders under access in SecurityScope::shared().
    static FileWriter& system();
};

// Refuses, with PlatformError::permissionDenied, a folder whose real location lies outside every
// folder under access in the scope.
class ConfinedFileWriter final : public FileWriter {
public:
    enum class Temporary {
        Unnamed, // O_TMPFILE where the file system has it, else Hidden
        Hidden,  // a hidden file in the same folder, removed after linking
    };

    explicit ConfinedFileWriter(const SecurityScope& scope, Temporary temporary = Temporary::Unnamed);
    std::optional<PlatformError> createNew(const QString& directory, const QString& name,
                                           const QByteArray& bytes) override;

private:
    const SecurityScope& m_scope;
    Temporary m_temporary;
};
