#include "show/show_window.h"

#include <exception>
#include <new>

#include "control/pointer.h"
#include "platform/checked_math.h"
#include "settings/settings.h"
#include "show/captions.h"
#include "show/layout.h"
#include "show/show_design.h"

namespace pelandra {

namespace {

constexpr TextView kMissingPhotosPrompt =
    u"Unable to find Pelandra photographs!\r\n\r\n"
    u"Make sure that the Pelandra Omnarium is in the CDROM drive.";
constexpr TextView kShowTitle = u"The Pelandra Omnarium Screen Saver";

// Runs one step of a tick; false when it failed. A tick reports every failure the same way.
template <typename Step>
bool succeeded(Step&& step) {
    try {
        step();
        return true;
    } catch (const RuntimeError&) {
    } catch (const std::exception&) {
    }
    return false;
}

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
    {show::kPhoto, EventKind::PictureReady, &ShowWindow::onPictureReady},
    // On the primary screen as it is now, laid out as at load; the covers follow by themselves.
    {show::kForm, EventKind::ScreensChanged, &ShowWindow::layOut},
};

ShowWindow::ShowWindow(ProgramPort& program)
    : program_(program), platform_(program.platform()), sequencer_(program.platform()) {}

std::string_view ShowWindow::name() const {
    return show::kForm;
}

void ShowWindow::open() {
    platform_.createForm(show::form1Design(), program_.events());
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
    // A tick that comes while the error box is open would only stack another box, and one
    // that comes while the last tick's picture is still decoding would only wait behind it.
    if (errorBoxOpen_ || pictureLoading_) return;
    const auto& folder = program_.values().strPhotoDir;
    if (!succeeded([&] { step_ = sequencer_.advance(folder); })) {
        prepareUpcoming();
        reportMissingPhotos();
        return;
    }
    platform_.preparePicture(show::kForm, show::kPhoto, step_.loadPath);
    if (platform_.pictureReady(show::kForm, show::kPhoto)) {
        finishTick();
    } else {
        pictureLoading_ = true;
    }
}

void ShowWindow::onPictureReady() {
    if (!pictureLoading_ || !platform_.pictureReady(show::kForm, show::kPhoto)) return;
    pictureLoading_ = false;
    finishTick();
}

void ShowWindow::finishTick() {
    const bool shown = succeeded([&] {
        platform_.showPreparedPicture(show::kForm, show::kPhoto);
        const Text entry = platform_.upperCase(step_.entry);
        const Text code = textMid(entry, checked::add32(step_.pos, 7), 2);
        platform_.setCaption(show::kForm, show::kCaption, show::captionFor(code, entry, step_.pos));
    });
    // The next picture decodes while this one is shown, or while the box waits.
    prepareUpcoming();
    if (!shown) reportMissingPhotos();
}

// Only a head start is lost if this fails; the next tick prepares its picture itself.
void ShowWindow::prepareUpcoming() {
    succeeded([&] {
        if (auto next = sequencer_.upcoming(program_.values().strPhotoDir)) {
            platform_.preparePicture(show::kForm, show::kPhoto, *next);
        }
    });
}

void ShowWindow::reportMissingPhotos() {
    errorBoxOpen_ = true;
    platform_.messageBox(kMissingPhotosPrompt, kShowTitle);
    errorBoxOpen_ = false;
}

void ShowWindow::onFormMove() {
    if (input_.formMoved()) endShow();
}

void ShowWindow::onImageMove() {
    if (input_.imageMoved()) endShow();
}

void ShowWindow::onClosing() {
    showPointer(platform_, true);
}

void ShowWindow::endShow() {
    program_.endSaver();
}

}  // namespace pelandra
