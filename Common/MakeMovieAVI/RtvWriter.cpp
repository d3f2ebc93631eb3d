// The Video Toaster RTV writer through libPlinthRTV.so.
#include <cerrno>

#include "Companion.h"
#include "CompanionAbi.h"
#include "MakeMovieAVI.h"

namespace {

constexpr const char* kRtvLibrary = "libPlinthRTV.so";

class RtvSink : public MovieSink {
public:
    ~RtvSink() override { Close(); }
    bool Open(const SinkParameters& p, int bitsPerPixel);
    bool WriteFrame(int32_t index, const CDib& image) override;
    bool Close() override;

private:
    template <typename Function>
    Function Entry(const char* name) {
        auto entry = reinterpret_cast<Function>(CompanionEntry(library_, name));
        if (!entry) {
            error_ = std::string(kRtvLibrary) + " has no " + name;
            library_.reset();
        }
        return entry;
    }

    LibraryOwner library_;
    std::string path_;
};

bool RtvSink::Open(const SinkParameters& p, int bitsPerPixel) {
    library_ = LoadCompanion(kRtvLibrary);
    if (!library_) {
        error_ = std::string(kRtvLibrary) + " is not installed!";
        return false;
    }
    path_ = p.path;
    auto open = Entry<VTOpenFunction>("VTOpen");
    if (!open) {
        return false;
    }
    if (open(path_.c_str(), p.width, p.height, bitsPerPixel) == 0) {
        error_ = "cannot create " + path_;
        library_.reset();
        return false;
    }
    return true;
}

bool RtvSink::WriteFrame(int32_t index, const CDib& image) {
    auto write = library_ ? Entry<VTWriteFunction>("VTWrite") : nullptr;
    if (!write) {
        return false;
    }
    errno = 0;
    if (write(path_.c_str(), index, image.Width(), image.Height(), image.Pixels()) == 0) {
        error_ = WithReason("cannot write the frame", errno);
        return false;
    }
    return true;
}

bool RtvSink::Close() {
    if (!library_) {
        return true;
    }
    auto close = Entry<VTCloseFunction>("VTClose");
    if (!close) {
        return false;
    }
    errno = 0;
    bool ok = close(path_.c_str()) != 0;
    int reason = errno;
    library_.reset();
    if (!ok) {
        error_ = WithReason("cannot finish the RTV file", reason);
    }
    return ok;
}

}  // namespace

std::unique_ptr<MovieSink> OpenRtvSink(const SinkParameters& parameters, int bitsPerPixel, std::string& error) {
    auto sink = std::make_unique<RtvSink>();
    if (!sink->Open(parameters, bitsPerPixel)) {
        error = sink->Error();
        return nullptr;
    }
    return sink;
}
