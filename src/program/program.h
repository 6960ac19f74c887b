// The program's entry, its module values and its one orderly exit.
#pragma once

#include <memory>

#include "control/program_port.h"
#include "platform/platform.h"

namespace pelandra {

class HostedPlatform;
class ShowWindow;
class SettingsDialog;

class Program : public EventSink, public ProgramPort {
  public:
    explicit Program(Platform& platform);
    ~Program() override;

    // Refuses a second instance, then opens the show or the settings dialog according to
    // the command line, and returns; the platform's event loop takes over.
    void main();

    [[noreturn]] void endSaver() override;

    // Routes a control's event to its window's handler; a failure no handler catches
    // ends the program through the run-time error report.
    void handle(std::string_view form, std::string_view control, EventKind kind) override;

    Platform& platform() override { return *active_; }
    ModuleValues& values() override { return values_; }
    EventSink& events() override { return *this; }
    bool hosted() const { return hosted_ != nullptr; }
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
