#include "platform/win32/picture_worker.h"

#include <objbase.h>

#include <algorithm>
#include <exception>
#include <new>

namespace pelandra::win32 {

PictureWorker::PictureWorker(Decode decode) : decode_(std::move(decode)) {}

PictureWorker::~PictureWorker() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void PictureWorker::start(WPARAM number, TextView path, Fit fit, HWND window, UINT message) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back({number, Text(path), fit, window, message});
        if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    }
    wake_.notify_one();
}

void PictureWorker::drop(WPARAM job) {
    std::optional<Outcome> freed;  // freed outside the lock
    const std::lock_guard lock(mutex_);
    std::erase_if(queue_, [job](const Job& queued) { return queued.number == job; });
    if (running_ == job) runningDropped_ = true;
    const auto found = finished_.find(job);
    if (found != finished_.end()) {
        freed = std::move(found->second);
        finished_.erase(found);
    }
}

std::optional<PictureWorker::Outcome> PictureWorker::take(WPARAM job) {
    const std::lock_guard lock(mutex_);
    const auto found = finished_.find(job);
    if (found == finished_.end()) return std::nullopt;
    Outcome outcome = std::move(found->second);
    finished_.erase(found);
    return outcome;
}

void PictureWorker::run() {
    // An apartment of the thread's own: nothing here needs a message loop.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    while (true) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) break;
            job = std::move(queue_.front());
            queue_.pop_front();
            running_ = job.number;
            runningDropped_ = false;
        }
        Outcome outcome = decode(job);
        bool wanted = false;
        {
            const std::lock_guard lock(mutex_);
            wanted = !runningDropped_ && !stopping_;
            running_ = 0;
            if (wanted) finished_[job.number] = std::move(outcome);
        }
        // A window already gone never asks for it; the worker frees it with the rest.
        if (wanted) PostMessageW(job.window, job.message, job.number, 0);
    }
    releasePictureFactory();
    if (SUCCEEDED(com)) CoUninitialize();
}

PictureWorker::Outcome PictureWorker::decode(const Job& job) {
    Outcome outcome;
    try {
        outcome.picture = decode_(job.path, job.fit);
        if (!outcome.picture) outcome.failure = RuntimeError::invalidPicture();
    } catch (const RuntimeError& error) {
        outcome.failure = error;
    } catch (const std::bad_alloc&) {
        outcome.failure = RuntimeError::outOfMemory();
    } catch (const std::exception&) {
        outcome.failure = RuntimeError::invalidPicture();
    }
    return outcome;
}

}  // namespace pelandra::win32
