#pragma once

#include <QByteArray>

// The desktop's display server, as the environment names it, tried for real: Qt's platform plugins
// abort the program on a display they cannot use, so only one that answered is handed to them.
namespace DisplayServer {

// The value for QT_QPA_PLATFORM on which the toolkit can show windows, or empty where no display
// can be used. `requested` is the user's own QT_QPA_PLATFORM: a platform other than "wayland" and
// "xcb" is kept as given, since only the toolkit knows it; from those two (a ";"-separated list)
// the first usable is taken; nothing requested tries Wayland, then X11. Each try is bounded in time.
QByteArray platform(const QByteArray& requested);

} // namespace DisplayServer
