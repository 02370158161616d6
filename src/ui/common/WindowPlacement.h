#pragma once

#include <QSize>

class QWidget;

namespace WindowPlacement {

// Gives `window` the size it wants, or less where its screen's free area is smaller (its content must
// then scroll), and centres it there with its title bar on the screen: no part of it is ever off
// screen, whatever the screen's size and scale.
void fitOnScreen(QWidget* window, QSize wanted);
// The size `window` wants, or less where its screen's free area is smaller, for a window that the
// desktop places itself (a dialog over its parent, a window the user may resize).
QSize fitting(const QWidget* window, QSize wanted);

} // namespace WindowPlacement
