// The watched data file's hand-over between the watcher and the show.
#include "WatchedData.h"

WatchedDataFile::~WatchedDataFile() {
    Stop();
}

bool WatchedDataFile::Start(const std::string& path, LiveDataUpdate& first, std::string& error) {
    Stop();
    gate_ = std::make_unique<LiveDataGate>();
    if (!ReadLiveDataFile(path, LiveDataKind::Table, first, error) || !gate_->Admit(first, error)) {
        return false;
    }
    path_ = path;
    {
        std::lock_guard<std::mutex> hold(lock_);
        messages_.clear();
        answers_ = 0;
    }
    return watcher_.Start(
        path, LiveDataKind::Table, gate_.get(),
        [this](LiveDataUpdate&& update) {
            mailbox_.Put(std::move(update));
            Answered();
        },
        [this](const std::string& message) {
            {
                std::lock_guard<std::mutex> hold(lock_);
                messages_.push_back(message);
            }
            Answered();
        },
        error);
}

void WatchedDataFile::Stop() {
    watcher_.Stop();
    LiveDataUpdate dropped;
    mailbox_.TryTake(dropped);
}

void WatchedDataFile::Answered() {
    std::lock_guard<std::mutex> hold(lock_);
    ++answers_;
    answered_.notify_all();
}

bool WatchedDataFile::Take(LiveDataUpdate& update, std::vector<std::string>& messages) {
    {
        std::unique_lock<std::mutex> hold(lock_, std::try_to_lock);
        if (hold.owns_lock()) {
            messages.insert(messages.end(), messages_.begin(), messages_.end());
            messages_.clear();
        }
    }
    return mailbox_.TryTake(update);
}

bool WatchedDataFile::WaitForAnswers(int count, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> hold(lock_);
    return answered_.wait_for(hold, limit, [&] { return answers_ >= count; });
}
