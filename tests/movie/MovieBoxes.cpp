#include "MovieBoxes.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "TestSupport.h"

namespace {

uint32_t Big32(const std::vector<uint8_t>& d, size_t at) {
    return at + 4 <= d.size()
               ? (uint32_t{d[at]} << 24) | (uint32_t{d[at + 1]} << 16) | (uint32_t{d[at + 2]} << 8) | d[at + 3]
               : 0;
}
uint16_t Big16(const std::vector<uint8_t>& d, size_t at) {
    return at + 2 <= d.size() ? static_cast<uint16_t>(d[at] << 8 | d[at + 1]) : 0;
}
uint32_t Little32(const std::vector<uint8_t>& d, size_t at) {
    uint32_t value = 0;
    if (at + 4 <= d.size()) {
        std::memcpy(&value, &d[at], 4);
    }
    return value;
}
double Fraction(const std::vector<uint8_t>& d, size_t at) {
    const auto num = static_cast<int32_t>(Big32(d, at));
    const auto den = static_cast<int32_t>(Big32(d, at + 4));
    return den != 0 ? static_cast<double>(num) / den : 0.0;
}

struct Span {
    size_t start = 0;  // the body
    size_t end = 0;
};

// Calls `visit(type, body)` for each box from `start` to `end`; stops at a
// box that does not fit.
template <typename Visit>
void EachBox(const std::vector<uint8_t>& d, size_t start, size_t end, Visit visit) {
    end = std::min(end, d.size());
    for (size_t at = start; at + 8 <= end;) {
        uint64_t size = Big32(d, at);
        size_t header = 8;
        if (size == 1) {
            size = (uint64_t{Big32(d, at + 8)} << 32) | Big32(d, at + 12);
            header = 16;
        } else if (size == 0) {
            size = end - at;
        }
        if (size < header || size > end - at) {
            return;
        }
        visit(std::string(reinterpret_cast<const char*>(&d[at + 4]), 4), Span{at + header, at + size});
        at += size;
    }
}

void ReadVideoEntry(const std::vector<uint8_t>& d, const std::string& type, Span entry, QuickTimeBoxFacts& f) {
    f.sampleType = type;
    // 78 bytes of sample entry and visual fields, then the extensions.
    EachBox(d, entry.start + 78, entry.end, [&](const std::string& box, Span b) {
        if (box == "fiel") {
            f.fielFields = d[b.start];
            f.fielDetail = d[b.start + 1];
        } else if (box == "colr") {
            f.colrType = std::string(reinterpret_cast<const char*>(&d[b.start]), 4);
            f.colrPrimaries = Big16(d, b.start + 4);
            f.colrTransfer = Big16(d, b.start + 6);
            f.colrMatrix = Big16(d, b.start + 8);
        } else if (box == "pasp") {
            f.paspH = static_cast<int>(Big32(d, b.start));
            f.paspV = static_cast<int>(Big32(d, b.start + 4));
        } else if (box == "clap") {
            f.clapWidth = Fraction(d, b.start);
            f.clapHeight = Fraction(d, b.start + 8);
            f.clapHorizOff = Fraction(d, b.start + 16);
            f.clapVertOff = Fraction(d, b.start + 24);
        }
    });
}

void ReadTimecodeEntry(const std::vector<uint8_t>& d, Span entry, QuickTimeBoxFacts& f) {
    // Reserved (4), reserved (2), data reference (2), reserved (4), flags,
    // time scale, frame duration, frames per second.
    f.timecodeTrack = true;
    f.timecodeFlags = Big32(d, entry.start + 12);
    f.timecodeTimeScale = Big32(d, entry.start + 16);
    f.timecodeFrameDuration = Big32(d, entry.start + 20);
    f.timecodeFrames = entry.start + 24 < d.size() ? d[entry.start + 24] : 0;
}

void ReadTrack(const std::vector<uint8_t>& d, Span trak, QuickTimeBoxFacts& f) {
    QuickTimeBoxFacts track;
    std::string handler;
    uint32_t timeScale = 0;
    std::vector<std::pair<std::string, Span>> entries;
    // The boxes that hold others on the way to the sample descriptions.
    std::function<void(Span)> walk = [&](Span parent) {
        EachBox(d, parent.start, parent.end, [&](const std::string& box, Span b) {
            if (box == "mdia" || box == "minf" || box == "stbl") {
                walk(b);
            } else if (box == "tapt") {
                EachBox(d, b.start, b.end, [&](const std::string& mode, Span m) {
                    if (mode == "clef") {
                        track.cleanDisplayWidth = Big32(d, m.start + 4) / 65536.0;
                        track.cleanDisplayHeight = Big32(d, m.start + 8) / 65536.0;
                    }
                });
            } else if (box == "hdlr" && handler.empty()) {
                // The media's handler; the data handler in 'minf' follows it.
                handler = std::string(reinterpret_cast<const char*>(&d[b.start + 8]), 4);
            } else if (box == "mdhd") {
                timeScale = Big32(d, b.start + 12);
            } else if (box == "vmhd") {
                track.graphicsMode = Big16(d, b.start + 4);
            } else if (box == "stsd") {
                EachBox(d, b.start + 8, b.end, [&](const std::string& type, Span e) { entries.emplace_back(type, e); });
            }
        });
    };
    walk(trak);
    for (const auto& [type, entry] : entries) {
        if (type == "tmcd") {
            ReadTimecodeEntry(d, entry, f);
        } else if (handler == "vide" && !f.readable) {
            ReadVideoEntry(d, type, entry, f);
            f.readable = true;
            f.mediaTimeScale = timeScale;
            f.graphicsMode = track.graphicsMode;
            f.cleanDisplayWidth = track.cleanDisplayWidth;
            f.cleanDisplayHeight = track.cleanDisplayHeight;
        }
    }
}

}  // namespace

QuickTimeBoxFacts ReadQuickTimeBoxes(const std::string& path) {
    QuickTimeBoxFacts facts;
    const std::vector<uint8_t> d = ReadBytes(path);
    EachBox(d, 0, d.size(), [&](const std::string& box, Span moov) {
        if (box == "moov") {
            EachBox(d, moov.start, moov.end, [&](const std::string& child, Span b) {
                if (child == "trak") {
                    ReadTrack(d, b, facts);
                } else if (child == "mvhd") {
                    // Version 0: version and flags, created, modified, then time scale and duration.
                    facts.movieTimeScale = Big32(d, b.start + 12);
                    facts.movieDuration = Big32(d, b.start + 16);
                }
            });
        }
    });
    return facts;
}

AviBoxFacts ReadAviBoxes(const std::string& path) {
    AviBoxFacts facts;
    const std::vector<uint8_t> d = ReadBytes(path);
    const size_t head = std::min<size_t>(d.size(), 65536);
    for (size_t i = 0; i + 48 <= head; ++i) {
        if (std::memcmp(&d[i], "strh", 4) == 0 && std::memcmp(&d[i + 8], "vids", 4) == 0 && !facts.readable) {
            // fccType, fccHandler, flags, priority and language, initial
            // frames, then scale and rate.
            facts.scale = Little32(d, i + 8 + 20);
            facts.rate = Little32(d, i + 8 + 24);
            facts.readable = true;
        } else if (std::memcmp(&d[i], "vprp", 4) == 0 && i + 8 + 36 + 32 <= d.size()) {
            facts.videoProperties = true;
            facts.frameAspect = Little32(d, i + 8 + 20);
            facts.fieldsPerFrame = Little32(d, i + 8 + 32);
            facts.firstFieldStartLine = Little32(d, i + 8 + 36 + 28);
        }
    }
    return facts;
}
