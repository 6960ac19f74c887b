#include "platform/win32/picture_decoding.h"

#include <memory>

#include "platform/win32/form_window.h"

namespace pelandra::win32 {

PictureDecoder::OpenFile WorkerPictureDecoder::open(TextView path) {
    return {identifyPictureFile(path), std::make_shared<Text>(path)};
}

void WorkerPictureDecoder::start(Job job, OpenFile file, PictureSize size, std::string_view form) {
    const HWND window = window_(form);
    if (!window) throw RuntimeError::invalidArgument();
    worker_.start(job, *std::static_pointer_cast<Text>(file.handle),
                  {size.width, size.height, size.stretch}, window,
                  FormWindow::kPictureDecodedMessage);
}

}  // namespace pelandra::win32
