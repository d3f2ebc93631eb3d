// Loading the JPEG companion library with dlopen and binding its entry
// points with dlsym.
#include "JpegDll.h"

#include <dlfcn.h>

#include <cstring>
#include <string>

#include "CrossPlatform.h"

namespace {

void* LoadByName(const char* name) {
    if (!name || !*name) {
        return nullptr;
    }
    if (!std::strchr(name, '/')) {
        for (const std::string& folder : CompanionFolders()) {
            std::string path = folder + "/" + name;
            if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
                return handle;
            }
        }
    }
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

template <typename Function>
Function Lookup(void* handle, const char* name) {
    return reinterpret_cast<Function>(dlsym(handle, name));
}

}  // namespace

JpegLibrary::~JpegLibrary() {
    Close();
}

bool JpegLibrary::Open(const char* name) {
    Close();
    handle_ = LoadByName(name);
    if (!handle_) {
        return false;
    }
    init = Lookup<IjlInitFunction>(handle_, "ijlInit");
    read = Lookup<IjlReadFunction>(handle_, "ijlRead");
    free = Lookup<IjlFreeFunction>(handle_, "ijlFree");
    return true;
}

void JpegLibrary::Close() {
    init = nullptr;
    read = nullptr;
    free = nullptr;
    if (handle_) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

bool JpegLibraryAvailable(const char* name) {
    JpegLibrary library;
    return library.Open(name);
}

JpegSession::JpegSession(JpegLibrary& library, JpegCoreProperties& properties)
    : library_(library), properties_(properties) {
    if (!library_.HasEntryPoints()) {
        return;
    }
    if (library_.init(&properties_) == 0) {
        started_ = true;
    } else {
        library_.free(&properties_);
    }
}

JpegSession::~JpegSession() {
    if (started_) {
        library_.free(&properties_);
    }
}
