// Picture files: choosing the reader, Load with its fallback folder and
// placeholder, Save and Write (Targa and Windows bitmap).
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "JpegDll.h"
#include "OutputClaim.h"
#include "PictureReaders.h"

namespace {

constexpr size_t kChoiceBytes = 14;

bool NameHas(const char* name, const char* part) {
    return name && std::strstr(name, part) != nullptr;
}

}  // namespace

namespace {

// A kind of picture file as the reasons name it.
const char* FormatName(PictureFormat format) {
    switch (format) {
        case PictureFormat::Bitmap:
            return "Windows bitmap";
        case PictureFormat::Tiff:
            return "TIFF picture";
        case PictureFormat::Photoshop:
            return "Photoshop picture";
        case PictureFormat::Jpeg:
            return "JPEG picture";
        case PictureFormat::Png:
            return "PNG picture";
        default:
            return "Targa picture";
    }
}

// Reader result 1: what the compressed data are, as far as the reader knows.
std::string CompressedReason(PictureFormat format) {
    switch (format) {
        case PictureFormat::Bitmap:
            return "it is a compressed Windows bitmap (run-length, or JPEG or PNG data inside); only uncompressed "
                   "bitmaps can be read";
        case PictureFormat::Photoshop:
            return "it is a Photoshop picture compressed with ZIP; only raw and run-length Photoshop pictures can "
                   "be read";
        case PictureFormat::Jpeg:
            return "the JPEG library could not start decoding it";
        default:
            return std::string("it is a compressed ") + FormatName(format) + "; only uncompressed ones can be read";
    }
}

// Reader result 3: the file is not what its first bytes promised.
std::string UnreadableReason(PictureFormat format) {
    switch (format) {
        case PictureFormat::Targa:  // what no other reader claims is read as a Targa picture
            return "it is not a picture file the program reads (Windows bitmap, Targa, TIFF, Photoshop, JPEG or "
                   "PNG), or it is damaged";
        case PictureFormat::Jpeg:
            if (!JpegLibraryAvailable(kJpegLibraryName)) {
                return std::string("the JPEG library ") + kJpegLibraryName + " is not installed";
            }
            return "it is a damaged JPEG picture, or one the JPEG library cannot decode";
        case PictureFormat::Png:
            return "it is a damaged PNG picture";
        default:
            return std::string("it is a damaged ") + FormatName(format) +
                   ", or one of a kind the program does not read";
    }
}

}  // namespace

std::string PictureReadReason(int result, PictureFormat format) {
    switch (result) {
        case kDibCompressed:
            return CompressedReason(format);
        case kDibTooLarge:
            return "it is more than " + std::to_string(kDibMaxSize) + " pixels wide or high; images must be at most " +
                   std::to_string(kDibMaxSize) + " x " + std::to_string(kDibMaxSize) + " pixels";
        case kDibUnreadable:
            return UnreadableReason(format);
        case kDibNoHeader:
            return "there is no picture to read it into";
        case kDibTooFewColors:
            return "it has fewer than 256 colors; images must have 256 colors or more";
        case kDibOutOfMemory:
            return "there is not enough memory to load it";
        default:
            return "it could not be read";
    }
}

