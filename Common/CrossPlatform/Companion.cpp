// dlopen and dlsym for the companion libraries (the movie writers' and the
// JPEG reader's), with one rule for the folders they are found in.
#include "Companion.h"

#include <dlfcn.h>

#include <cstring>
#include <string>
#include <vector>

#include "CrossPlatform.h"

namespace {

std::string& FolderOverride() {
    static std::string folder;
    return folder;
}

bool gOverridden = false;

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
    if (std::strchr(fileName, '/')) {
        return LibraryOwner(dlopen(fileName, RTLD_NOW | RTLD_LOCAL));  // a path: that file only
    }
    std::vector<std::string> folders = gOverridden ? std::vector<std::string>{FolderOverride()} : CompanionFolders();
    for (const std::string& folder : folders) {
        std::string path = folder + "/" + fileName;
        if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
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
