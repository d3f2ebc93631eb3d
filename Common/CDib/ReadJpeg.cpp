// The JPEG reader: decoding is done by the companion library, which reads
// the file by its name and writes BGR rows into the picture.
#include <cstring>

#include "JpegDll.h"
#include "PictureReaders.h"

namespace {

// Asks the library to decode into the picture, already sized for it.
int DecodeInto(CDib& dib, JpegSession& session, JpegCoreProperties& properties) {
    properties.dibWidth = properties.jpgWidth;
    properties.dibHeight = properties.jpgHeight;
    properties.dibBytes = dib.Pixels();
    properties.dibPadBytes = dib.Stride() - 3 * dib.Width();
    properties.dibChannels = 3;
    properties.dibColor = kJpegColorBgr;
    properties.jpgColor = properties.jpgChannels == 1 ? kJpegColorGrey : kJpegColorYcbcr;
    if (session.Read(kJpegReadImage) != kJpegOk) {
        return kDibUnreadable;
    }
    dib.FlipVertical();  // the first picture row went into stored row 0
    return kDibReadOk;
}

}  // namespace

int ReadJpegFileWith(CDib& dib, PlatformFile& file, const char* libraryName) {
    if (!JpegLibraryAvailable(libraryName)) {
        return kDibUnreadable;
    }
    JpegLibrary library;
    if (!library.Open(libraryName)) {
        return kDibUnreadable;
    }
    char path[sizeof(file.spec.name) + 1] = {};
    std::memcpy(path, file.spec.name, sizeof(file.spec.name));
    JpegCoreProperties properties{};
    JpegSession session(library, properties);
    if (!session.Started()) {
        return kDibCompressed;
    }
    properties.jpgFile = path;
    if (session.Read(kJpegReadParams) != kJpegOk || properties.jpgWidth <= 0 || properties.jpgHeight <= 0) {
        return kDibUnreadable;
    }
    if (properties.jpgWidth > kDibMaxSize || properties.jpgHeight > kDibMaxSize) {
        return kDibTooLarge;
    }
    int result = PrepareForReading(dib, properties.jpgWidth, properties.jpgHeight, 24);
    return result == kDibReadOk ? DecodeInto(dib, session, properties) : result;
}

int ReadJpegFile(CDib& dib, PlatformFile& file) {
    return ReadJpegFileWith(dib, file, kJpegLibraryName);
}