namespace {

// The file's name without its folder ("/", "\" or ":" ends the folder).
const char* BareName(const char* path) {
    const char* bare = path;
    for (const char* c = path; *c; ++c) {
        if (*c == '/' || *c == '\\' || *c == ':') {
            bare = c + 1;
        }
    }
    return bare;
}

bool OpenInFallback(PlatformFile& file, const FileSpec& spec, const FileSpec* fallbackFolder) {
    if (!fallbackFolder || fallbackFolder->name[0] == '\0') {
        return false;
    }
    std::string folder(fallbackFolder->name, strnlen(fallbackFolder->name, sizeof(fallbackFolder->name)));
    std::string name(spec.name, strnlen(spec.name, sizeof(spec.name)));
    if (folder.back() != '/') {
        folder += '/';
    }
    if (folder.size() + std::strlen(BareName(name.c_str())) >= sizeof(spec.name)) {
        return false;
    }
    return OpenFile(file, MakeFileSpec((folder + BareName(name.c_str())).c_str()), kFileRead);
}

bool WriteTarga(const CDib& dib, PlatformFile& file) {
    int bits = dib.BitsPerPixel();
    uint8_t header[18] = {};
    header[2] = 2;
    WriteInteger(header + 12, static_cast<uint32_t>(dib.Width()), 2, false);
    WriteInteger(header + 14, static_cast<uint32_t>(dib.Height()), 2, false);
    header[16] = static_cast<uint8_t>(bits);
    header[17] = static_cast<uint8_t>((bits & 7) + (bits > 23 ? bits - 24 : 0));
    bool written = WriteFile(file, header, sizeof(header)) == sizeof(header);
    long rowBytes = static_cast<long>(bits / 8) * dib.Width();
    for (int row = 0; row < dib.Height() && written; ++row) {
        written = WriteFile(file, dib.Row(row), rowBytes) == rowBytes;
    }
    return written;
}

bool WriteBitmap(const CDib& dib, PlatformFile& file) {
    uint32_t paletteBytes = 4u * static_cast<uint32_t>(dib.PaletteEntries());
    uint32_t pixelBytes = static_cast<uint32_t>(dib.Height()) * static_cast<uint32_t>(dib.Stride());
    uint8_t fileHeader[14] = {'B', 'M'};
    WriteInteger(fileHeader + 2, 54 + paletteBytes + pixelBytes, 4, false);
    WriteInteger(fileHeader + 10, 54 + paletteBytes, 4, false);
    long headerBytes = static_cast<long>(sizeof(BitmapInfoHeader) + paletteBytes);
    return WriteFile(file, fileHeader, sizeof(fileHeader)) == sizeof(fileHeader) &&
           WriteFile(file, dib.Header(), headerBytes) == headerBytes &&
           WriteFile(file, dib.Pixels(), static_cast<long>(pixelBytes)) == static_cast<long>(pixelBytes);
}

}  // namespace

PictureFormat ChoosePictureFormat(const uint8_t* first, const char* name) {
    if (IsPngSignature(first)) {
        return PictureFormat::Png;
    }
    if (std::memcmp(first, "8BPS", 4) == 0 || std::memcmp(first, "SPB8", 4) == 0) {
        return PictureFormat::Photoshop;
    }
    if (std::memcmp(first, "II", 2) == 0 || std::memcmp(first, "MM", 2) == 0) {
        return PictureFormat::Tiff;
    }
    if (std::memcmp(first, "BM", 2) == 0 || std::memcmp(first, "MB", 2) == 0) {
        return PictureFormat::Bitmap;
    }
    if (std::memcmp(first + 6, "JFIF", 4) == 0 || NameHas(name, ".jp") || NameHas(name, ".JP")) {
        return PictureFormat::Jpeg;
    }
    return PictureFormat::Targa;
}

int PrepareForReading(CDib& dib, int width, int height, int bitsPerPixel) {
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) {
        return kDibUnreadable;
    }
    // Create keeps a picture of the same shape as it is; a new one is zeroed.
    bool reused =
        dib.HasHeader() && dib.Width() == width && dib.Height() == height && dib.BitsPerPixel() == bitsPerPixel;
    if (!dib.Create(width, height, bitsPerPixel)) {
        return kDibOutOfMemory;
    }
    if (reused) {
        std::memset(dib.Pixels(), 0, dib.PixelBytes());
    }
    if (PaletteEntry* palette = dib.Palette()) {
        for (int i = 0; i < 256; ++i) {
            uint8_t grey = static_cast<uint8_t>(i);
            palette[i] = PaletteEntry{grey, grey, grey, 0};
        }
    }
    return kDibReadOk;
}

bool ReadStoredRows(CDib& dib, ByteCursor& in, int firstRow, int rowCount, size_t rowBytes) {
    size_t stride = static_cast<size_t>(dib.Stride());
    if (firstRow < 0 || rowCount <= 0 || firstRow + rowCount > dib.Height() || rowBytes > stride) {
        return rowCount == 0;
    }
    if (rowBytes == stride) {  // the rows lie in the file as in the picture
        size_t wanted = static_cast<size_t>(rowCount) * stride;
        return in.ReadUpTo(dib.Row(firstRow), wanted) == wanted;
    }
    constexpr int kRowsAtOnce = 64;
    std::vector<uint8_t> rows(static_cast<size_t>(std::min(rowCount, kRowsAtOnce)) * rowBytes);
    for (int done = 0; done < rowCount;) {
        int now = std::min(rowCount - done, kRowsAtOnce);
        size_t got = in.ReadUpTo(rows.data(), static_cast<size_t>(now) * rowBytes);
        for (size_t row = 0; row * rowBytes < got; ++row) {
            std::memcpy(dib.Row(firstRow + done + static_cast<int>(row)), rows.data() + row * rowBytes,
                        std::min(rowBytes, got - row * rowBytes));
        }
        if (got < static_cast<size_t>(now) * rowBytes) {
            return false;
        }
        done += now;
    }
    return true;
}

