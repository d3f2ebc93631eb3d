#include "PictureQueue.h"

#include <algorithm>
#include <cerrno>
#include <utility>

PictureQueue::PictureQueue(Writer write, int workers, int pictures, int bitsPerPixel) : write_(std::move(write)) {
    workers = std::max(1, workers);
    pictures = std::max(pictures, workers + 1);
    for (int i = 0; i < pictures; ++i) {
        all_.push_back(std::make_unique<CDib>(16, 16, bitsPerPixel));
        free_.push_back(all_.back().get());
    }
    for (int i = 0; i < workers; ++i) {
        threads_.emplace_back([this] { Work(); });
    }
}

PictureQueue::~PictureQueue() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

CDib* PictureQueue::Free() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty() || failedOrder_ != UINT64_MAX; });
    if (failedOrder_ != UINT64_MAX) {
        return nullptr;
    }
    CDib* picture = free_.back();
    free_.pop_back();
    return picture;
}

void PictureQueue::Submit(CDib* picture, std::string name) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back(Job{picture, std::move(name), submitted_++});
    }
    changed_.notify_all();
}

std::string PictureQueue::Finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.empty() && busy_ == 0; });
    return failedName_;
}

void PictureQueue::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (waiting_.empty()) {
            return;
        }
        Job job = std::move(waiting_.front());
        waiting_.erase(waiting_.begin());
        // After a failure the later pictures are dropped unwritten.
        bool skip = job.order > failedOrder_;
        ++busy_;
        lock.unlock();
        errno = 0;
        bool written = skip || write_(*job.picture, job.name);
        const int reason = errno;  // this thread's, left by the writer
        lock.lock();
        --busy_;
        if (!written && job.order < failedOrder_) {
            failedOrder_ = job.order;
            failedName_ = job.name;
            failedError_ = reason;
        }
        free_.push_back(job.picture);
        changed_.notify_all();
    }
}
