#pragma once

#include <QColor>
#include <QString>

class QPalette;

// The mark beside something the user set up: a green check once it is in place, an orange warning
// while it still needs doing.
namespace StatusMark {

QString symbol(bool done);
// Darker than the usual signal shades on a light window, lighter on a dark one, so that text in
// them stays readable.
QColor colour(bool done, const QPalette& palette);

} // namespace StatusMark
