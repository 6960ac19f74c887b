// The program's entry, its module values and its one orderly exit.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

namespace pelandra {

class HostedPlatform;
class ShowWindow;
class SettingsDialog;

// Values that live as long as the process.
struct ModuleValues {
    int32_t lngDelay = 0;     // the settings dialog's delay, milliseconds
    int32_t lngInterval = 0;  // the show's interval, seconds
    Text strPhotoDir;         // the photo folder, used verbatim
};

class Program : public EventSink {
  public:
    explicit Program(Platform& platform);
    ~Program() override;

    // Refuses a second instance, then opens the show or the settings dialog according to
    // the command line, and returns; the platform's event loop takes over.
    void main();

    // Pointer visible, then the process ends.
    [[noreturn]] void endSaver();

    // Routes a control's event to its window's handler; a failure no handler catches
    // ends the program through the run-time error report.
    void handle(std::string_view form, std::string_view control, EventKind kind) override;

    // The platform the windows use: the backend itself, or, for a show inside a host
    // window, the layer that applies the hosted show's rules over it.
    Platform& platform() { return *active_; }
    bool hosted() const { return hosted_ != nullptr; }
    ModuleValues& values() { return values_; }
    ShowWindow* showWindow() { return show_.get(); }
    SettingsDialog* settingsDialog() { return dialog_.get(); }

  private:
    void openShow();
    void openSettings();

    Platform& platform_;
    std::unique_ptr<HostedPlatform> hosted_;
    Platform* active_;
    ModuleValues values_;
    std::unique_ptr<ShowWindow> show_;
    std::unique_ptr<SettingsDialog> dialog_;
};

}  // namespace pelandra
