#include "wayland_black.h"

#include <qpa/qplatformnativeinterface.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QGuiApplication>
#include <QWindow>
#include <climits>
#include <cstring>

#include "platform/qt/window_system.h"
#include "viewporter-client-protocol.h"

namespace pelandra::qt {

namespace {

// What every black window shares, bound once on Qt's connection and kept for the process's
// life: the compositor's scaler and the black pixel.
struct Shared {
    wl_display* display = nullptr;
    wl_shm* shm = nullptr;
    wp_viewporter* viewporter = nullptr;
    wl_buffer* pixel = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* shared = static_cast<Shared*>(data);
    if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        shared->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
        shared->viewporter = static_cast<wp_viewporter*>(
            wl_registry_bind(registry, name, &wp_viewporter_interface, 1));
    }
}

// One XRGB pixel of zeros: black, and a fresh file of 4 bytes is zeros already.
wl_buffer* blackPixel(wl_shm* shm) {
    const int file = memfd_create("pelandra-black-pixel", MFD_CLOEXEC);
    if (file < 0) return nullptr;
    wl_buffer* pixel = nullptr;
    if (ftruncate(file, 4) == 0) {
        wl_shm_pool* pool = wl_shm_create_pool(shm, file, 4);
        pixel = wl_shm_pool_create_buffer(pool, 0, 1, 1, 4, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);  // the buffer keeps the memory
    }
    close(file);
    return pixel;
}

// Binds on a queue of our own, so that the round trip dispatches nothing of Qt's, then
// hands the objects to the default queue that Qt dispatches (their few events have no
// listener and are dropped there).
Shared bind(wl_display* display) {
    Shared shared;
    shared.display = display;
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    wl_registry* registry = wl_display_get_registry(wrapper);
    static const wl_registry_listener listener = {global, [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(registry, &listener, &shared);
    const bool answered = wl_display_roundtrip_queue(display, queue) >= 0;
    if (answered && shared.shm != nullptr && shared.viewporter != nullptr) {
        shared.pixel = blackPixel(shared.shm);
    }
    for (void* proxy : {static_cast<void*>(shared.shm), static_cast<void*>(shared.viewporter),
                        static_cast<void*>(shared.pixel)}) {
        if (proxy != nullptr) wl_proxy_set_queue(static_cast<wl_proxy*>(proxy), nullptr);
    }
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapper);
    wl_event_queue_destroy(queue);
    return shared;
}

const Shared* sharedFor(wl_display* display) {
    static Shared shared;
    if (shared.display != display) shared = bind(display);
    return shared.pixel != nullptr ? &shared : nullptr;
}

}  // namespace

std::unique_ptr<WaylandBlack> WaylandBlack::forWindow(QWindow& window) {
    if (!compositorPlacesWindows()) return nullptr;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (native == nullptr) return nullptr;
    auto* display = static_cast<wl_display*>(
        native->nativeResourceForIntegration(QByteArrayLiteral("display")));
    auto* surface = static_cast<wl_surface*>(
        native->nativeResourceForWindow(QByteArrayLiteral("surface"), &window));
    const Shared* shared = display == nullptr ? nullptr : sharedFor(display);
    if (surface == nullptr || shared == nullptr) return nullptr;
    wp_viewport* viewport = wp_viewporter_get_viewport(shared->viewporter, surface);
    return std::unique_ptr<WaylandBlack>(
        new WaylandBlack(display, shared->pixel, surface, viewport));
}

WaylandBlack::~WaylandBlack() {
    wp_viewport_destroy(viewport_);
}

void WaylandBlack::cover(QSize size) {
    if (size.isEmpty()) return;
    wp_viewport_set_destination(viewport_, size.width(), size.height());
    wl_surface_attach(surface_, pixel_, 0, 0);
    wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);
    wl_surface_commit(surface_);
    wl_display_flush(display_);
}

}  // namespace pelandra::qt
