// The show's pictures as the picture worker decodes them: each answer posted to the window
// of the form that asked, where the window's thread takes it.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string_view>

#include "platform/prepared_pictures.h"
#include "platform/win32/picture_worker.h"

namespace pelandra::win32 {

// A finished job's number travels in a posted message's WPARAM, which is 32 bits wide in the
// 32-bit build: a wider job number would arrive cut and its picture would never be taken.
static_assert(sizeof(PictureDecoder::Job) <= sizeof(WPARAM),
              "a picture job must fit in a window message's WPARAM");

class WorkerPictureDecoder : public PictureDecoder {
  public:
    // `window` gives the window of a form by name, nullptr when none is built.
    WorkerPictureDecoder(PictureWorker::Decode decode,
                         std::function<HWND(std::string_view form)> window)
        : worker_(std::move(decode)), window_(std::move(window)) {}

    OpenFile open(TextView path) override;
    void start(Job job, OpenFile file, PictureSize size, std::string_view form) override;
    void forget(Job job) override { worker_.drop(job); }
    // The finished job's outcome, once; nullopt for a job forgotten.
    std::optional<PictureWorker::Outcome> take(Job job) { return worker_.take(job); }

  private:
    PictureWorker worker_;
    std::function<HWND(std::string_view form)> window_;
};

}  // namespace pelandra::win32
