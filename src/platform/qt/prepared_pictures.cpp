#include "prepared_pictures.h"

#include <utility>

namespace pelandra::qt {

namespace {

std::string keyOf(const std::string& form, const std::string& control) {
    return form + "." + control;
}

}  // namespace

PreparedPictures::PreparedPictures(Finished finished) : finishedCall_(std::move(finished)) {}

void PreparedPictures::prepare(const std::string& form, const std::string& control,
                               const std::string& path, QSize target) {
    const std::string key = keyOf(form, control);
    std::optional<PictureFile> file;
    std::optional<RuntimeError> unopened;
    try {
        file.emplace(path);
    } catch (const RuntimeError& error) {
        unopened = error;
    }
    const auto stamp = file ? std::optional<FileStamp>(file->stamp()) : std::nullopt;
    const auto found = byControl_.find(key);
    if (found != byControl_.end()) {
        const Prepared& old = found->second;
        // A file that could not be opened is tried again: it may be there now.
        if (old.path == path && old.target == target && stamp && old.stamp == stamp) return;
    }
    const uint64_t serial = ++serials_;
    byControl_[key] = Prepared{form, control, path, target, stamp, serial, false, std::nullopt, {}};
    if (unopened) {  // told from the event loop, as a decoder's answer is
        QMetaObject::invokeMethod(
            &context_, [this, key, serial, unopened] { finished(key, serial, unopened, {}); },
            Qt::QueuedConnection);
        return;
    }
    decoder_.decode(std::move(*file), path, target,
                    [this, key, serial](std::optional<RuntimeError> failure, QImage picture) {
                        finished(key, serial, std::move(failure), std::move(picture));
                    });
}

void PreparedPictures::refuse(const std::string& form, const std::string& control,
                              RuntimeError failure) {
    byControl_[keyOf(form, control)] =
        Prepared{form, control, {}, {}, std::nullopt, ++serials_, true, std::move(failure), {}};
}

void PreparedPictures::finished(const std::string& key, uint64_t serial,
                                std::optional<RuntimeError> failure, QImage picture) {
    const auto found = byControl_.find(key);
    if (found == byControl_.end() || found->second.serial != serial) return;  // replaced
    Prepared& prepared = found->second;
    prepared.done = true;
    prepared.failure = std::move(failure);
    prepared.picture = std::move(picture);
    // Told from the event loop, never from inside the decoder's own bookkeeping.
    QMetaObject::invokeMethod(
        &context_,
        [this, key, serial] {
            const auto still = byControl_.find(key);
            if (still == byControl_.end() || still->second.serial != serial) return;
            finishedCall_(still->second.form, still->second.control);
        },
        Qt::QueuedConnection);
}

bool PreparedPictures::ready(const std::string& form, const std::string& control) const {
    const auto found = byControl_.find(keyOf(form, control));
    return found == byControl_.end() || found->second.done;
}

const QImage& PreparedPictures::picture(const std::string& form, const std::string& control) const {
    const auto found = byControl_.find(keyOf(form, control));
    if (found == byControl_.end() || !found->second.done) throw RuntimeError::invalidArgument();
    if (found->second.failure) throw *found->second.failure;
    return found->second.picture;
}

}  // namespace pelandra::qt
