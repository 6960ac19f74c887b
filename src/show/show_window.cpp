#include "show/show_window.h"

#include <exception>
#include <new>

#include "control/pointer.h"
#include "control/program.h"
#include "platform/checked_math.h"
#include "settings/settings.h"
#include "show/captions.h"
#include "show/layout.h"
#include "show/show_design.h"

namespace pelandra {

namespace {

constexpr TextView kFolderMarker = u"pyrnox";
constexpr TextView kMissingPhotosPrompt =
    u"Unable to find Pelandra photographs!\r\n\r\n"
    u"Make sure that the Pelandra Omnarium is in the CDROM drive.";
constexpr TextView kShowTitle = u"The Pelandra Omnarium Screen Saver";

}  // namespace

const Handler<ShowWindow> ShowWindow::kHandlers[] = {
    {show::kForm, EventKind::KeyDown, &ShowWindow::onKeyDown},
    {show::kForm, EventKind::MouseDown, &ShowWindow::onMouseDown},
    {show::kForm, EventKind::MouseMove, &ShowWindow::onFormMove},
    {show::kPhoto, EventKind::Click, &ShowWindow::onMouseDown},
    {show::kPhoto, EventKind::MouseDown, &ShowWindow::onMouseDown},
    {show::kPhoto, EventKind::MouseMove, &ShowWindow::onImageMove},
    {show::kForm, EventKind::QueryUnload, &ShowWindow::onClosing},
    {show::kForm, EventKind::Unload, &ShowWindow::onClosing},
    {show::kTimer, EventKind::Timer, &ShowWindow::tick},
};

ShowWindow::ShowWindow(Program& program)
    : program_(program), platform_(program.platform()), listing_(program.platform()) {}

std::string_view ShowWindow::name() const {
    return show::kForm;
}

void ShowWindow::open() {
    platform_.createForm(show::form1Design(), program_);
    load();
    platform_.showForm(show::kForm);
    platform_.coverOtherScreens(show::kForm);  // the show's is the primary; the rest go black
    platform_.setVisible(show::kForm, show::kCaption, true);
    // The pointer stays out of the photos' way; every exit makes it visible again.
    showPointer(platform_, false);
}

void ShowWindow::handle(std::string_view control, EventKind kind) {
    dispatch<ShowWindow>(*this, kHandlers, control, kind);
}

void ShowWindow::load() {
    auto& values = program_.values();
    values.lngInterval = settings::readIntervalSeconds(platform_);
    platform_.setTimerInterval(show::kForm, show::kTimer, checked::mul32(values.lngInterval, 1000));
    values.strPhotoDir = settings::readPhotoDir(platform_);
    layOut();
}

void ShowWindow::layOut() {
    const auto layout = show::layoutFor(show::form1Design(), platform_.screenSize());
    platform_.maximiseForm(show::kForm);
    platform_.setGeometry(show::kForm, show::kFrame, layout.frame);
    platform_.setGeometry(show::kForm, show::kCaption, layout.caption);
    platform_.setGeometry(show::kForm, show::kLogo, layout.logo);
}

void ShowWindow::tick() {
    // A tick that comes while the error box is open would only stack another box.
    if (errorBoxOpen_) return;
    try {
        showNextPhoto();
    } catch (const RuntimeError&) {
        reportMissingPhotos();
    } catch (const std::exception&) {
        reportMissingPhotos();
    }
}

void ShowWindow::showNextPhoto() {
    const Text& folder = program_.values().strPhotoDir;
    Text entry;     // the path the captions are worked out from
    Text loadPath;  // the path as listed, for case-sensitive file systems
    if (intPassStarts_ > 2) {
        const Text name = listing_.next();
        if (!name.empty()) {
            entry = folder + name;
            loadPath = entry;
        } else {
            intPassStarts_ = 0;
        }
    }
    if (intPassStarts_ <= 2) {
        // The first file of a pass is shown on three ticks in a row.
        const Text name = listing_.first(folder);
        entry = folder + platform_.upperCase(name);
        loadPath = folder + name;
        intPassStarts_ = checked::add16(intPassStarts_, 1);
    }
    const int32_t pos = textFind(entry, kFolderMarker);
    platform_.loadPicture(show::kForm, show::kPhoto, loadPath);
    entry = platform_.upperCase(entry);
    const Text code = textMid(entry, checked::add32(pos, 7), 2);
    platform_.setCaption(show::kForm, show::kCaption, show::captionFor(code, entry, pos));
}

void ShowWindow::reportMissingPhotos() {
    errorBoxOpen_ = true;
    platform_.messageBox(kMissingPhotosPrompt, kShowTitle);
    errorBoxOpen_ = false;
}

void ShowWindow::countMove(int16_t& counter) {
    if (counter > 2) endShow();
    counter = checked::add16(counter, 1);
}

void ShowWindow::onClosing() {
    showPointer(platform_, true);
}

void ShowWindow::endShow() {
    program_.endSaver();
}

}  // namespace pelandra
