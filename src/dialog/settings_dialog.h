// The settings dialog: the delay selector and its three commands.
#pragma once

#include <string_view>

#include "control/handler_table.h"
#include "control/program_port.h"
#include "platform/platform.h"

namespace pelandra {

class SettingsDialog {
  public:
    explicit SettingsDialog(ProgramPort& program);

    std::string_view name() const;

    // Starts the delay at the stored interval when it is one of the ring's values, else at
    // one second, then creates and shows the dialog.
    void open();
    void handle(std::string_view control, EventKind kind);

  private:
    void stepDown();
    void stepUp();
    void showDelay();
    void set();
    void help();
    void exit();

    static const Handler<SettingsDialog> kHandlers[];

    ProgramPort& program_;
    Platform& platform_;
};

}  // namespace pelandra
