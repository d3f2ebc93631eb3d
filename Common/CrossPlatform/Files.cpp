// Binary files for every module, on the C runtime.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "CrossPlatform.h"
#include "OutputClaim.h"

bool CloseOwnedFile(OwnedFile& file) {
    FILE* handle = file.release();
    return handle && std::fclose(handle) == 0;
}

FileSpec MakeFileSpec(const char* path) {
    FileSpec spec{};
    if (path) {
        std::strncpy(spec.name, path, sizeof(spec.name) - 1);
    }
    return spec;
}

bool PathFits(const char* path) {
    return path && std::strlen(path) <= static_cast<size_t>(kMaxPathLength);
}

bool NameFits(const FileSpec& spec) {
    return std::memchr(spec.name, '\0', sizeof(spec.name)) != nullptr;
}

void PathTooLongText(const char* path, char* out, int capacity) {
    if (!out || capacity <= 0) {
        return;
    }
    std::snprintf(out, static_cast<size_t>(capacity), "The path is longer than %d characters: %s", kMaxPathLength,
                  path ? path : "");
}

std::string SpecName(const FileSpec& spec) {
    return std::string(spec.name, strnlen(spec.name, sizeof(spec.name)));
}

const char* FileErrorText(int error) {
    return error == kNotRegularFile ? "not a regular file" : std::strerror(error);
}

FILE* OpenRegularFile(const char* path) {
    if (!path || !*path) {
        errno = ENOENT;
        return nullptr;
    }
    // Opening a FIFO for reading waits for a writer unless it is non-blocking.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat facts {};
    if (fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        int reason = S_ISDIR(facts.st_mode) ? EISDIR : kNotRegularFile;
        close(fd);
        errno = reason;
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* file = fdopen(fd, "rb");
    if (!file) {
        int reason = errno;
        close(fd);
        errno = reason;
    }
    return file;
}

bool IsRegularFile(const char* path) {
    struct stat facts {};
    if (!path || !*path) {
        errno = ENOENT;
        return false;
    }
    if (stat(path, &facts) != 0) {
        return false;
    }
    if (!S_ISREG(facts.st_mode)) {
        errno = S_ISDIR(facts.st_mode) ? EISDIR : kNotRegularFile;
        return false;
    }
    return true;
}

namespace {

// The folder part of a path, with its "/" ("" for a bare name).
std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

bool SaveTarget(const char* path, std::string& target) {
    if (!path || !*path) {
        errno = ENOENT;
        return false;
    }
    target = path;
    for (int links = 0; links < 40; ++links) {
        struct stat facts {};
        if (lstat(target.c_str(), &facts) != 0) {
            return errno == ENOENT;  // a new file
        }
        if (S_ISREG(facts.st_mode)) {
            return true;
        }
        if (!S_ISLNK(facts.st_mode)) {
            errno = S_ISDIR(facts.st_mode) ? EISDIR : kNotRegularFile;
            return false;
        }
        char named[4096];
        ssize_t length = readlink(target.c_str(), named, sizeof(named) - 1);
        if (length <= 0) {
            return false;
        }
        named[length] = '\0';
        target = named[0] == '/' ? std::string(named) : FolderOf(target) + named;
    }
    errno = ELOOP;
    return false;
}

PlatformFile::~PlatformFile() {
    CloseFile(*this);
}

bool OpenFile(PlatformFile& file, const FileSpec& spec, int mode) {
    CloseFile(file);
    if (!NameFits(spec)) {
        errno = ENAMETOOLONG;
        return false;
    }
    if (spec.name[0] == '\0' || (mode != kFileRead && mode != kFileWrite)) {
        return false;
    }
    file.handle = mode == kFileRead ? OpenRegularFile(spec.name) : std::fopen(spec.name, "wb");
    if (!file.handle) {
        return false;
    }
    file.spec = spec;
    return true;
}

long ReadFile(PlatformFile& file, void* buffer, long count) {
    if (!file.handle) {
        return -1;
    }
    if (count <= 0) {
        return 0;
    }
    return static_cast<long>(std::fread(buffer, 1, static_cast<size_t>(count), file.handle));
}

long WriteFile(PlatformFile& file, const void* buffer, long count) {
    if (!file.handle) {
        return -1;
    }
    if (count <= 0) {
        return 0;
    }
    return static_cast<long>(std::fwrite(buffer, 1, static_cast<size_t>(count), file.handle));
}

bool SeekFile(PlatformFile& file, long offset, int from) {
    if (!file.handle) {
        return false;
    }
    int whence = from == kSeekEnd ? SEEK_END : from == kSeekCurrent ? SEEK_CUR : SEEK_SET;
    return std::fseek(file.handle, offset, whence) == 0;
}

long TellFile(PlatformFile& file) {
    if (!file.handle) {
        return -1;
    }
    return std::ftell(file.handle);
}

void CloseFile(PlatformFile& file) {
    if (file.handle) {
        std::fclose(file.handle);
        file.handle = nullptr;
    }
}

bool WriteWholeFile(const char* path, const void* bytes, long count) {
    if (!path || !*path || count < 0 || (count > 0 && !bytes)) {
        errno = EINVAL;
        return false;
    }
    std::string target;
    if (!SaveTarget(path, target)) {
        return false;
    }
    // A temporary of this process's own: two saves of one file at once each
    // write a whole file, and the last to finish stands.
    std::string temporary;
    int fd = CreateTemporaryBeside(target, "saving", temporary);
    FILE* out = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!out) {
        const int reason = errno;
        if (fd >= 0) {
            close(fd);
            std::remove(temporary.c_str());
        }
        errno = reason;
        return false;
    }
    bool written = count == 0 || std::fwrite(bytes, 1, static_cast<size_t>(count), out) == static_cast<size_t>(count);
    written = std::fflush(out) == 0 && written;
    written = fsync(fileno(out)) == 0 && written;
    int savedErrno = errno;
    written = std::fclose(out) == 0 && written;
    if (!written) {
        std::remove(temporary.c_str());
        errno = savedErrno ? savedErrno : EIO;
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        savedErrno = errno;
        std::remove(temporary.c_str());
        errno = savedErrno;
        return false;
    }
    return true;
}
