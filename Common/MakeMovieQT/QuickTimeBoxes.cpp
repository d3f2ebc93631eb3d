// Reading and writing the video track's 'clap', 'tapt' and 'vmhd' boxes of a
// finished QuickTime movie. The file's top-level boxes are walked from its
// start; the movie box is read whole (it is small) and walked in memory.
// Every box's size is checked against its parent before it is used.
#include "QuickTimeBoxes.h"

#include <sys/types.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr uint64_t kMaxMovieBoxBytes = 64ull << 20;  // far above any movie box we write
constexpr int kMaxTopLevelBoxes = 100000;
constexpr size_t kBoxHeader = 8;
constexpr size_t kLargeBoxHeader = 16;
constexpr size_t kFullBoxFields = 4;                // version and flags
constexpr size_t kVisualEntryFields = 78;           // sample entry and visual sample entry fields
constexpr size_t kStsdFields = kFullBoxFields + 4;  // version, flags, entry count

struct FileClose {
    void operator()(FILE* file) const { std::fclose(file); }
};
using FileOwner = std::unique_ptr<FILE, FileClose>;

uint32_t Get32(const uint8_t* at) {
    return (uint32_t{at[0]} << 24) | (uint32_t{at[1]} << 16) | (uint32_t{at[2]} << 8) | at[3];
}
void Put32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 24);
    at[1] = static_cast<uint8_t>(value >> 16);
    at[2] = static_cast<uint8_t>(value >> 8);
    at[3] = static_cast<uint8_t>(value);
}
uint64_t Get64(const uint8_t* at) {
    return (uint64_t{Get32(at)} << 32) | Get32(at + 4);
}

// A box inside the movie box buffer: where it starts, its header length and
// its whole size.
struct Box {
    size_t at = 0;
    size_t header = 0;
    size_t size = 0;
    char type[5] = {};
    size_t BodyStart() const { return at + header; }
    size_t End() const { return at + size; }
    bool Is(const char* name) const { return std::memcmp(type, name, 4) == 0; }
};

// The boxes from `start` up to `end` of the buffer, in order; false when one
// does not fit there.
bool ChildBoxes(const std::vector<uint8_t>& data, size_t start, size_t end, std::vector<Box>& out) {
    out.clear();
    if (start > end || end > data.size()) {
        return false;
    }
    for (size_t at = start; at < end;) {
        if (end - at < kBoxHeader) {
            return false;
        }
        Box box;
        box.at = at;
        box.header = kBoxHeader;
        uint64_t size = Get32(&data[at]);
        std::memcpy(box.type, &data[at + 4], 4);
        if (size == 1) {
            if (end - at < kLargeBoxHeader) {
                return false;
            }
            size = Get64(&data[at + 8]);
            box.header = kLargeBoxHeader;
        } else if (size == 0) {
            size = end - at;  // to the end of its parent
        }
        if (size < box.header || size > end - at) {
            return false;
        }
        box.size = static_cast<size_t>(size);
        out.push_back(box);
        at += box.size;
    }
    return true;
}

const Box* FindBox(const std::vector<Box>& boxes, const char* type) {
    for (const Box& box : boxes) {
        if (box.Is(type)) {
            return &box;
        }
    }
    return nullptr;
}

// Descends through `path` (four-character names) from the children of
// `parent`; the chain of boxes passed, the last the one found.
bool Descend(const std::vector<uint8_t>& data, const Box& parent, std::initializer_list<const char*> path,
             std::vector<Box>& chain) {
    Box current = parent;
    std::vector<Box> children;
    for (const char* type : path) {
        const Box* found = nullptr;
        if (!ChildBoxes(data, current.BodyStart(), current.End(), children) || !(found = FindBox(children, type))) {
            return false;
        }
        current = *found;
        chain.push_back(current);
    }
    return true;
}

// The top-level movie box of the file: its offset, size and whether it is
// the last box.
struct MovieBoxPlace {
    uint64_t at = 0;
    uint64_t size = 0;
    bool last = false;
};

