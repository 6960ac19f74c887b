// Records the events a backend delivers, as "control:Kind" texts.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace pelandra::testing {

inline const char* kindName(EventKind kind) {
    switch (kind) {
        case EventKind::KeyDown:
            return "KeyDown";
        case EventKind::MouseDown:
            return "MouseDown";
        case EventKind::MouseMove:
            return "MouseMove";
        case EventKind::Click:
            return "Click";
        case EventKind::QueryUnload:
            return "QueryUnload";
        case EventKind::Unload:
            return "Unload";
        case EventKind::Timer:
            return "Timer";
        case EventKind::SpinDown:
            return "SpinDown";
        case EventKind::SpinUp:
            return "SpinUp";
        case EventKind::PictureReady:
            return "PictureReady";
        case EventKind::HostResized:
            return "HostResized";
        case EventKind::ScreensChanged:
            return "ScreensChanged";
    }
    return "?";
}

class RecordingSink : public EventSink {
  public:
    void handle(std::string_view form, std::string_view control, EventKind kind) override {
        forms.emplace_back(form);
        events.push_back(std::string(control) + ":" + kindName(kind));
    }
    // Events other than timer ticks, which arrive at their own pace.
    std::vector<std::string> input() const {
        std::vector<std::string> result;
        for (const auto& event : events) {
            if (event.find(":Timer") == std::string::npos) result.push_back(event);
        }
        return result;
    }
    std::vector<std::string> forms;
    std::vector<std::string> events;
};

}  // namespace pelandra::testing
