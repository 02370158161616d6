#include "platform/DisplayServer.h"

#include <QByteArray>
#include <QRegularExpression>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// `abstract` names a socket in the abstract namespace, where X servers also listen.
bool accepts(const QByteArray& path, bool abstract = false)
{
    sockaddr_un address{};
    const size_t offset = abstract ? 1 : 0;
    if (path.isEmpty() || size_t(path.size()) + offset >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + offset, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + size_t(path.size()));
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    ::close(fd);
    return connected;
}

bool waylandReachable()
{
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    return accepts(name.startsWith('/') ? name : qgetenv("XDG_RUNTIME_DIR") + '/' + name);
}

bool x11Reachable()
{
    static const QRegularExpression form(QStringLiteral(R"(^(unix)?:(\d+)(\.\d+)?$)"));
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return false;
    const QRegularExpressionMatch local = form.match(QString::fromLocal8Bit(display));
    if (!local.hasMatch())
        return true; // a remote display, or a form only the toolkit knows
    const QByteArray socket = "/tmp/.X11-unix/X" + local.captured(2).toLatin1();
    return accepts(socket) || accepts(socket, true);
}

} // namespace

namespace DisplayServer {

bool reachable()
{
    return waylandReachable() || x11Reachable();
}

} // namespace DisplayServer