bool FindMovieBox(FILE* file, MovieBoxPlace& place, std::string& error) {
    if (fseeko(file, 0, SEEK_END) != 0) {
        error = "cannot measure the file";
        return false;
    }
    const uint64_t fileSize = static_cast<uint64_t>(ftello(file));
    bool found = false;
    uint64_t at = 0;
    for (int count = 0; at < fileSize && count < kMaxTopLevelBoxes; ++count) {
        uint8_t header[kLargeBoxHeader] = {};
        if (fileSize - at < kBoxHeader || fseeko(file, static_cast<off_t>(at), SEEK_SET) != 0 ||
            std::fread(header, 1, kBoxHeader, file) != kBoxHeader) {
            error = "a box runs past the end of the file";
            return false;
        }
        uint64_t size = Get32(header);
        if (size == 1 && std::fread(header + kBoxHeader, 1, 8, file) == 8) {
            size = Get64(header + kBoxHeader);
        } else if (size == 0) {
            size = fileSize - at;
        }
        if (size < kBoxHeader || size > fileSize - at) {
            error = "a box runs past the end of the file";
            return false;
        }
        if (std::memcmp(header + 4, "moov", 4) == 0) {
            place = MovieBoxPlace{at, size, at + size == fileSize};
            found = true;
        }
        at += size;
    }
    if (!found) {
        error = "the file has no movie box";
    }
    return found;
}

// The movie box, read whole.
bool ReadMovieBox(FILE* file, const MovieBoxPlace& place, std::vector<uint8_t>& data, std::string& error) {
    if (place.size > kMaxMovieBoxBytes) {
        error = "the movie box is too large";
        return false;
    }
    data.resize(static_cast<size_t>(place.size));
    if (fseeko(file, static_cast<off_t>(place.at), SEEK_SET) != 0 ||
        std::fread(data.data(), 1, data.size(), file) != data.size()) {
        error = "cannot read the movie box";
        return false;
    }
    return true;
}

enum class TrackSearch { Found, None, Damaged };

// The boxes of the first video track on the way to its first sample entry.
struct VideoTrack {
    std::vector<Box> toEntry;  // moov, trak, mdia, minf, stbl, stsd, the entry
    Box trak;
    Box vmhd;
    Box entry;
};

bool IsVideoTrack(const std::vector<uint8_t>& data, const Box& trak) {
    std::vector<Box> chain;
    if (!Descend(data, trak, {"mdia", "hdlr"}, chain)) {
        return false;
    }
    const Box& hdlr = chain.back();
    // Version and flags, the component type, then the handler type.
    return hdlr.size >= hdlr.header + 12 && std::memcmp(&data[hdlr.BodyStart() + 8], "vide", 4) == 0;
}

TrackSearch FindVideoTrack(const std::vector<uint8_t>& data, VideoTrack& track, std::string& error) {
    std::vector<Box> top;
    std::vector<Box> tracks;
    if (!ChildBoxes(data, 0, data.size(), top) || top.size() != 1 || !top[0].Is("moov") ||
        !ChildBoxes(data, top[0].BodyStart(), top[0].End(), tracks)) {
        error = "the movie box is damaged";
        return TrackSearch::Damaged;
    }
    for (const Box& trak : tracks) {
        if (!trak.Is("trak") || !IsVideoTrack(data, trak)) {
            continue;
        }
        std::vector<Box> chain{top[0], trak};
        std::vector<Box> minf;
        const Box* vmhd = nullptr;
        std::vector<Box> entries;
        if (Descend(data, trak, {"mdia", "minf"}, chain) &&
            ChildBoxes(data, chain.back().BodyStart(), chain.back().End(), minf) && (vmhd = FindBox(minf, "vmhd")) &&
            vmhd->size >= vmhd->header + 12 && Descend(data, chain.back(), {"stbl", "stsd"}, chain) &&
            chain.back().size >= chain.back().header + kStsdFields &&
            ChildBoxes(data, chain.back().BodyStart() + kStsdFields, chain.back().End(), entries) && !entries.empty() &&
            entries[0].size >= entries[0].header + kVisualEntryFields) {
            chain.push_back(entries[0]);
            track = VideoTrack{chain, trak, *vmhd, entries[0]};
            return TrackSearch::Found;
        }
        error = "the video track is damaged";
        return TrackSearch::Damaged;
    }
    error = "the movie has no video track";
    return TrackSearch::None;
}

