// The data watcher's thread: inotify on the file's folder (so a file
// renamed into place is seen as well as one written in place), whole-file
// reads with a check that nothing changed meanwhile, and the mailbox the
// frame loop takes updates from.
#include "DataWatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "CrossPlatform.h"

namespace {

// Written and closed, or moved into place: the moments a file is whole.
constexpr uint32_t kWholeFileEvents = IN_CLOSE_WRITE | IN_MOVED_TO;
constexpr size_t kEventBufferBytes = 16 * (sizeof(inotify_event) + 256);

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

bool SameState(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ino == b.st_ino;
}

bool ReadAll(int fd, long limit, std::string& text, std::string& error) {
    text.assign(static_cast<size_t>(limit) + 1, '\0');
    size_t got = 0;
    while (got < text.size()) {
        ssize_t count = read(fd, text.data() + got, text.size() - got);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            error = FileErrorText(errno);
            return false;
        }
        if (count == 0) {
            break;
        }
        got += static_cast<size_t>(count);
    }
    text.resize(got);
    return true;
}

void Wake(int fd) {
    uint64_t one = 1;
    ssize_t written = write(fd, &one, sizeof(one));
    (void)written;
}

}  // namespace

bool ReadLiveDataFile(const std::string& path, LiveDataKind kind, LiveDataUpdate& update, std::string& error) {
    const long limit = kind == LiveDataKind::Table ? kLiveTableFileLimit : kLiveStreamFileLimit;
    FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat before {};
    if (file.Get() < 0 || fstat(file.Get(), &before) != 0) {
        error = FileErrorText(errno);
        return false;
    }
    if (!S_ISREG(before.st_mode)) {
        error = "it is not a regular file";
        return false;
    }
    if (before.st_size > limit) {
        error = "it is larger than " + std::to_string(limit) + " bytes";
        return false;
    }
    std::string text;
    if (!ReadAll(file.Get(), limit, text, error)) {
        return false;
    }
    struct stat after {};
    if (fstat(file.Get(), &after) != 0 || !SameState(before, after) ||
        static_cast<off_t>(text.size()) != after.st_size) {
        error = "it changed while it was read (still being written?)";
        return false;
    }
    update.source = path;
    return ParseLiveData(kind, text, update, error);
}

void LiveDataMailbox::Put(LiveDataUpdate update) {
    std::lock_guard<std::mutex> hold(lock_);
    pending_ = std::move(update);
}

bool LiveDataMailbox::TryTake(LiveDataUpdate& update) {
    std::unique_lock<std::mutex> hold(lock_, std::try_to_lock);
    if (!hold.owns_lock() || !pending_) {
        return false;
    }
    update = std::move(*pending_);
    pending_.reset();
    return true;
}

DataWatcher::~DataWatcher() {
    Stop();
}

bool DataWatcher::Start(const std::string& path, LiveDataKind kind, LiveDataGate* gate, Deliver deliver, Report report,
                        std::string& error) {
    Stop();
    size_t slash = path.find_last_of('/');
    folder_ = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    name_ = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name_.empty()) {
        error = "\"" + path + "\" names a folder, not a file";
        return false;
    }
    path_ = path;
    kind_ = kind;
    gate_ = gate;
    deliver_ = std::move(deliver);
    report_ = std::move(report);
    notify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    stop_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (notify_ < 0 || stop_ < 0 || inotify_add_watch(notify_, folder_.c_str(), kWholeFileEvents) < 0) {
        error = "cannot watch the folder \"" + folder_ + "\": " + FileErrorText(errno);
        Stop();
        return false;
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void DataWatcher::Stop() {
    if (thread_.joinable()) {
        Wake(stop_);
        thread_.join();
    }
    for (int* fd : {&notify_, &stop_}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
}

void DataWatcher::Run() {
    for (;;) {
        pollfd waits[2] = {{notify_, POLLIN, 0}, {stop_, POLLIN, 0}};
        int ready = poll(waits, 2, -1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0 || (waits[1].revents & POLLIN)) {
            return;
        }
        if (waits[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            report_("data file \"" + path_ + "\": its folder can no longer be watched");
            return;
        }
        if (!HandleEvents()) {
            return;
        }
    }
}

bool DataWatcher::HandleEvents() {
    alignas(inotify_event) char buffer[kEventBufferBytes];
    bool ours = false;
    bool gone = false;
    for (;;) {
        ssize_t count = read(notify_, buffer, sizeof(buffer));
        if (count <= 0) {
            break;
        }
        for (ssize_t at = 0; at < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            // Events lost to an overflow may have been ours: read anyway.
            ours |= (event->mask & IN_Q_OVERFLOW) != 0 ||
                    (event->len > 0 && name_ == event->name && (event->mask & kWholeFileEvents));
            gone |= (event->mask & IN_IGNORED) != 0;  // the folder was removed
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    // Several writes read as one: the file as it is now is what counts.
    if (ours) {
        ReadAndDeliver();
    }
    if (gone) {
        report_("data file \"" + path_ + "\": its folder is gone; it is no longer watched");
    }
    return !gone;
}

void DataWatcher::ReadAndDeliver() {
    ++seen_;
    LiveDataUpdate update;
    std::string error;
    if (!ReadLiveDataFile(path_, kind_, update, error) || (gate_ && !gate_->Admit(update, error))) {
        report_("data file \"" + path_ + "\" refused: " + error + "; the chart keeps its data");
        return;
    }
    deliver_(std::move(update));
}
