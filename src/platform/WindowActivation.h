#pragma once

#include <QString>

class QWindow;

// Brings a shown window of this instance to the front for a request that another launch handed
// over, with the token the desktop gave that launch (see InstanceChannel). Desktops keep a program
// in the background from taking the focus unless it shows such a token.
namespace WindowActivation {

// On Wayland the token is offered in XDG_ACTIVATION_TOKEN for exactly the activation request, which
// the platform plugin reads it for; it never stays behind for child processes. On X11 the start-up id
// goes on the window and its time into the activation request. Without a usable token, or on any
// other platform, this is a plain activation request.
void activate(QWindow* window, const QString& token);

} // namespace WindowActivation
