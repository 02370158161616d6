#pragma once

#include <QString>

#include <utility>

// Trimming for the names typed into the windows. The space they lose at their ends is the Unicode
// space separators (general category Zs) and the tab, but no line break.
namespace HorizontalSpace {

// The [start, end) range of `text` left after trimming both ends.
std::pair<qsizetype, qsizetype> trimmedRange(const QString& text);

QString trimmed(const QString& text);

} // namespace HorizontalSpace
