// Asking a Wayland compositor which globals it advertises, over a short connection of our own.
#pragma once

#include <optional>

// Whether the compositor listening on the socket named Display advertises a global of the
// interface named Interface. A null Display means the compositor the environment names
// (WAYLAND_DISPLAY, else wayland-0). Empty when no connection could be made or the compositor
// broke it; never takes over a socket handed down in WAYLAND_SOCKET, which belongs to the
// application's own connection. Blocks for one round trip.
std::optional<bool> WaylandAdvertises(const char* Display, const char* Interface);
