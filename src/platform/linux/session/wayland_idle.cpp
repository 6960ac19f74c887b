// Idle from the Wayland compositor: ext-idle-notify-v1, else KDE's older idle protocol.
// Both count idle inhibitors (a video playing) by themselves.
#include <wayland-client.h>

#include <QSocketNotifier>
#include <cstring>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "platform/linux/session/idle_source.h"

namespace pelandra::qt {

namespace {

class WaylandIdle : public IdleSource {
  public:
    WaylandIdle(wl_display* display, std::function<void()> sessionEnded)
        : display_(display), sessionEnded_(std::move(sessionEnded)) {}

    ~WaylandIdle() override {
        release();
        if (ext_ != nullptr) ext_idle_notifier_v1_destroy(ext_);
        if (kde_ != nullptr) org_kde_kwin_idle_destroy(kde_);
        if (seat_ != nullptr) wl_seat_destroy(seat_);
        if (registry_ != nullptr) wl_registry_destroy(registry_);
        wl_display_disconnect(display_);
    }

    // Binds the seat and an idle protocol; false when the compositor lacks them.
    bool bind() {
        registry_ = wl_display_get_registry(display_);
        static const wl_registry_listener listener = {&WaylandIdle::global,
                                                      [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(registry_, &listener, this);
        if (wl_display_roundtrip(display_) < 0) return false;
        if (seat_ == nullptr || (ext_ == nullptr && kde_ == nullptr)) return false;
        notifier_ =
            std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { read(); });
        return true;
    }

    void awaitIdle(uint32_t milliseconds, std::function<void()> idle) override {
        release();
        idle_ = std::move(idle);
        if (ext_ != nullptr) {
            static const ext_idle_notification_v1_listener listener = {
                [](void* self, ext_idle_notification_v1*) {
                    static_cast<WaylandIdle*>(self)->fire();
                },
                [](void*, ext_idle_notification_v1*) {}};
            extTimeout_ = ext_idle_notifier_v1_get_idle_notification(ext_, milliseconds, seat_);
            ext_idle_notification_v1_add_listener(extTimeout_, &listener, this);
        } else {
            static const org_kde_kwin_idle_timeout_listener listener = {
                [](void* self, org_kde_kwin_idle_timeout*) {
                    static_cast<WaylandIdle*>(self)->fire();
                },
                [](void*, org_kde_kwin_idle_timeout*) {}};
            kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kde_, seat_, milliseconds);
            org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &listener, this);
        }
        wl_display_flush(display_);
    }

    const char* name() const override {
        return ext_ != nullptr ? "ext-idle-notify-v1" : "org_kde_kwin_idle";
    }

  private:
    static void global(void* data, wl_registry* registry, uint32_t id, const char* interface,
                       uint32_t) {
        auto* self = static_cast<WaylandIdle*>(data);
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && self->seat_ == nullptr) {
            self->seat_ =
                static_cast<wl_seat*>(wl_registry_bind(registry, id, &wl_seat_interface, 1));
        } else if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0) {
            self->ext_ = static_cast<ext_idle_notifier_v1*>(
                wl_registry_bind(registry, id, &ext_idle_notifier_v1_interface, 1));
        } else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0) {
            self->kde_ = static_cast<org_kde_kwin_idle*>(
                wl_registry_bind(registry, id, &org_kde_kwin_idle_interface, 1));
        }
    }

    void read() {
        if (wl_display_dispatch(display_) < 0) {
            notifier_->setEnabled(false);
            sessionEnded_();
            return;
        }
        wl_display_flush(display_);
    }

    void fire() {
        if (idle_) idle_();
    }

    void release() {
        if (extTimeout_ != nullptr) ext_idle_notification_v1_destroy(extTimeout_);
        if (kdeTimeout_ != nullptr) org_kde_kwin_idle_timeout_release(kdeTimeout_);
        extTimeout_ = nullptr;
        kdeTimeout_ = nullptr;
    }

    wl_display* display_;
    std::function<void()> sessionEnded_;
    std::function<void()> idle_;
    std::unique_ptr<QSocketNotifier> notifier_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    ext_idle_notifier_v1* ext_ = nullptr;
    org_kde_kwin_idle* kde_ = nullptr;
    ext_idle_notification_v1* extTimeout_ = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
};

}  // namespace

std::unique_ptr<IdleSource> waylandIdle(std::function<void()> sessionEnded) {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return nullptr;
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return nullptr;
    auto source = std::make_unique<WaylandIdle>(display, std::move(sessionEnded));
    if (!source->bind()) return nullptr;
    return source;
}

}  // namespace pelandra::qt
