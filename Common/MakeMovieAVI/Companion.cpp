// dlopen and dlsym for the companion libraries.
#include "Companion.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstring>

namespace {

std::string& FolderOverride() {
    static std::string folder;
    return folder;
}

bool gOverridden = false;

std::string ProgramFolder() {
    char path[PATH_MAX] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        return {};
    }
    std::string text(path, static_cast<size_t>(length));
    size_t slash = text.rfind('/');
    return slash == std::string::npos ? std::string() : text.substr(0, slash);
}

}  // namespace

void LibraryClose::operator()(void* handle) const {
    if (handle) {
        dlclose(handle);
    }
}

void SetCompanionFolderOverride(const std::string& folder) {
    FolderOverride() = folder;
    gOverridden = !folder.empty();
}

LibraryOwner LoadCompanion(const char* fileName) {
    std::string folder = gOverridden ? FolderOverride() : ProgramFolder();
    if (!folder.empty()) {
        std::string beside = folder + "/" + fileName;
        if (void* handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            return LibraryOwner(handle);
        }
    }
    if (gOverridden) {
        return LibraryOwner(nullptr);
    }
    return LibraryOwner(dlopen(fileName, RTLD_NOW | RTLD_LOCAL));
}

void* CompanionEntry(const LibraryOwner& library, const char* name) {
    return library ? dlsym(library.get(), name) : nullptr;
}

std::string WithReason(const std::string& what, int errorNumber) {
    return errorNumber ? what + ": " + std::strerror(errorNumber) : what;
}