// Where the sample entry's own boxes end: QuickTime lets a list of them end
// with a 32-bit 0 (the muxer writes one after DNxHR's).
size_t EntryBoxesEnd(const std::vector<uint8_t>& data, const Box& entry) {
    const size_t start = entry.BodyStart() + kVisualEntryFields;
    const size_t end = entry.End();
    return end - start >= 4 && Get32(&data[end - 4]) == 0 ? end - 4 : end;
}

// The sample entry's own boxes ('fiel', 'colr', 'pasp', 'clap' ...).
bool EntryBoxes(const std::vector<uint8_t>& data, const Box& entry, std::vector<Box>& out) {
    const size_t start = entry.BodyStart() + kVisualEntryFields;
    return ChildBoxes(data, start, entry.End(), out) || ChildBoxes(data, start, EntryBoxesEnd(data, entry), out);
}

int RatioValue(const uint8_t* at) {
    const auto num = static_cast<int32_t>(Get32(at));
    const auto den = static_cast<int32_t>(Get32(at + 4));
    return den > 0 ? static_cast<int>(std::lround(static_cast<double>(num) / den)) : 0;
}

std::vector<uint8_t> ClapBody(const QuickTimeVideoBoxes& boxes) {
    const uint32_t values[8] = {
        static_cast<uint32_t>(boxes.cleanWidth), 1, static_cast<uint32_t>(boxes.cleanHeight), 1, 0, 1, 0, 1};
    std::vector<uint8_t> body(sizeof(values));
    for (int i = 0; i < 8; ++i) {
        Put32(&body[4 * static_cast<size_t>(i)], values[i]);
    }
    return body;
}

std::vector<uint8_t> FielBody(const QuickTimeVideoBoxes& boxes) {
    return {static_cast<uint8_t>(boxes.fielFields), static_cast<uint8_t>(boxes.fielDetail)};
}

// Adds `grow` bytes to the size of every box on the way to the entry.
bool GrowChain(std::vector<uint8_t>& data, const std::vector<Box>& chain, size_t grow) {
    for (const Box& box : chain) {
        if (box.header != kBoxHeader || box.size + grow > UINT32_MAX) {
            return false;
        }
    }
    for (const Box& box : chain) {
        Put32(&data[box.at], static_cast<uint32_t>(box.size + grow));
    }
    return true;
}

// Sets the body of the box `type` in the video track's first sample entry,
// adding the box (before the pixel aspect, as ISO/IEC 14496-12 orders the
// clean aperture) when there is none.
bool SetEntryBox(std::vector<uint8_t>& data, const char* type, const std::vector<uint8_t>& body, std::string& error) {
    VideoTrack track;
    std::vector<Box> own;
    if (FindVideoTrack(data, track, error) != TrackSearch::Found || !EntryBoxes(data, track.entry, own)) {
        error = "the video sample description is damaged";
        return false;
    }
    if (const Box* found = FindBox(own, type)) {
        if (found->size != found->header + body.size()) {
            error = std::string("the '") + type + "' box is damaged";
            return false;
        }
        std::copy(body.begin(), body.end(), data.begin() + static_cast<std::ptrdiff_t>(found->BodyStart()));
        return true;
    }
    const Box* pasp = FindBox(own, "pasp");
    const size_t at = pasp ? pasp->at : EntryBoxesEnd(data, track.entry);
    const size_t bytes = kBoxHeader + body.size();
    if (!GrowChain(data, track.toEntry, bytes)) {
        error = "the movie box cannot grow";
        return false;
    }
    std::vector<uint8_t> box(kBoxHeader);
    Put32(box.data(), static_cast<uint32_t>(bytes));
    std::memcpy(&box[4], type, 4);
    box.insert(box.end(), body.begin(), body.end());
    data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), box.begin(), box.end());
    return true;
}

// The track's clean aperture dimensions ('tapt' 'clef', 16.16 fixed point):
// the clean aperture shown at the pixel aspect.
void SetCleanDimensions(std::vector<uint8_t>& data, const Box& trak, const QuickTimeVideoBoxes& boxes,
                        double pixelAspect) {
    std::vector<Box> chain;
    if (!Descend(data, trak, {"tapt", "clef"}, chain)) {
        return;  // the track has no aperture modes: nothing to match
    }
    const Box& clef = chain.back();
    if (clef.size < clef.header + kFullBoxFields + 8) {
        return;
    }
    const double width = boxes.cleanWidth * pixelAspect;
    Put32(&data[clef.BodyStart() + kFullBoxFields], static_cast<uint32_t>(std::lround(width * 65536.0)));
    Put32(&data[clef.BodyStart() + kFullBoxFields + 4], static_cast<uint32_t>(boxes.cleanHeight) << 16);
}

