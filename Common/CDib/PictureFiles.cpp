// Picture files: choosing the reader, Load with its fallback folder and
// placeholder, Save and Write (Targa and Windows bitmap).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "OutputClaim.h"
#include "PictureReaders.h"

namespace {

constexpr size_t kChoiceBytes = 14;

bool NameHas(const char* name, const char* part) {
    return name && std::strstr(name, part) != nullptr;
}

}  // namespace

void ShowPictureMessage(int result) {
    char text[100] = {};
    switch (result) {
        case kDibCompressed:
            ShowMessage("Can't read compressed images", kNoNumber);
            break;
        case kDibTooLarge:
            std::snprintf(text, sizeof(text), "Images must be smaller than %d pixels", kDibMaxSize);
            ShowMessage(text, kNoNumber);
            break;
        case kDibTooFewColors:
            ShowMessage("Images must have 256 colors or more", kNoNumber);
            break;
        case kDibOutOfMemory:
            ShowMessage("Not enough memory to load image", kNoNumber);
            break;
        default:
            ShowMessage("Can't read image file", result);
            break;
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

int CDib::Read(PlatformFile& file) {
    ByteCursor in(file);
    uint8_t first[kChoiceBytes] = {};
    in.ReadUpTo(first, sizeof(first));
    char name[sizeof(file.spec.name) + 1] = {};
    std::memcpy(name, file.spec.name, sizeof(file.spec.name));
    PictureFormat format = ChoosePictureFormat(first, name);
    if (format == PictureFormat::Jpeg) {
        return ReadJpegFile(*this, file);
    }
    if (!HasHeader()) {
        return kDibNoHeader;
    }
    in.Seek(0);
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

int CDib::Load(const FileSpec& spec, const FileSpec* fallbackFolder, bool reportErrors) {
    if (!HasHeader()) {
        return kDibLoadFailed;
    }
    PlatformFile file;
    if (!OpenFile(file, spec, kFileRead) && !OpenInFallback(file, spec, fallbackFolder)) {
        if (reportErrors) {
            ShowMessage("Can't open graphics file", kNoNumber);
            return kDibLoadFailed;
        }
        LoadResourceMask(*this, kMissingPictureResource);
        return kDibPlaceholder;
    }
    int result = Read(file);
    CloseFile(file);
    if (result == kDibReadOk) {
        return kDibLoaded;
    }
    if (reportErrors) {
        ShowPictureMessage(result);
        return kDibLoadFailed;
    }
    LoadResourceMask(*this, kMissingPictureResource);
    return kDibPlaceholder;
}

bool CDib::Save(const FileSpec& spec, int kind) {
    char name[sizeof(spec.name) + 1] = {};
    std::memcpy(name, spec.name, sizeof(spec.name));
    if (NameHas(name, ".TGA") || NameHas(name, ".tga")) {
        kind = kDibTarga;
    }
    // Written beside the target (the file a link names) and renamed over it
    // once complete, so a failed save leaves an earlier file as it was.
    std::string target;
    PlatformFile file;
    if (!HasHeader()) {
        return false;
    }
    if (!NameFits(spec) || !SaveTarget(name, target)) {
        ShowMessage("Error opening graphics file", kNoNumber);
        return false;
    }
    // A temporary of this process's own, so that two saves of one picture
    // at once never write into one file.
    std::string temporary;
    int fd = CreateTemporaryBeside(target, "saving", temporary);
    file.handle = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!file.handle) {
        if (fd >= 0) {
            close(fd);
            std::remove(temporary.c_str());
        }
        ShowMessage("Error opening graphics file", kNoNumber);
        return false;
    }
    bool written = Write(file, kind);
    written = file.handle && std::fflush(file.handle) == 0 && written;
    CloseFile(file);
    if (!written || std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
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
