// Binary files for every module, on the C runtime.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "CrossPlatform.h"

FileSpec MakeFileSpec(const char* path) {
    FileSpec spec{};
    if (path) {
        std::strncpy(spec.name, path, sizeof(spec.name) - 1);
    }
    return spec;
}

PlatformFile::~PlatformFile() {
    CloseFile(*this);
}

bool OpenFile(PlatformFile& file, const FileSpec& spec, int mode) {
    CloseFile(file);
    char name[sizeof(spec.name) + 1] = {};
    std::memcpy(name, spec.name, sizeof(spec.name));
    if (name[0] == '\0' || (mode != kFileRead && mode != kFileWrite)) {
        return false;
    }
    file.handle = std::fopen(name, mode == kFileRead ? "rb" : "wb");
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
    std::string temporary = std::string(path) + ".saving~";
    FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out) {
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
    if (std::rename(temporary.c_str(), path) != 0) {
        savedErrno = errno;
        std::remove(temporary.c_str());
        errno = savedErrno;
        return false;
    }
    return true;
}
