// The thread that decodes the show's pictures, one job at a time, in a COM apartment of its
// own, so that the thread that handles input never waits for a codec. A finished job is
// announced by a message posted to the window that asked for it; its picture waits here
// until that window's thread takes it, and a job nobody wants any more is freed.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/runtime_error.h"
#include "platform/text.h"
#include "platform/win32/picture_decoder.h"

namespace pelandra::win32 {

class PictureWorker {
  public:
    // Runs on the worker's thread; throws RuntimeError as decodePictureFile does.
    using Decode = std::function<std::unique_ptr<Picture>(TextView path, Fit fit)>;

    struct Outcome {
        std::unique_ptr<Picture> picture;  // or
        std::optional<RuntimeError> failure;
    };

    explicit PictureWorker(Decode decode);
    PictureWorker(const PictureWorker&) = delete;
    PictureWorker& operator=(const PictureWorker&) = delete;
    // Waits for the job in hand; queued jobs never run.
    ~PictureWorker();

    // Queues decoding `path` at `fit` as job `number` (unique, never 0). Once it is done,
    // `message` is posted to `window` with that number as WPARAM. The thread starts with the
    // first job and lives until the worker is destroyed.
    void start(WPARAM number, TextView path, Fit fit, HWND window, UINT message);
    // Forgets the job: a queued one never runs, a running one is freed when it ends, a
    // finished one at once.
    void drop(WPARAM job);
    // The finished job's outcome, handed over once; nullopt while it is queued or running
    // and for jobs dropped or unknown.
    std::optional<Outcome> take(WPARAM job);

  private:
    struct Job {
        WPARAM number = 0;
        Text path;
        Fit fit;
        HWND window = nullptr;
        UINT message = 0;
    };

    void run();
    Outcome decode(const Job& job);

    Decode decode_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    WPARAM running_ = 0;
    bool runningDropped_ = false;
    std::map<WPARAM, Outcome> finished_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace pelandra::win32