PictureFormat ChoosePictureFormat(PlatformFile& file) {
    ByteCursor in(file);
    uint8_t first[kChoiceBytes] = {};
    in.ReadUpTo(first, sizeof(first));
    in.Seek(0);
    char name[sizeof(file.spec.name) + 1] = {};
    std::memcpy(name, file.spec.name, sizeof(file.spec.name));
    return ChoosePictureFormat(first, name);
}

int CDib::Read(PlatformFile& file) {
    PictureFormat format = ChoosePictureFormat(file);
    if (format == PictureFormat::Jpeg) {
        return ReadJpegFile(*this, file);
    }
    if (!HasHeader()) {
        return kDibNoHeader;
    }
    ByteCursor in(file);
    switch (format) {
        case PictureFormat::Photoshop:
            return ReadPhotoshopFile(*this, in);
        case PictureFormat::Tiff:
            return ReadTiffFile(*this, in);
        case PictureFormat::Bitmap:
            return ReadBitmapFile(*this, in);
        case PictureFormat::Png:
            return ReadPngFile(*this, in);
        default:
            return ReadTargaFile(*this, in);
    }
}

namespace {

constexpr const char* kCantRead = "Can't read image file";

// Reads the open picture file; why not, in words.
Result ReadOpened(CDib& dib, PlatformFile& file, const std::string& name) {
    if (!dib.HasHeader()) {
        return FileFailure(kCantRead, name, PictureReadReason(kDibNoHeader, PictureFormat::Targa));
    }
    const int result = dib.Read(file);
    if (result == kDibReadOk) {
        return {};
    }
    return FileFailure(kCantRead, name, PictureReadReason(result, ChoosePictureFormat(file)));
}

}  // namespace

Result CDib::Load(const FileSpec& spec, const FileSpec* fallbackFolder, MissingPicture missing) {
    const std::string name = SpecName(spec);
    const bool hadPicture = HasHeader();
    PlatformFile file;
    Result loaded;
    errno = 0;
    if (!OpenFile(file, spec, kFileRead)) {
        const int reason = errno;
        if (!OpenInFallback(file, spec, fallbackFolder)) {
            loaded = FileFailure(kCantRead, name, reason != 0 ? FileErrorText(reason) : "it could not be opened");
        }
    }
    if (loaded) {
        loaded = ReadOpened(*this, file, name);
    }
    CloseFile(file);
    if (!loaded && missing == MissingPicture::DrawSign && hadPicture) {
        LoadResourceMask(*this, kMissingPictureResource);
    }
    return loaded;
}

Result CDib::Save(const FileSpec& spec, int kind) {
    const std::string name = SpecName(spec);
    constexpr const char* kCantWrite = "Can't write image file";
    if (NameHas(name.c_str(), ".TGA") || NameHas(name.c_str(), ".tga")) {
        kind = kDibTarga;
    }
    if (!HasHeader()) {
        return FileFailure(kCantWrite, name, "there is no picture to write");
    }
    // Written beside the target (the file a link names) and renamed over it
    // once complete, so a failed save leaves an earlier file as it was.
    std::string target;
    errno = 0;
    if (!NameFits(spec) || !SaveTarget(name.c_str(), target)) {
        return FileFailure(kCantWrite, name, FileErrorText(NameFits(spec) ? errno : ENAMETOOLONG));
    }
    // A temporary of this process's own, so that two saves of one picture
    // at once never write into one file.
    std::string temporary;
    PlatformFile file;
    int fd = CreateTemporaryBeside(target, "saving", temporary);
    file.handle = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!file.handle) {
        const int reason = errno;
        if (fd >= 0) {
            close(fd);
            std::remove(temporary.c_str());
        }
        errno = reason;
        return FileFailure(kCantWrite, name, FileErrorText(reason));
    }
    errno = 0;
    bool written = Write(file, kind);
    written = file.handle && std::fflush(file.handle) == 0 && written;
    CloseFile(file);
    if (!written || std::rename(temporary.c_str(), target.c_str()) != 0) {
        const int reason = errno != 0 ? errno : EIO;
        std::remove(temporary.c_str());
        errno = reason;
        return FileFailure(kCantWrite, name, FileErrorText(reason));
    }
    return {};
}

bool CDib::Write(PlatformFile& file, int kind) {
    if (!HasHeader() || !file.handle) {
        return false;
    }
    switch (kind) {
        case kDibTarga:
            return WriteTarga(*this, file);
        case kDibNothing:
            return true;
        default:
            return WriteBitmap(*this, file);
    }
}
