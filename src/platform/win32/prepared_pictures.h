// The show's pictures decoded ahead, at most one for each picture control: the file it was
// given last, decoded by the picture worker at the control's size and kept (also once
// shown) until the control is given another file or that file changes.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime_error.h"
#include "platform/text.h"
#include "platform/win32/form_window.h"
#include "platform/win32/picture_worker.h"

namespace pelandra::win32 {

class PreparedPictures {
  public:
    explicit PreparedPictures(PictureWorker::Decode decode) : worker_(std::move(decode)) {}

    // Starts decoding `path` for the control, unless the same unchanged file (size,
    // last-write time) at the same size is prepared already, finished or not (a file that
    // could not be found or read is tried again). Never throws: a failure is kept for
    // show(). `form` is nullptr when no such window is built.
    void prepare(FormWindow* form, std::string_view formName, std::string_view control,
                 TextView path);
    bool ready(std::string_view form, std::string_view control) const;
    // Gives the control its finished prepared picture; throws the failure its decoding met,
    // leaving the shown picture as it was.
    void show(FormWindow& form, std::string_view control);
    // The worker's message for `job` reached `form`'s window: the control whose prepared
    // picture that job finished, or "" for a job superseded since.
    std::string finished(std::string_view form, WPARAM job);

  private:
    // What tells one version of a file from another without reading it.
    struct FileStamp {
        DWORD missing = 0;  // the error that stood for the file, 0 when it was there
        uint64_t size = 0;
        uint64_t written = 0;
        bool operator==(const FileStamp&) const = default;
    };

    struct Slot {
        std::string form;
        std::string control;
        Text path;
        FileStamp stamp;
        Fit fit;
        WPARAM job = 0;  // 0 when nothing is decoding
        bool done = false;
        std::shared_ptr<const Picture> picture;
        std::optional<RuntimeError> failure;
    };

    static FileStamp stampOf(TextView path);
    static bool worthRetrying(const Slot& slot);
    void fail(Slot& slot, const RuntimeError& error);
    Slot& slotFor(std::string_view form, std::string_view control);
    const Slot* find(std::string_view form, std::string_view control) const;

    PictureWorker worker_;
    std::vector<Slot> slots_;
};

}  // namespace pelandra::win32
