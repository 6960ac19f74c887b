#include "platform/prepared_pictures.h"

#include <exception>

namespace pelandra {

namespace {

// A picture the file itself spoils stays spoilt while the file is unchanged; a file that
// could not be found or read (a disc spinning up, a file held by another program) may be
// there now.
bool worthRetrying(const std::optional<RuntimeError>& failure) {
    return failure && failure->number != RuntimeError::invalidPicture().number;
}

}  // namespace

void PreparedPictures::prepare(std::string_view form, std::string_view control, TextView path,
                               PictureSize size) {
    Prepared* prepared = nullptr;
    try {
        prepared = &byControl_[Key(form, control)];
        std::optional<PictureDecoder::OpenFile> file;
        std::optional<RuntimeError> unopened;
        try {
            file = decoder_.open(path);
        } catch (const RuntimeError& error) {
            unopened = error;
        }
        if (file && prepared->identity == file->identity && prepared->path == path &&
            prepared->size == size && !worthRetrying(prepared->failure)) {
            return;  // decoded or decoding already
        }
        if (unopened) return fail(*prepared, *unopened);
        if (prepared->job != 0) decoder_.forget(prepared->job);
        if (++lastJob_ == 0) ++lastJob_;  // 0 stands for no job
        *prepared = {Text(path), size, file->identity, lastJob_, std::nullopt, nullptr};
        decoder_.start(prepared->job, std::move(*file), size, form);
    } catch (const RuntimeError& error) {
        if (prepared) fail(*prepared, error);
    } catch (const std::exception&) {
        if (prepared) fail(*prepared, RuntimeError::outOfMemory());
    }
    // Without memory even for the entry, picture() finds the control unprepared.
}

void PreparedPictures::refuse(std::string_view form, std::string_view control,
                              RuntimeError failure) {
    fail(byControl_[Key(form, control)], std::move(failure));
}

void PreparedPictures::fail(Prepared& prepared, RuntimeError failure) {
    if (prepared.job != 0) decoder_.forget(prepared.job);
    prepared = {};  // matches no file: the next prepare tries again
    prepared.failure = std::move(failure);
}

bool PreparedPictures::ready(std::string_view form, std::string_view control) const {
    const auto found = byControl_.find(Key(form, control));
    return found != byControl_.end() && found->second.job == 0;
}

const DecodedPixels& PreparedPictures::picture(std::string_view form,
                                               std::string_view control) const {
    const auto found = byControl_.find(Key(form, control));
    if (found == byControl_.end() || found->second.job != 0) throw RuntimeError::invalidArgument();
    if (found->second.failure) throw *found->second.failure;
    return found->second.pixels;
}

std::optional<PreparedPictures::Control> PreparedPictures::finished(
    PictureDecoder::Job job, std::optional<RuntimeError> failure, DecodedPixels pixels) {
    if (job == 0) return std::nullopt;
    for (auto& [key, prepared] : byControl_) {
        if (prepared.job != job) continue;
        prepared.job = 0;
        prepared.failure = std::move(failure);
        prepared.pixels = std::move(pixels);
        return Control{key.first, key.second};
    }
    return std::nullopt;  // superseded: the pixels are freed here
}

}  // namespace pelandra
