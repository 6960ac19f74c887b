#include "control/program.h"

#include <cstdlib>

#include "control/command_line.h"
#include "control/error_report.h"
#include "control/pointer.h"
#include "dialog/settings_dialog.h"
#include "show/show_window.h"

namespace pelandra {

Program::Program(Platform& platform) : platform_(platform) {}

Program::~Program() = default;

void Program::main() {
    try {
        const Text line = platform_.commandLine();
        // A preview lives inside another program's window and holds no single-instance lock.
        const auto parent = previewWindow(line);
        const bool preview = parent && platform_.enterPreview(*parent);
        if (!preview && platform_.previousInstance()) endSaver();
        if (!preview && isSettingsMode(line)) {
            openSettings();
        } else {
            openShow();
        }
    } catch (const RuntimeError& error) {
        reportRuntimeError(platform_, error);
    }
}

void Program::openShow() {
    show_ = std::make_unique<ShowWindow>(*this);
    show_->open();
}

void Program::openSettings() {
    dialog_ = std::make_unique<SettingsDialog>(*this);
    dialog_->open();
}

void Program::endSaver() {
    showPointer(platform_, true);
    platform_.endProcess(0);
    std::abort();  // endProcess does not return
}

void Program::handle(std::string_view form, std::string_view control, EventKind kind) {
    try {
        if (show_ && form == show_->name()) {
            show_->handle(control, kind);
        } else if (dialog_ && form == dialog_->name()) {
            dialog_->handle(control, kind);
        }
    } catch (const RuntimeError& error) {
        reportRuntimeError(platform_, error);
    }
}

}  // namespace pelandra
