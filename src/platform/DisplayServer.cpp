#include "platform/DisplayServer.h"

#include "platform/FileDescriptor.h"

#include <QDir>
#include <QLibraryInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <system_error>
#include <thread>
#include <xcb/xcb.h>

namespace {

using namespace std::chrono_literals;

// A local server answers at once; a remote X display that does not answer holds a TCP connect for minutes.
constexpr auto x11Limit = 2500ms;
constexpr auto waylandLimit = 1500ms;
// A compositor's answer to a registry request and a sync is a few kilobytes of globals.
constexpr qsizetype waylandAnswerLimit = 64 << 10;

// Runs `check` on a thread of its own and waits at most `limit` for its answer; one that has not come
// by then counts as a failure. The thread then finishes on its own, owning everything it touches.
bool answersWithin(std::chrono::milliseconds limit, std::function<bool()> check)
{
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> result = answer->get_future();
    try {
        std::thread([answer, check = std::move(check)] { answer->set_value(check()); }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return result.wait_for(limit) == std::future_status::ready && result.get();
}

// libxcb authenticates as Xlib does (XAUTHORITY, else ~/.Xauthority); a server that refuses this
// user, or lacks the screen the name asks for (newer libxcb reports that as an error too), is as
// unusable as none.
bool x11Usable()
{
    const std::string display = qgetenv("DISPLAY").toStdString();
    return !display.empty() && answersWithin(x11Limit, [display] {
        int screen = 0;
        xcb_connection_t* connection = xcb_connect(display.c_str(), &screen);
        const bool usable = !xcb_connection_has_error(connection) && screen >= 0 &&
                            screen < xcb_setup_roots_length(xcb_get_setup(connection));
        xcb_disconnect(connection);
        return usable;
    });
}

// Whether the socket WAYLAND_DISPLAY names is a compositor: asked for its registry and then for a
// sync, it must answer in well-formed messages, to those objects only, and end with the sync's done.
bool compositorAnswers()
{
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    const QByteArray folder = qgetenv("XDG_RUNTIME_DIR");
    if (name.isEmpty() || (!name.startsWith('/') && folder.isEmpty()))
        return false;
    const QByteArray path = name.startsWith('/') ? name : folder + '/' + name;
    sockaddr_un address{};
    if (size_t(path.size()) >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    // Non-blocking, so that a listener with a full backlog refuses at once instead of holding the connect.
    const FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.valid() || ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;

    // Messages in host byte order: object, (size << 16) | opcode, arguments. On object 1, the display,
    // get_registry (opcode 1) makes object 2 and sync (opcode 0) makes callback 3.
    enum : quint32 { display = 1, registry = 2, callback = 3 };
    const quint32 request[] = {display, (12u << 16) | 1, registry, display, (12u << 16) | 0, callback};
    if (::send(socket.get(), request, sizeof request, MSG_NOSIGNAL) != ssize_t(sizeof request))
        return false;
    const auto deadline = std::chrono::steady_clock::now() + waylandLimit;
    QByteArray answer;
    while (answer.size() < waylandAnswerLimit && waitForDescriptor(socket.get(), POLLIN, deadline)) {
        char buffer[4096];
        const ssize_t n = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        answer.append(buffer, n);
        quint32 header[2];
        while (answer.size() >= qsizetype(sizeof header)) {
            std::memcpy(header, answer.constData(), sizeof header);
            const quint32 object = header[0], size = header[1] >> 16, opcode = header[1] & 0xffff;
            if (size < sizeof header || size % 4 || object < display || object > callback)
                return false;
            if (object == display && opcode == 0) // error
                return false;
            if (object == callback && opcode == 0) // done: everything before the sync has been answered
                return true;
            if (answer.size() < qsizetype(size))
                break;
            answer.remove(0, size);
        }
    }
    return false;
}

// Qt shows windows on a compositor only through its Wayland platform plugin, which is packaged apart.
bool waylandPluginInstalled()
{
    QStringList folders = qEnvironmentVariable("QT_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    folders.append(QLibraryInfo::path(QLibraryInfo::PluginsPath));
    return std::any_of(folders.cbegin(), folders.cend(), [](const QString& folder) {
        const QDir platforms(folder + QStringLiteral("/platforms"));
        return !platforms.entryList({QStringLiteral("libqwayland-*.so")}, QDir::Files).isEmpty();
    });
}

} // namespace

namespace DisplayServer {

QByteArray platform(const QByteArray& requested)
{
    QByteArrayList entries = requested.isEmpty() ? QByteArrayList{"wayland", "xcb"} : requested.split(';');
    entries.removeAll(QByteArray());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QByteArray name = entries.at(i).split(':').constFirst();
        const bool wayland = name.startsWith("wayland");
        // Only the toolkit knows this one, and it falls back along the rest of the list by itself.
        if (!wayland && name != "xcb")
            return entries.mid(i).join(';');
        if (wayland ? compositorAnswers() && waylandPluginInstalled() : x11Usable())
            return entries.at(i);
    }
    return {};
}

} // namespace DisplayServer
