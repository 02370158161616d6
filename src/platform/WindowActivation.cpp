#include "platform/WindowActivation.h"

#include "platform/InstanceChannel.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QWindow>

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}

// An X11 window manager lets a background program take the focus only for the user action that
// asked for it: the start-up id names that action and carries its time ("…_TIME<server time>").
// The id goes on the window, and the activation request carries its time instead of the last input
// this program saw, which for an instance serving a file manager is long past.
void activateOnX11(QWindow* window, const QString& startupId)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return window->requestActivate();
    const QByteArray id = startupId.toLatin1();
    const QRegularExpressionMatch time = QRegularExpression(QStringLiteral("_TIME(\\d{1,10})$")).match(startupId);
    const xcb_timestamp_t timestamp =
        time.hasMatch() ? xcb_timestamp_t(time.captured(1).toULongLong()) : XCB_CURRENT_TIME;
    const xcb_window_t handle = xcb_window_t(window->winId());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, handle, atom(connection, "_NET_STARTUP_ID"),
                        atom(connection, "UTF8_STRING"), 8, uint32_t(id.size()), id.constData());

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = handle;
    message.type = atom(connection, "_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 1; // asked for by an application, as the user's action
    message.data.data32[1] = timestamp;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

} // namespace

void WindowActivation::activate(QWindow* window, const QString& token)
{
    const QString platform = QGuiApplication::platformName();
    const bool usable = InstanceChannel::isUsableActivationToken(token);
    if (usable && platform == QLatin1String("xcb"))
        return activateOnX11(window, token);
    const bool offered =
        usable && platform.startsWith(QLatin1String("wayland")) && qputenv("XDG_ACTIVATION_TOKEN", token.toLatin1());
    window->requestActivate();
    if (offered)
        qunsetenv("XDG_ACTIVATION_TOKEN");
}
