// What the show and the settings dialog need of the program they run in: the values that
// live as long as the process, the platform their windows use, where their windows' events
// go, and the one orderly end. The program itself (program/) sits above the windows.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace pelandra {

// Values that live as long as the process.
struct ModuleValues {
    int32_t lngDelay = 0;     // the settings dialog's delay, milliseconds
    int32_t lngInterval = 0;  // the show's interval, seconds
    Text strPhotoDir;         // the photo folder, used verbatim
};

class ProgramPort {
  public:
    // The platform the windows use: the backend itself, or, for a show inside a host
    // window, the layer that applies the hosted show's rules over it.
    virtual Platform& platform() = 0;
    virtual ModuleValues& values() = 0;
    // Where a window's controls send their events.
    virtual EventSink& events() = 0;
    // Pointer visible, then the process ends.
    [[noreturn]] virtual void endSaver() = 0;

  protected:
    ~ProgramPort() = default;
};

}  // namespace pelandra
