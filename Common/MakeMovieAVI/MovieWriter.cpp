// The writer dispatch: the movie file's extension chooses the writer.
#include <cerrno>
#include <cmath>
#include <cstdio>
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

bool MovieWriter::OpenSink(int kind, SinkParameters& p, const CDib& image) {
    if (kind == kWriterQuickTime || kind == kWriterAvi) {
        MovieContainer container = kind == kWriterAvi ? MovieContainer::Avi : MovieContainer::QuickTime;
        p.codec = ResolveMovieCodec(RequestedCodec(options), container);
        sink_ = kind == kWriterAvi ? OpenAviSink(p, lastError_) : OpenQuickTimeSink(p, lastError_);
    } else if (kind == kWriterDps) {
        if (!DpsSizeFits(image, p.framesPerSecond)) {
            lastError_ = "DPS movies are 720 x 486, or 720 x 576 at 25 frames per second";
            return false;
        }
        sink_ = OpenDpsSink(p, image.BitsPerPixel(), lastError_);
    } else {
        sink_ = OpenRtvSink(p, image.BitsPerPixel(), lastError_);
    }
    return sink_ != nullptr;
}

bool MovieWriter::Open(const FileSpec& file, const CDib& image, double framesPerSecond, int quality,
                       int32_t frameCount) {
    Close();
    lastError_.clear();
    if (!NameFits(file)) {
        lastError_ = "the file name is too long";
        return false;
    }
    if (!SaveTarget(file.name, target_)) {
        const int reason = errno;
        lastError_ = "cannot write " + std::string(file.name) + ": " + FileErrorText(reason);
        return false;
    }
    // A movie that fails part-way must not destroy the file it would replace:
    // it is made beside it and renamed over it once finished.
    temporary_ = target_ + ".making~";
    SinkParameters p;
    p.path = temporary_;
    p.width = image.Width();
    p.height = image.Height();
    p.framesPerSecond = framesPerSecond;
    p.quality = quality;
    p.frameCount = frameCount;
    p.fieldOrder = options.fieldOrder;
    p.pictureAspect = options.pictureAspect;
    int kind = MovieWriterKindFor(file.name);
    if (!OpenSink(kind, p, image)) {
        lastError_ = TargetNamed(lastError_);
        sink_.reset();
        std::remove(temporary_.c_str());
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
        lastError_ = TargetNamed(sink_->Error());
        return false;
    }
    ++framesWritten_;
    return true;
}

std::string MovieWriter::TargetNamed(std::string text) const {
    // The user knows the movie by its own name, not the temporary one.
    for (size_t at = text.find(temporary_); !temporary_.empty() && at != std::string::npos;
         at = text.find(temporary_, at + target_.size())) {
        text.replace(at, temporary_.size(), target_);
    }
    return text;
}

bool MovieWriter::CloseSink() {
    bool ok = sink_->Close();
    if (!ok) {
        lastError_ = TargetNamed(sink_->Error());
    }
    if (sink_->FramesStored() >= 0) {
        framesWritten_ = sink_->FramesStored();
    }
    sink_.reset();
    kind_ = kWriterNone;
    return ok;
}

bool MovieWriter::Close() {
    if (!sink_) {
        return true;
    }
    bool ok = CloseSink();
    if (ok && std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        lastError_ = "cannot put the movie in place of " + target_ + ": " + std::strerror(errno);
        ok = false;
    }
    if (!ok) {
        std::remove(temporary_.c_str());
    }
    return ok;
}

void MovieWriter::Abandon() {
    if (!sink_) {
        return;
    }
    std::string error = lastError_;
    CloseSink();
    lastError_ = error;
    std::remove(temporary_.c_str());
}
