// JpegDll: the binding to the JPEG companion library. The library is found
// by name when a JPEG is read, as every companion library is (Companion.h) and its entry points are looked up by name.
// Used by the JPEG reader.
#pragma once

#include "Companion.h"
#include "PlinthJpeg.h"

constexpr const char* kJpegLibraryName = "libPlinthJpeg.so";

// An open companion library; closed when it goes out of scope. An entry
// point the library lacks stays null.
class JpegLibrary {
public:
    JpegLibrary() = default;
    ~JpegLibrary();
    JpegLibrary(const JpegLibrary&) = delete;
    JpegLibrary& operator=(const JpegLibrary&) = delete;

    // Opens the library `name` as every companion library is found
    // (LoadCompanion). False when it cannot be found or loaded.
    bool Open(const char* name);
    void Close();
    bool IsOpen() const { return library_ != nullptr; }
    // True when all three entry points were found.
    bool HasEntryPoints() const { return init && read && free; }

    IjlInitFunction init = nullptr;
    IjlReadFunction read = nullptr;
    IjlFreeFunction free = nullptr;

private:
    LibraryOwner library_;
};

// Whether the library loads: loads it and frees it again.
bool JpegLibraryAvailable(const char* name = kJpegLibraryName);

// One use of the library on one core-properties record: ijlInit at the start,
// ijlFree at the end (when the init succeeded).
class JpegSession {
public:
    JpegSession(JpegLibrary& library, JpegCoreProperties& properties);
    ~JpegSession();
    JpegSession(const JpegSession&) = delete;
    JpegSession& operator=(const JpegSession&) = delete;

    bool Started() const { return started_; }
    int Read(int mode) { return library_.read(&properties_, mode); }

private:
    JpegLibrary& library_;
    JpegCoreProperties& properties_;
    bool started_ = false;
};
