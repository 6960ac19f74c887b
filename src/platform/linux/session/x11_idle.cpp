// Idle from the X server's own counter: an alarm of the SYNC extension on its IDLETIME
// counter, which input and every screen-saver reset (as video players send) set back.
#include <xcb/sync.h>
#include <xcb/xcb.h>

#include <QSocketNotifier>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/linux/session/idle_source.h"
#include "platform/linux/x11/xcb_replies.h"

namespace pelandra::qt {

namespace {

class X11Idle : public IdleSource {
  public:
    X11Idle(xcb_connection_t* connection, xcb_sync_counter_t counter, uint8_t firstEvent,
            std::function<void()> sessionEnded)
        : connection_(connection),
          counter_(counter),
          alarmNotify_(uint8_t(firstEvent + XCB_SYNC_ALARM_NOTIFY)),
          sessionEnded_(std::move(sessionEnded)),
          notifier_(xcb_get_file_descriptor(connection), QSocketNotifier::Read) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { read(); });
    }

    ~X11Idle() override { xcb_disconnect(connection_); }

    void awaitIdle(uint32_t milliseconds, std::function<void()> idle) override {
        if (alarm_ != 0) xcb_sync_destroy_alarm(connection_, alarm_);
        idle_ = std::move(idle);
        alarm_ = xcb_generate_id(connection_);
        // Fires when the counter climbs past the wait, not while it already is past it.
        const uint32_t values[] = {counter_,
                                   XCB_SYNC_VALUETYPE_ABSOLUTE,
                                   0,  // value, high word
                                   milliseconds,
                                   XCB_SYNC_TESTTYPE_POSITIVE_TRANSITION,
                                   0,  // delta, high word
                                   0,
                                   1};  // events
        xcb_sync_create_alarm(connection_, alarm_,
                              XCB_SYNC_CA_COUNTER | XCB_SYNC_CA_VALUE_TYPE | XCB_SYNC_CA_VALUE |
                                  XCB_SYNC_CA_TEST_TYPE | XCB_SYNC_CA_DELTA | XCB_SYNC_CA_EVENTS,
                              values);
        xcb_flush(connection_);
    }

    const char* name() const override { return "the X server's IDLETIME counter"; }

  private:
    void read() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const bool ours =
                (event->response_type & 0x7F) == alarmNotify_ &&
                reinterpret_cast<xcb_sync_alarm_notify_event_t*>(event)->alarm == alarm_;
            std::free(event);
            if (ours && idle_) idle_();
        }
        if (xcb_connection_has_error(connection_)) {
            notifier_.setEnabled(false);
            sessionEnded_();
        }
    }

    xcb_connection_t* connection_;
    xcb_sync_counter_t counter_;
    uint8_t alarmNotify_;
    std::function<void()> sessionEnded_;
    std::function<void()> idle_;
    QSocketNotifier notifier_;
    xcb_sync_alarm_t alarm_ = 0;
};

xcb_sync_counter_t idleCounter(xcb_connection_t* connection) {
    const auto counters = x11::reply(xcb_sync_list_system_counters_reply, connection,
                                     xcb_sync_list_system_counters(connection));
    if (counters == nullptr) return 0;
    const xcb_sync_list_system_counters_reply_t* reply = counters.get();
    // Walked by hand: each entry's name is padded to four bytes together with its 14-byte
    // head, which libxcb's iterator does not step over.
    const auto* at = reinterpret_cast<const uint8_t*>(
        xcb_sync_list_system_counters_counters_iterator(reply).data);
    const auto* end = reinterpret_cast<const uint8_t*>(reply) + 32 + size_t(reply->length) * 4;
    constexpr size_t kHead = 14;
    xcb_sync_counter_t found = 0;
    for (uint32_t i = 0; i < reply->counters_len && at + kHead <= end; ++i) {
        xcb_sync_counter_t counter = 0;
        uint16_t length = 0;
        std::memcpy(&counter, at, sizeof counter);
        std::memcpy(&length, at + 12, sizeof length);
        if (at + kHead + length > end) break;
        const std::string_view name(reinterpret_cast<const char*>(at + kHead), length);
        if (name == "IDLETIME") found = counter;
        at += (kHead + length + 3) & ~size_t(3);
    }
    return found;
}

}  // namespace

std::unique_ptr<IdleSource> x11Idle(std::function<void()> sessionEnded) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return nullptr;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    const xcb_query_extension_reply_t* sync = xcb_get_extension_data(connection, &xcb_sync_id);
    const auto version = sync != nullptr && sync->present
                             ? x11::reply(xcb_sync_initialize_reply, connection,
                                          xcb_sync_initialize(connection, 3, 1))
                             : nullptr;
    const xcb_sync_counter_t counter = version != nullptr ? idleCounter(connection) : 0;
    if (counter == 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::make_unique<X11Idle>(connection, counter, sync->first_event,
                                     std::move(sessionEnded));
}

}  // namespace pelandra::qt
