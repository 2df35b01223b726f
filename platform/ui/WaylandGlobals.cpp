// A registry query on a connection of its own, closed again before returning.
#include "platform/ui/WaylandGlobals.h"

#include <wayland-client.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct TGlobalSearch {
    const char* Interface;
    bool Found = false;
};

void OnGlobal(void* Data, wl_registry*, std::uint32_t, const char* Interface, std::uint32_t) {
    auto* search = static_cast<TGlobalSearch*>(Data);
    if (std::strcmp(Interface, search->Interface) == 0) search->Found = true;
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener RegistryListener{OnGlobal, OnGlobalRemove};

} // namespace

std::optional<bool> WaylandAdvertises(const char* Display, const char* Interface) {
    // wl_display_connect(nullptr) would adopt an inherited socket and unset the variable.
    if (!Display && std::getenv("WAYLAND_SOCKET")) return std::nullopt;
    wl_display* display = wl_display_connect(Display);
    if (!display) return std::nullopt;
    TGlobalSearch search{Interface};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &RegistryListener, &search);
    // Every global is announced before the compositor answers the round trip's sync.
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!answered) return std::nullopt;
    return search.Found;
}
