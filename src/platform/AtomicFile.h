#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Replaces small files that other programs read whole (the settings, the service menus): a reader
// sees the old file or the new one, never a part, and never nothing. The bytes go to "<path>.new",
// are flushed to the disk, and only then take the file's place in one rename; a symbolic link at
// the path is replaced, never followed. Writers of one path must take turns (the settings lock, the
// one running instance), since they share that temporary name.
namespace AtomicFile {

// Nothing on success; else why, in English, and the file at `path` is as it was. `mode` is the
// new file's, whatever the umask.
std::optional<QString> replace(const QString& path, const QByteArray& bytes, unsigned mode);

// Like replace, for a file that must not exist yet: a taken name fails with EEXIST's text.
std::optional<QString> createNew(const QString& path, const QByteArray& bytes, unsigned mode);

// The C library's untranslated text for an error number ("No space left on device").
QString describe(int error);

} // namespace AtomicFile
