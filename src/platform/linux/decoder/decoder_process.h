// The show's side of its picture decoder process: started at the first picture, started
// again after it dies, killed when a picture takes too long. Driven by the event loop; it
// never waits for the decoder.
#pragma once

#include <sys/types.h>

#include <QImage>
#include <QObject>
#include <QSize>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/decoder/picture_file.h"
#include "platform/runtime_error.h"

namespace pelandra::decoder {

class DecoderProcess : public QObject {
  public:
    // The picture, or the failure decoding met (File not found, Permission denied,
    // Path/File access error, or Invalid picture for a crash, a memory bomb or a picture
    // that took too long).
    using Done = std::function<void(std::optional<RuntimeError> failure, QImage picture)>;

    static constexpr std::chrono::milliseconds kDefaultTimeLimit{10'000};

    DecoderProcess();
    ~DecoderProcess() override;  // the decoder process goes with it
    DecoderProcess(const DecoderProcess&) = delete;
    DecoderProcess& operator=(const DecoderProcess&) = delete;

    // Decodes the open `file` (named `path`, UTF-8) to `target`, then calls `done` from the
    // event loop. One picture decodes at a time: a request made meanwhile waits for it,
    // taking the place of one waiting already, whose `done` is never called.
    void decode(PictureFile file, std::string path, QSize target, Done done);

    // How long one picture may take before the decoder is killed.
    void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }
    // The decoder process, 0 while none runs.
    pid_t pid() const { return pid_; }

  private:
    struct Job {
        PictureFile file;
        std::string path;
        QSize target;
        Done done;
        uint64_t serial = 0;
    };

    bool start(size_t capacity);
    // Says once on standard error why no decoder runs (`what` failed with `error`).
    bool cannotStart(const char* what, int error);
    void readExecFailure();
    void stop();
    void sendCurrent();
    bool sendCurrent(const Job& job);
    void onAnswer();
    void finish(std::optional<RuntimeError> failure, QImage picture);
    void finishSoon(RuntimeError failure);
    void fail();
    void relayNews();
    void reapDying();

    const std::string program_;  // the decoder program's path
    std::chrono::milliseconds timeLimit_ = kDefaultTimeLimit;
    pid_t pid_ = 0;
    int socket_ = -1;
    int news_ = -1;  // the decoder's standard output and error, read without waiting
    int pixelsFd_ = -1;
    void* pixels_ = nullptr;
    size_t capacity_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer deadline_;
    QTimer reaper_;
    std::vector<pid_t> dying_;  // killed, not yet collected
    std::optional<Job> current_;
    std::optional<Job> waiting_;
    uint64_t serials_ = 0;
    bool toldWhy_ = false;
};

}  // namespace pelandra::decoder
