#include "program/program.h"

#include <cstdlib>

#include "control/command_line.h"
#include "control/error_report.h"
#include "control/hosted_platform.h"
#include "control/pointer.h"
#include "dialog/settings_dialog.h"
#include "show/show_design.h"
#include "show/show_window.h"

namespace pelandra {

Program::Program(Platform& platform) : platform_(platform), active_(&platform) {}

Program::~Program() = default;

void Program::main() {
    try {
        const Text line = platform_.commandLine();
        // A show inside another program's window (a preview's, or one the backend found
        // in its own arguments) follows that window's rules.
        if (const auto parent = previewWindow(line)) platform_.enterPreview(*parent);
        if (const auto host = platform_.hostWindow()) {
            hosted_ = std::make_unique<HostedPlatform>(platform_, *host, show::kFrame);
            active_ = hosted_.get();
        }
        if (platform().previousInstance()) endSaver();
        if (!hosted() && isSettingsMode(line)) {
            openSettings();
        } else {
            openShow();
        }
    } catch (const RuntimeError& error) {
        reportRuntimeError(platform(), error);
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
    showPointer(platform(), true);
    platform().endProcess(0);
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
        reportRuntimeError(platform(), error);
    }
}

}  // namespace pelandra
