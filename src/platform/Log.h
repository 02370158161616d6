#pragma once

#include <QString>

// The diagnostic log: one line per event on standard error, after a time stamp and process prefix.
namespace Log {

// Writes one event, escaped (see escapeControls).
void line(const QString& text);

// "yyyy-MM-dd hh:mm:ss.zzz quintara[PID] " before every message of the process, and every message
// escaped, Qt's own warnings included: those too may quote a hostile path.
void installFormat();

// The text with everything escaped that could make one event read as another: control characters
// (a line feed in a folder name, say), Unicode line and paragraph separators and bidirectional
// controls, which would break a line or reorder it on display, and the backslash that starts each
// escape. A lone surrogate standing for a byte of a path that is not UTF-8 (U+DC80 to U+DCFF) shows
// as that byte, \xNN; any other lone surrogate as \uXXXX.
QString escapeControls(const QString& text);

} // namespace Log
