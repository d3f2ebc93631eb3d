// The writer dispatch: the movie file's extension chooses the writer.
#include <cmath>
#include <cstring>

#include "MakeMovieAVI.h"
#include "MakeMovieQT.h"
#include "MovieCodecs.h"
#include "Settings.h"

int MovieWriterKindFor(const char* path) {
    if (std::strstr(path, ".mov")) {
        return kWriterQuickTime;
    }
    if (std::strstr(path, ".dps")) {
        return kWriterDps;
    }
    if (std::strstr(path, ".rtv")) {
        return kWriterRtv;
    }
    return kWriterAvi;
}

std::string ResolveMovieCodec(const std::string& requested, MovieContainer container) {
    return ChooseMovieCodec(requested, container).code;
}

MovieWriter::MovieWriter() = default;

MovieWriter::~MovieWriter() {
    Close();
}

namespace {

std::string RequestedCodec(const MovieWriterOptions& options) {
    return options.codec.empty() ? ReadSettingString("CodecType", "") : options.codec;
}

// DPS takes NTSC (720 x 486) frames, or PAL (720 x 576) at 25 frames per
// second. The rate is judged as the DPS writer judges it when it picks 625
// lines (thousandths of frames per second), so that the frames always fit.
bool DpsSizeFits(const CDib& image, double framesPerSecond) {
    int lines = std::trunc(framesPerSecond * 1000.0) == 25000.0 ? 576 : 486;
    return image.Width() == 720 && image.Height() == lines;
}

}  // namespace

bool MovieWriter::Prepare(double framesPerSecond, int quality, bool isQuickTime) {
    if (!isQuickTime) {
        return true;
    }
    return PrepareQuickTime(framesPerSecond, RequestedCodec(options), lastError_);
}

bool MovieWriter::Open(const FileSpec& file, const CDib& image, double framesPerSecond, int quality,
                       int32_t frameCount) {
    Close();
    lastError_.clear();
    SinkParameters p;
    p.path = file.name;
    p.width = image.Width();
    p.height = image.Height();
    p.framesPerSecond = framesPerSecond;
    p.quality = quality;
    p.frameCount = frameCount;
    p.fieldOrder = options.fieldOrder;
    p.pictureAspect = options.pictureAspect;
    p.tags = options.tags;
    int kind = MovieWriterKindFor(file.name);
    if (kind == kWriterQuickTime || kind == kWriterAvi) {
        MovieContainer container = kind == kWriterAvi ? MovieContainer::Avi : MovieContainer::QuickTime;
        p.codec = ResolveMovieCodec(RequestedCodec(options), container);
        sink_ = kind == kWriterAvi ? OpenAviSink(p, lastError_) : OpenQuickTimeSink(p, lastError_);
    } else if (kind == kWriterDps) {
        if (!DpsSizeFits(image, framesPerSecond)) {
            lastError_ = "DPS movies are 720 x 486, or 720 x 576 at 25 frames per second";
            return false;
        }
        sink_ = OpenDpsSink(p, image.BitsPerPixel(), lastError_);
    } else {
        sink_ = OpenRtvSink(p, image.BitsPerPixel(), lastError_);
    }
    if (!sink_) {
        return false;
    }
    kind_ = kind;
    nextIndex_ = 0;
    framesWritten_ = 0;
    codecUsed_ = p.codec;
    if (!p.codec.empty() && options.storeCodec) {
        WriteSettingString("CodecType", p.codec.c_str());
    }
    return true;
}

bool MovieWriter::WriteFrame(int32_t index, const CDib& image) {
    if (!sink_) {
        lastError_ = "no movie is open";
        return false;
    }
    int32_t at = index < 0 ? nextIndex_ : index;
    nextIndex_ = at + 1;
    if (!sink_->WriteFrame(at, image)) {
        lastError_ = sink_->Error();
        return false;
    }
    ++framesWritten_;
    return true;
}

bool MovieWriter::Close() {
    if (!sink_) {
        return true;
    }
    bool ok = sink_->Close();
    if (!ok) {
        lastError_ = sink_->Error();
    }
    if (sink_->FramesStored() >= 0) {
        framesWritten_ = sink_->FramesStored();
    }
    sink_.reset();
    kind_ = kWriterNone;
    return ok;
}
