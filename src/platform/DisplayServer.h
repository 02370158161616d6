#pragma once

// The desktop's display server, as the environment names it.
namespace DisplayServer {

// Whether WAYLAND_DISPLAY or DISPLAY names a display that accepts a connection. A remote X display
// (host:N) counts as reachable without being tried: only the toolkit can tell, and it may take long.
bool reachable();

} // namespace DisplayServer
