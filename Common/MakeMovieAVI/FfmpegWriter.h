// The encoder and muxer shared by the AVI and QuickTime writers: converts
// bottom-up CDib frames for the chosen encoder, encodes them with the
// encoder's own threads and writes the packets through the container's muxer.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "FfmpegOwners.h"
#include "MakeMovieAVI.h"
#include "MovieCodecs.h"

struct FfmpegMovieSpec {
    const char* muxer = "avi";  // "avi" or "mov"
    SinkParameters parameters;
    const MovieCodec* codec = nullptr;
    AVRational timeBase{1, 1};  // the stream's time base
    int64_t frameDuration = 1;  // one frame in that time base
    std::vector<std::pair<std::string, std::string>> muxerOptions;
};

class FfmpegMovieSink : public MovieSink {
public:
    ~FfmpegMovieSink() override;
    bool Open(const FfmpegMovieSpec& spec);
    bool WriteFrame(int32_t index, const CDib& image) override;
    bool Close() override;

private:
    bool OpenEncoder(const FfmpegMovieSpec& spec, AVStream& stream);
    void DescribeStoredStream(const FfmpegMovieSpec& spec, AVStream& stream);
    bool ConvertFrame(const CDib& image);
    bool WriteStoredFrame(int32_t index, const CDib& image);
    bool SendFrame(AVFrame* frame);
    bool Fail(const std::string& what, int code);

    OutputFormatOwner format_;
    CodecContextOwner encoder_;
    FrameOwner frame_;
    PacketOwner packet_;
    ScaleOwner scale_;
    AVStream* stream_ = nullptr;
    AVRational encoderTimeBase_{1, 1};
    FieldOrder fieldOrder_ = FieldOrder::Progressive;
    int scaleFromFormat_ = AV_PIX_FMT_NONE;
    bool headerWritten_ = false;
    bool failed_ = false;
};
