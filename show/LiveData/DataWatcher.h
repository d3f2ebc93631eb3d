// Watching a data file: a thread of its own waits (inotify) for the file to
// be written and closed, or renamed into place, reads it whole and checks
// it, and hands each good update on; a file that cannot be read, is being
// written or is no table is refused with one message and nothing changes.
// The consumer (the play-out's frame loop, the desktop's timer) takes the
// newest update between frames without ever waiting.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "LiveTable.h"

// The most a watched file may hold: as Load Data and Load Stream Data read.
constexpr long kLiveTableFileLimit = 32768;
constexpr long kLiveStreamFileLimit = 65000;

// Reads the file now, whole: only a regular file, not larger than its
// kind's limit, unchanged while it was read. False with the reason.
bool ReadLiveDataFile(const std::string& path, LiveDataKind kind, LiveDataUpdate& update, std::string& error);

// The newest update not yet taken; an older one not taken is replaced.
class LiveDataMailbox {
public:
    void Put(LiveDataUpdate update);
    // Takes the update when there is one and the mailbox is free at once
    // (never waits for the watcher).
    bool TryTake(LiveDataUpdate& update);

private:
    std::mutex lock_;
    std::optional<LiveDataUpdate> pending_;
};

class DataWatcher {
public:
    // Called on the watcher's thread: a good update, and the message for a
    // refused one ("data file \"x.txt\" refused: ...").
    using Deliver = std::function<void(LiveDataUpdate&& update)>;
    using Report = std::function<void(const std::string& message)>;

    DataWatcher() = default;
    ~DataWatcher();
    DataWatcher(const DataWatcher&) = delete;
    DataWatcher& operator=(const DataWatcher&) = delete;

    // Starts watching `path` (its folder must exist); false with the reason.
    // Updates that pass `gate` (when given) are delivered.
    bool Start(const std::string& path, LiveDataKind kind, LiveDataGate* gate, Deliver deliver, Report report,
               std::string& error);
    void Stop();
    bool Running() const { return thread_.joinable(); }
    // Changes seen, updates delivered and refused so far.
    int Seen() const { return seen_; }

private:
    void Run();
    // False when the folder can no longer be watched.
    bool HandleEvents();
    void ReadAndDeliver();

    std::string path_;
    std::string folder_;
    std::string name_;
    LiveDataKind kind_ = LiveDataKind::Table;
    LiveDataGate* gate_ = nullptr;
    Deliver deliver_;
    Report report_;
    int notify_ = -1;
    int stop_ = -1;
    std::thread thread_;
    std::atomic<int> seen_{0};
};
