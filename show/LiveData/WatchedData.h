// A data file watched for a show that is drawn now and then, such as the
// desktop's preview: the watcher's good updates and the messages of the
// refused ones wait here until the show's own thread takes them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "DataWatcher.h"

class WatchedDataFile {
public:
    WatchedDataFile() = default;
    ~WatchedDataFile();
    WatchedDataFile(const WatchedDataFile&) = delete;
    WatchedDataFile& operator=(const WatchedDataFile&) = delete;

    // Reads the table now into `first` (false with the reason: nothing is
    // watched then) and watches the file from here on; every later table
    // must have the first one's shape.
    bool Start(const std::string& path, LiveDataUpdate& first, std::string& error);
    void Stop();
    bool Watching() const { return watcher_.Running(); }
    const std::string& Path() const { return path_; }
    // The newest good update since the last call (false: none) and the
    // messages of refused ones; never waits for the watcher.
    bool Take(LiveDataUpdate& update, std::vector<std::string>& messages);
    // Waits, at most `limit`, until the watcher has answered `count`
    // changes in all (tests).
    bool WaitForAnswers(int count, std::chrono::milliseconds limit);

private:
    void Answered();

    std::string path_;
    std::unique_ptr<LiveDataGate> gate_;
    LiveDataMailbox mailbox_;
    DataWatcher watcher_;
    std::mutex lock_;
    std::condition_variable answered_;
    std::vector<std::string> messages_;
    int answers_ = 0;
};
