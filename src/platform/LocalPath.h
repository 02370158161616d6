#pragma once

#include <QByteArray>
#include <QString>

// Paths of the local file system as text, without losing a byte. A path is bytes, not necessarily
// UTF-8: the text holds each byte that is not part of well-formed UTF-8 as the lone surrogate
// U+DC80..U+DCFF, so that every path comes back from its text byte for byte and two paths never
// read as the same text. Qt's own conversions would turn such a byte into U+FFFD, which names
// another file.
namespace LocalPath {

QString fromBytes(const QByteArray& bytes);

// The exact inverse of fromBytes. Empty when the text names no path: it holds a NUL, at which the
// system would cut the path short, or a surrogate that stands for no byte.
QByteArray toBytes(const QString& path);

// "file://" and the absolute path's bytes percent-encoded, "/" as it is; empty for anything else.
QString fileUri(const QString& path);

enum class Kind { missing, folder, regularFile, other };
// What is at the path, following a link at its end; missing too when it cannot be looked at.
Kind kind(const QString& path);

// The process's current folder; empty when it has none.
QString currentFolder();

// The path with every link, "." and ".." resolved; empty when it leads nowhere.
QString resolved(const QString& path);

} // namespace LocalPath
