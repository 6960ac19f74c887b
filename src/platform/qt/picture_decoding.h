// The show's pictures as the decoder process decodes them: each file opened by the show and
// handed over open, each answer told from the event loop as a QImage.
#pragma once

#include <QObject>
#include <functional>
#include <optional>

#include "platform/linux/decoder/decoder_process.h"
#include "platform/prepared_pictures.h"

namespace pelandra::qt {

class QtPictureDecoder : public PictureDecoder {
  public:
    // Called from the event loop with a finished job's outcome (pixels: a const QImage).
    using Answer =
        std::function<void(Job job, std::optional<RuntimeError> failure, DecodedPixels pixels)>;

    explicit QtPictureDecoder(Answer answer) : answer_(std::move(answer)) {}

    OpenFile open(TextView path) override;
    void start(Job job, OpenFile file, PictureSize size, std::string_view form) override;
    // The process decodes one picture at a time and drops a waiting one for the next, so a
    // forgotten job costs at most its answer, which finds no control any more.
    void forget(Job) override {}

    decoder::DecoderProcess& process() { return process_; }

  private:
    Answer answer_;
    decoder::DecoderProcess process_;
    QObject context_;  // no answer arrives after this object has gone
};

}  // namespace pelandra::qt
