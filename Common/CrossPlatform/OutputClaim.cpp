// Temporaries of their own for every writer, and claims on outputs.
//
// A claim is an exclusive flock() on the claimed temporary: it belongs to
// the open file, so it stays while the writer (or a library it hands the
// name to) opens and closes the file again, and the system drops it when
// the process ends however it ends. The check for other writers and the
// creation of the claim happen under a lock on the folder, so of two
// writers starting together exactly one goes ahead; where the folder
// cannot be locked (some network file systems), each writer creates its
// claim before it looks for others, and two that start together may both
// be refused, never both go ahead.
#include "OutputClaim.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "CrossPlatform.h"

namespace {

// The purposes whose temporaries are claims, and so are looked for: a
// render and a join of one output exclude each other.
constexpr const char* kClaimPurposes[] = {"making", "joining"};
constexpr int kMaxNameTries = 1000;

// A descriptor closed at the end of the scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

struct PathParts {
    std::string folder;  // with its "/", or "" for the current folder
    std::string name;
};

PathParts SplitPath(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {std::string(), path};
    }
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// Whether `entry` is a claim's temporary of the file named `name`.
bool IsClaimOf(std::string_view entry, const std::string& name) {
    if (entry.size() <= name.size() + 1 || entry.substr(0, name.size()) != name || entry[name.size()] != '.') {
        return false;
    }
    std::string_view rest = entry.substr(name.size() + 1);
    for (const char* purpose : kClaimPurposes) {
        std::string_view prefix = purpose;
        if (rest.size() > prefix.size() && rest.substr(0, prefix.size()) == prefix && rest[prefix.size()] == '~') {
            return true;
        }
    }
    return false;
}

enum class Holder { None, Live, Stale };

// Whether a live process holds the temporary at `path`.
Holder HolderOf(const std::string& path) {
    Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat facts {};
    if (fd.Get() < 0 || fstat(fd.Get(), &facts) != 0 || !S_ISREG(facts.st_mode)) {
        return Holder::None;
    }
    if (flock(fd.Get(), LOCK_SH | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? Holder::Live : Holder::None;
    }
    return Holder::Stale;
}

// The temporaries of `name` in the folder other than `own`: the first that
// a live writer holds goes into `live`; stale ones are removed when
// `removeStale` (only safe while the folder is locked).
void FindOtherWriters(const PathParts& target, const std::string& own, bool removeStale, std::string& live) {
    DIR* folder = opendir(target.folder.empty() ? "." : target.folder.c_str());
    if (!folder) {
        return;
    }
    std::vector<std::string> stale;
    while (dirent* entry = readdir(folder)) {
        std::string path = target.folder + entry->d_name;
        if (path == own || !IsClaimOf(entry->d_name, target.name)) {
            continue;
        }
        Holder holder = HolderOf(path);
        if (holder == Holder::Live && live.empty()) {
            live = path;
        } else if (holder == Holder::Stale) {
            stale.push_back(path);
        }
    }
    closedir(folder);
    for (const std::string& path : removeStale ? stale : std::vector<std::string>()) {
        unlink(path.c_str());
    }
}

// Locks the folder for the check-and-create step; -1 where it cannot be.
int LockFolder(const PathParts& target) {
    int fd = open(target.folder.empty() ? "." : target.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && flock(fd, LOCK_EX) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

int CreateTemporaryBeside(const std::string& target, const char* purpose, std::string& name) {
    const std::string stem = target + "." + purpose + "~" + std::to_string(getpid());
    for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
        name = attempt == 0 ? stem : stem + "-" + std::to_string(attempt);
        int fd = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

OutputClaim::~OutputClaim() {
    Release();
}

bool OutputClaim::Claim(const std::string& path, const char* purpose, std::string& error) {
    Release();
    if (!SaveTarget(path.c_str(), target_)) {
        const int reason = errno;
        error = "cannot write " + path + ": " + FileErrorText(reason);
        return false;
    }
    const PathParts parts = SplitPath(target_);
    Descriptor folder(LockFolder(parts));
    int fd = CreateTemporaryBeside(target_, purpose, temporary_);
    if (fd < 0) {
        const int reason = errno;
        error = "cannot write " + path + ": " + std::strerror(reason);
        temporary_.clear();
        return false;
    }
    flock(fd, LOCK_EX | LOCK_NB);  // a new file: nobody else can hold it yet
    descriptor_ = fd;
    std::string live;
    FindOtherWriters(parts, temporary_, folder.Get() >= 0, live);
    if (!live.empty()) {
        Release();
        error = path + " is being written by another run (its temporary file " + live +
                " is open): wait for that run to end, or write to another file";
        return false;
    }
    return true;
}

bool OutputClaim::Commit(std::string& error) {
    if (!Held()) {
        error = "nothing is being written";
        return false;
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int reason = errno;
        error = std::strerror(reason);
        Release();
        return false;
    }
    close(descriptor_);
    descriptor_ = -1;
    temporary_.clear();
    return true;
}

void OutputClaim::Release() {
    if (!Held()) {
        return;
    }
    unlink(temporary_.c_str());
    close(descriptor_);
    descriptor_ = -1;
    temporary_.clear();
}
