#include "platform/win32/prepared_pictures.h"

#include <exception>
#include <new>

#include "platform/win32/wide_text.h"

namespace pelandra::win32 {

namespace {

bool sameFit(const Fit& a, const Fit& b) {
    return a.width == b.width && a.height == b.height && a.stretch == b.stretch;
}

}  // namespace

// A picture the file itself spoils stays spoilt while the file is unchanged; a file that
// could not be found or read (a disc spinning up, a file held by another program) is tried
// again.
bool PreparedPictures::worthRetrying(const Slot& slot) {
    return slot.done && slot.failure &&
           slot.failure->number != RuntimeError::invalidPicture().number;
}

PreparedPictures::FileStamp PreparedPictures::stampOf(TextView path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        return {error ? error : ERROR_FILE_NOT_FOUND, 0, 0};
    }
    return {
        0, (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
        (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime};
}

void PreparedPictures::prepare(FormWindow* form, std::string_view formName,
                               std::string_view control, TextView path) {
    Slot* slot = nullptr;
    try {
        slot = &slotFor(formName, control);
        if (!form || !form->hwnd()) throw RuntimeError::invalidArgument();
        const Fit fit = form->pictureFit(control);
        const FileStamp stamp = stampOf(path);
        if (slot->path == path && slot->stamp == stamp && sameFit(slot->fit, fit) &&
            (slot->done || slot->job != 0) && !worthRetrying(*slot)) {
            return;  // decoded or decoding already
        }
        if (slot->job != 0) worker_.drop(slot->job);
        *slot = {slot->form, slot->control, Text(path), stamp, fit};
        slot->job = worker_.start(path, fit, form->hwnd(), FormWindow::kPictureDecodedMessage);
    } catch (const RuntimeError& error) {
        if (slot) fail(*slot, error);
    } catch (const std::exception&) {
        if (slot) fail(*slot, RuntimeError::outOfMemory());
    }
    // Without memory even for the slot, show() finds the control unprepared.
}

void PreparedPictures::fail(Slot& slot, const RuntimeError& error) {
    if (slot.job != 0) worker_.drop(slot.job);
    slot = {slot.form, slot.control};  // matches no file: the next prepare tries again
    slot.done = true;
    slot.failure = error;
}

bool PreparedPictures::ready(std::string_view form, std::string_view control) const {
    const Slot* slot = find(form, control);
    return slot && slot->done;
}

void PreparedPictures::show(FormWindow& form, std::string_view control) {
    const Slot* slot = find(form.name(), control);
    if (!slot || !slot->done) throw RuntimeError::invalidArgument();
    if (slot->failure) throw *slot->failure;
    form.setPicture(control, slot->picture);
}

std::string PreparedPictures::finished(std::string_view form, WPARAM job) {
    auto outcome = worker_.take(job);
    if (!outcome) return {};
    for (Slot& slot : slots_) {
        if (slot.form != form || slot.job != job || slot.done) continue;
        slot.job = 0;
        slot.done = true;
        slot.picture = std::move(outcome->picture);
        slot.failure = outcome->failure;
        return slot.control;
    }
    return {};  // superseded: the picture is freed here
}

PreparedPictures::Slot& PreparedPictures::slotFor(std::string_view form, std::string_view control) {
    for (Slot& slot : slots_) {
        if (slot.form == form && slot.control == control) return slot;
    }
    Slot& added = slots_.emplace_back();
    added.form = form;
    added.control = control;
    return added;
}

const PreparedPictures::Slot* PreparedPictures::find(std::string_view form,
                                                     std::string_view control) const {
    for (const Slot& slot : slots_) {
        if (slot.form == form && slot.control == control) return &slot;
    }
    return nullptr;
}

}  // namespace pelandra::win32
