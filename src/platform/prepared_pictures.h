// The pictures decoded for the picture controls ahead of being shown, at most one for each
// control: which file it is of, what that file was when it was opened, whether it is still
// decoding and what decoding left. Each backend supplies only a decoder; the rule of when a
// picture is decoded again lives here.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/runtime_error.h"
#include "platform/text.h"

namespace pelandra {

// What tells one version of a file from another without reading it.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t file = 0;  // inode, or the file index on Windows
    uint64_t size = 0;
    uint64_t modified = 0;  // in the platform's own ticks
    bool operator==(const FileIdentity&) const = default;
};

// The size a picture is decoded at, in device pixels.
struct PictureSize {
    int32_t width = 0;
    int32_t height = 0;
    bool stretch = false;
    bool operator==(const PictureSize&) const = default;
};

// Decoded pixels in the backend's own form (a QImage, a bitmap).
using DecodedPixels = std::shared_ptr<const void>;

class PictureDecoder {
  public:
    // Never 0; pointer-sized, so that a window message can carry it.
    using Job = uintptr_t;

    // A file opened for decoding: its identity and whatever the decoder needs of it.
    struct OpenFile {
        FileIdentity identity;
        std::shared_ptr<void> handle;
    };

    virtual ~PictureDecoder() = default;
    // Throws the RuntimeError that stands for a file that cannot be opened (File not found,
    // Permission denied, Path/File access error).
    virtual OpenFile open(TextView path) = 0;
    // Starts decoding `file` for the control at `size`. The backend answers later, from its
    // event loop, with PreparedPictures::finished(job, ...). May throw RuntimeError.
    virtual void start(Job job, OpenFile file, PictureSize size, std::string_view form) = 0;
    // The job's answer is no longer wanted: a queued job need never run.
    virtual void forget(Job job) = 0;
};

class PreparedPictures {
  public:
    explicit PreparedPictures(PictureDecoder& decoder) : decoder_(decoder) {}

    // Starts decoding `path` at `size` for the control, unless its prepared picture is of
    // that same unchanged file at that size, finished or not. A picture that failed with
    // anything but Invalid picture (a file missing or locked a moment ago) is tried again.
    // Never throws: a failure is kept for picture().
    void prepare(std::string_view form, std::string_view control, TextView path, PictureSize size);
    // The control's prepared picture fails with `failure` without decoding anything.
    void refuse(std::string_view form, std::string_view control, RuntimeError failure);
    // True when the control's prepared picture has finished decoding, well or not; false
    // when nothing was prepared for it.
    bool ready(std::string_view form, std::string_view control) const;
    // The finished picture; throws the failure its decoding met, or Invalid procedure call
    // or argument when nothing finished was prepared for the control.
    const DecodedPixels& picture(std::string_view form, std::string_view control) const;

    // The decoder's answer for `job`, from the event loop: the control whose prepared picture
    // it finished (raise PictureReady on it), or nullopt for a job superseded since.
    struct Control {
        std::string form;
        std::string control;
    };
    std::optional<Control> finished(PictureDecoder::Job job, std::optional<RuntimeError> failure,
                                    DecodedPixels pixels);

  private:
    struct Prepared {
        Text path;
        PictureSize size;
        std::optional<FileIdentity> identity;  // none when the file could not be opened
        PictureDecoder::Job job = 0;           // 0 once finished
        std::optional<RuntimeError> failure;
        DecodedPixels pixels;
    };
    using Key = std::pair<std::string, std::string>;

    void fail(Prepared& prepared, RuntimeError failure);

    PictureDecoder& decoder_;
    std::map<Key, Prepared, std::less<>> byControl_;
    PictureDecoder::Job lastJob_ = 0;
};

}  // namespace pelandra
