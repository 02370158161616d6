#include "ui/common/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace WindowPlacement {

namespace {

// What a window manager's title bar and borders take around a window, before the window has any:
// generous, so that a window sized before it is shown still fits once it is framed.
constexpr QSize frameAllowance(16, 48);

} // namespace

QSize fitting(const QWidget* window, QSize wanted)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return wanted;
    return wanted.boundedTo(screen->availableGeometry().size() - frameAllowance).expandedTo(QSize(1, 1));
}

void fitOnScreen(QWidget* window, QSize wanted)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize size = fitting(window, wanted);
    window->setFixedSize(size);
    const QSize framed = size + frameAllowance;
    window->move(available.left() + qMax(0, (available.width() - framed.width()) / 2),
                 available.top() + qMax(0, (available.height() - framed.height()) / 2));
}

} // namespace WindowPlacement
