// The pictures decoded for the picture controls ahead of being shown: at most one per
// control, each known by its file's path, identity, size and modification time (as the
// descriptor the show opened and hands to the decoder says) and the size it is decoded at,
// so that a changed file is decoded again. Nothing else is kept.
#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/qt/decoder_process.h"
#include "platform/runtime_error.h"

namespace pelandra::qt {

class PreparedPictures {
  public:
    // Called from the event loop when a picture that was still decoding has finished.
    using Finished = std::function<void(const std::string& form, const std::string& control)>;

    explicit PreparedPictures(Finished finished);

    // Starts decoding `path` (UTF-8) at `target` for the control, unless the control's
    // prepared picture is of that same unchanged file at that size.
    void prepare(const std::string& form, const std::string& control, const std::string& path,
                 QSize target);
    // The control's prepared picture fails with `failure` without decoding anything.
    void refuse(const std::string& form, const std::string& control, RuntimeError failure);
    // True when the control's prepared picture has finished decoding, well or not.
    bool ready(const std::string& form, const std::string& control) const;
    // The finished picture; throws the failure its decoding met, or Invalid procedure
    // call or argument when nothing finished was prepared for the control.
    const QImage& picture(const std::string& form, const std::string& control) const;

    DecoderProcess& decoder() { return decoder_; }

  private:
    struct Prepared {
        std::string form;
        std::string control;
        std::string path;
        QSize target;
        std::optional<FileStamp> stamp;  // none when the file could not be opened
        uint64_t serial = 0;
        bool done = false;
        std::optional<RuntimeError> failure;
        QImage picture;
    };

    void finished(const std::string& key, uint64_t serial, std::optional<RuntimeError> failure,
                  QImage picture);

    Finished finishedCall_;
    DecoderProcess decoder_;
    QObject context_;                            // no call arrives after this object has gone
    std::map<std::string, Prepared> byControl_;  // by "form.control"
    uint64_t serials_ = 0;
};

}  // namespace pelandra::qt