double PixelAspectOf(const std::vector<uint8_t>& data, const Box& entry) {
    std::vector<Box> own;
    const Box* pasp = EntryBoxes(data, entry, own) ? FindBox(own, "pasp") : nullptr;
    if (!pasp || pasp->size < pasp->header + 8) {
        return 1.0;
    }
    const uint32_t h = Get32(&data[pasp->BodyStart()]);
    const uint32_t v = Get32(&data[pasp->BodyStart() + 4]);
    return h > 0 && v > 0 ? static_cast<double>(h) / v : 1.0;
}

bool OpenMovie(const std::string& path, const char* mode, FileOwner& file, MovieBoxPlace& place,
               std::vector<uint8_t>& data, std::string& error) {
    file.reset(std::fopen(path.c_str(), mode));
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    return FindMovieBox(file.get(), place, error) && ReadMovieBox(file.get(), place, data, error);
}

}  // namespace

bool ReadQuickTimeVideoBoxes(const std::string& path, QuickTimeVideoBoxes& boxes, std::string& error) {
    FileOwner file;
    MovieBoxPlace place;
    std::vector<uint8_t> data;
    VideoTrack track;
    if (!OpenMovie(path, "rb", file, place, data, error) || FindVideoTrack(data, track, error) != TrackSearch::Found) {
        return false;
    }
    boxes = QuickTimeVideoBoxes{};
    boxes.graphicsMode =
        static_cast<uint16_t>(data[track.vmhd.BodyStart() + 4] << 8 | data[track.vmhd.BodyStart() + 5]);
    std::vector<Box> own;
    const Box* clap = EntryBoxes(data, track.entry, own) ? FindBox(own, "clap") : nullptr;
    if (clap && clap->size >= clap->header + 32) {
        boxes.cleanWidth = RatioValue(&data[clap->BodyStart()]);
        boxes.cleanHeight = RatioValue(&data[clap->BodyStart() + 8]);
    }
    const Box* fiel = FindBox(own, "fiel");
    if (fiel && fiel->size >= fiel->header + 2) {
        boxes.fielFields = data[fiel->BodyStart()];
        boxes.fielDetail = data[fiel->BodyStart() + 1];
    }
    return true;
}

bool WriteQuickTimeVideoBoxes(const std::string& path, const QuickTimeVideoBoxes& boxes, std::string& error) {
    FileOwner file;
    MovieBoxPlace place;
    std::vector<uint8_t> data;
    VideoTrack track;
    if (!OpenMovie(path, "r+b", file, place, data, error)) {
        return false;
    }
    const TrackSearch search = FindVideoTrack(data, track, error);
    if (search != TrackSearch::Found) {
        return search == TrackSearch::None;  // a movie without frames has no video track to describe
    }
    if (!place.last) {
        error = "the movie box is not the file's last box";
        return false;
    }
    // In place first: the boxes found above keep their offsets until the
    // clean aperture is inserted.
    data[track.vmhd.BodyStart() + 4] = static_cast<uint8_t>(boxes.graphicsMode >> 8);
    data[track.vmhd.BodyStart() + 5] = static_cast<uint8_t>(boxes.graphicsMode);
    if (boxes.cleanWidth > 0 && boxes.cleanHeight > 0) {
        SetCleanDimensions(data, track.trak, boxes, PixelAspectOf(data, track.entry));
        if (!SetEntryBox(data, "clap", ClapBody(boxes), error)) {
            return false;
        }
    }
    if (boxes.fielFields > 0 && !SetEntryBox(data, "fiel", FielBody(boxes), error)) {
        return false;
    }
    if (fseeko(file.get(), static_cast<off_t>(place.at), SEEK_SET) != 0 ||
        std::fwrite(data.data(), 1, data.size(), file.get()) != data.size() || std::fflush(file.get()) != 0) {
        error = "cannot write the movie box";
        return false;
    }
    FILE* closing = file.release();
    if (std::fclose(closing) != 0) {
        error = "cannot write the movie box";
        return false;
    }
    return true;
}
