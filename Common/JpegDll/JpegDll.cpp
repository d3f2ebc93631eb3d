// Loading the JPEG companion library and binding its entry points.
#include "JpegDll.h"

namespace {

template <typename Function>
Function Lookup(const LibraryOwner& library, const char* name) {
    return reinterpret_cast<Function>(CompanionEntry(library, name));
}

}  // namespace

JpegLibrary::~JpegLibrary() {
    Close();
}

bool JpegLibrary::Open(const char* name) {
    Close();
    if (!name || !*name) {
        return false;
    }
    library_ = LoadCompanion(name);
    if (!library_) {
        return false;
    }
    init = Lookup<IjlInitFunction>(library_, "ijlInit");
    read = Lookup<IjlReadFunction>(library_, "ijlRead");
    free = Lookup<IjlFreeFunction>(library_, "ijlFree");
    return true;
}

void JpegLibrary::Close() {
    init = nullptr;
    read = nullptr;
    free = nullptr;
    library_.reset();
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
