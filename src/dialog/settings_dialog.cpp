#include "dialog/settings_dialog.h"

#include "dialog/delay_ring.h"
#include "dialog/dialog_design.h"
#include "platform/checked_math.h"
#include "platform/runtime_error.h"
#include "settings/settings.h"

namespace pelandra {

namespace {

constexpr int32_t kOpeningDelay = 1000;
constexpr TextView kHelpTitle = u"The Pelandra Omnarium Screen Saver Settings";
constexpr TextView kHelpPrompt =
    u"The Pelandra Omnarium Screen Saver must be initially installed from \r\n"
    u"within the Pelandra Omnarium itself. Use this screen to adjust the \r\n"
    u"timing interval of the presentation.\r\n\r\n"
    u"Additional options exist allowing you to set the screen saver to use\r\n"
    u"all the photos from the Pelandra Omnarium library or just the ones that\r\n"
    u"you have selected from the Screen Saver Photo Selection form. They\r\n"
    u"are available under the File/Install Screen Saver menu items within\r\n"
    u"the Pelandra Omnarium software.\r\n\r\n";
constexpr TextView kSaveFailedPrompt = u"The photo delay could not be saved.\r\n\r\n";

}  // namespace

const Handler<SettingsDialog> SettingsDialog::kHandlers[] = {
    {dialog::kSpin, EventKind::SpinDown, &SettingsDialog::stepDown},
    {dialog::kSpin, EventKind::SpinUp, &SettingsDialog::stepUp},
    {dialog::kSetButton, EventKind::Click, &SettingsDialog::set},
    {dialog::kHelpButton, EventKind::Click, &SettingsDialog::help},
    {dialog::kExitButton, EventKind::Click, &SettingsDialog::exit},
};

SettingsDialog::SettingsDialog(ProgramPort& program)
    : program_(program), platform_(program.platform()) {}

std::string_view SettingsDialog::name() const {
    return dialog::kForm;
}

void SettingsDialog::open() {
    // Opening at the delay the show uses keeps an immediate Set from changing it.
    const int32_t stored = checked::mul32(settings::readIntervalSeconds(platform_), 1000);
    program_.values().lngDelay = dialog::isOnRing(stored) ? stored : kOpeningDelay;
    platform_.createForm(dialog::settingsDesign(), program_.events());
    showDelay();
    platform_.showForm(dialog::kForm);
}

void SettingsDialog::handle(std::string_view control, EventKind kind) {
    dispatch<SettingsDialog>(*this, kHandlers, control, kind);
}

void SettingsDialog::stepDown() {
    auto& delay = program_.values().lngDelay;
    delay = dialog::delayDown(delay);
    showDelay();
}

void SettingsDialog::stepUp() {
    auto& delay = program_.values().lngDelay;
    delay = dialog::delayUp(delay);
    showDelay();
}

void SettingsDialog::showDelay() {
    platform_.setCaption(dialog::kForm, dialog::kDelayPanel,
                         dialog::delayCaption(program_.values().lngDelay));
}

void SettingsDialog::set() {
    try {
        settings::writeDelay(platform_, program_.values().lngDelay);
    } catch (const RuntimeError& error) {
        // The stored delay stays as it was; the user may free the disk and try again.
        platform_.messageBox(Text(kSaveFailedPrompt) + error.description, kHelpTitle);
    }
}

void SettingsDialog::help() {
    platform_.messageBox(kHelpPrompt, kHelpTitle);
}

void SettingsDialog::exit() {
    program_.endSaver();
}

}  // namespace pelandra
