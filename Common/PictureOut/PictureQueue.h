// Picture files of a sequence written by worker threads while the next
// frames render. The queue is bounded: at most `pictures` frames exist at a
// time, so memory stays flat however long the sequence is.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CDib.h"

class PictureQueue {
public:
    using Writer = std::function<bool(const CDib&, const std::string&)>;

    // `workers` threads writing with `write`; `pictures` frames in all (the
    // one rendering and those waiting or being written), at least workers + 1.
    PictureQueue(Writer write, int workers, int pictures, int bitsPerPixel);
    ~PictureQueue();
    PictureQueue(const PictureQueue&) = delete;
    PictureQueue& operator=(const PictureQueue&) = delete;

    // A picture to render into; waits while all are queued or being written.
    // Null once a write has failed.
    CDib* Free();
    // Hands the picture from Free() to the writers, to be saved as `name`.
    void Submit(CDib* picture, std::string name);
    // Waits until everything submitted is written. The name of the first
    // file (in submission order) that could not be written, or empty.
    std::string Finish();
    // The errno the failed write left (0 when it left none).
    int FailedError() const { return failedError_; }

private:
    struct Job {
        CDib* picture = nullptr;
        std::string name;
        uint64_t order = 0;
    };
    void Work();

    Writer write_;
    std::vector<std::unique_ptr<CDib>> all_;
    std::vector<CDib*> free_;
    std::vector<Job> waiting_;  // oldest first
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t submitted_ = 0;
    int busy_ = 0;
    bool stopping_ = false;
    uint64_t failedOrder_ = UINT64_MAX;
    std::string failedName_;
    int failedError_ = 0;
    std::vector<std::thread> threads_;
};
