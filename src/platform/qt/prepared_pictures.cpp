#include "prepared_pictures.h"

#include <utility>

namespace pelandra::qt {

namespace {

std::string keyOf(const std::string& form, const std::string& control) {
    return form + "." + control;
}

}  // namespace

PreparedPictures::PreparedPictures(Finished finished) : finishedCall_(std::move(finished)) {}

std::optional<PreparedPictures::Stamp> PreparedPictures::stampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return Stamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

void PreparedPictures::prepare(const std::string& form, const std::string& control,
                               const std::string& path, QSize target) {
    const std::string key = keyOf(form, control);
    const std::optional<Stamp> stamp = stampOf(path);
    const auto found = byControl_.find(key);
    if (found != byControl_.end()) {
        const Prepared& old = found->second;
        // A file that could not be looked at is tried again: it may be there now.
        if (old.path == path && old.target == target && stamp && old.stamp == stamp) return;
    }
    const uint64_t serial = ++serials_;
    byControl_[key] = Prepared{form, control, path, target, stamp, serial, false, std::nullopt, {}};
    decoder_.decode(path, target,
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
