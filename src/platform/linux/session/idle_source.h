// Where the watcher learns that the user has been idle: one per kind of session.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace pelandra::qt {

class IdleSource {
  public:
    virtual ~IdleSource() = default;
    // Calls `idle` once the user has been idle for `milliseconds`, through the event loop,
    // without waking it before; replaces any earlier request.
    virtual void awaitIdle(uint32_t milliseconds, std::function<void()> idle) = 0;
    // What the log calls it.
    virtual const char* name() const = 0;
};

// Each returns nullptr when the session does not offer it. `sessionEnded` is called when
// the connection to the session goes away.
std::unique_ptr<IdleSource> waylandIdle(std::function<void()> sessionEnded);
std::unique_ptr<IdleSource> mutterIdle(std::function<void()> sessionEnded);
std::unique_ptr<IdleSource> x11Idle(std::function<void()> sessionEnded);

}  // namespace pelandra::qt
