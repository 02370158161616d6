#pragma once

#include <QString>

// The diagnostic log: one line per event on standard error, after a time stamp and process prefix.
namespace Log {

// Writes one event. Control characters (a line feed in a folder name, say), Unicode line and
// paragraph separators and bidirectional controls are escaped, so that one event always stays one
// line and reads in the order it was written.
void line(const QString& text);

// "yyyy-MM-dd hh:mm:ss.zzz quintara[PID] " before every message of the process.
void installFormat();

QString escapeControls(const QString& text);

} // namespace Log
