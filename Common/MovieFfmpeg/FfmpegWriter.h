// The encoder and muxer shared by the AVI and QuickTime writers: converts
// bottom-up CDib frames for the chosen encoder, encodes them with the
// encoder's own threads and writes the packets through the container's muxer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "BroadcastFormats.h"
#include "FfmpegOwners.h"
#include "MovieCodecs.h"
#include "MovieFfmpeg.h"

extern "C" {
#include <libavutil/md5.h>
}

struct FfmpegMovieSpec {
    const char* muxer = "avi";  // "avi" or "mov"
    SinkParameters parameters;
    const MovieCodec* codec = nullptr;
    AVRational timeBase{1, 1};  // the stream's time base
    int64_t frameDuration = 1;  // one frame in that time base
    std::vector<std::pair<std::string, std::string>> muxerOptions;
    // Options of the encoder (its own, such as x264's "preset", or the
    // generic ones, such as "g" or "maxrate"); applied after the quality.
    std::vector<std::pair<std::string, std::string>> encoderOptions;
    std::string timecode;  // of the first frame; empty: none
};

// Frames are copied into a short queue and converted, encoded and written
// on a thread of the sink's own, so that the next frame can be rendered
// meanwhile. A failure is reported by the next WriteFrame or by Close.
class FfmpegMovieSink : public MovieSink {
public:
    ~FfmpegMovieSink() override;
    bool Open(const FfmpegMovieSpec& spec);
    bool WriteFrame(int32_t index, const CDib& image) override;
    bool Close() override;
    int32_t FramesStored() const override { return stored_; }
    // Whether WriteFrame would take a frame without waiting for the encoder
    // (a live stream drops a frame rather than wait).
    bool Room();

private:
    struct QueuedFrame {
        int32_t index = 0;
        int bitsPerPixel = 24;
        int stride = 0;
        std::vector<uint8_t> pixels;
    };

    bool OpenEncoder(const FfmpegMovieSpec& spec, AVStream& stream);
    void DescribeStoredStream(const FfmpegMovieSpec& spec, AVStream& stream);
    void Work();
    bool Process(const QueuedFrame& frame);
    void StopWorker();
    bool ConvertFrame(const QueuedFrame& frame);
    bool WriteStoredFrame(const QueuedFrame& frame);
    bool SendFrame(AVFrame* frame);
    bool WritePacket();
    bool Fail(const std::string& what, int code);
    void SetTags(const SinkParameters& p);
    bool RecordFrameDigest();

    std::thread worker_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<QueuedFrame> queue_;
    std::vector<std::vector<uint8_t>> spare_;
    bool stopping_ = false;
    std::atomic<bool> failedAsync_{false};
    std::atomic<int32_t> stored_{0};

    OutputFormatOwner format_;
    CodecContextOwner encoder_;
    FrameOwner frame_;
    PacketOwner packet_;
    ScaleOwner scale_;
    AVStream* stream_ = nullptr;
    AVRational encoderTimeBase_{1, 1};
    FieldOrder fieldOrder_ = FieldOrder::Progressive;
    MovieColour colour_;
    PixelShape shape_;
    int scaleFromFormat_ = AV_PIX_FMT_NONE;
    bool keepInGamut_ = false;
    bool headerWritten_ = false;
    std::atomic<bool> failed_{false};
    // The digest of the coded frames, when a tag carries it: the tag's
    // value before it, and where the trailer (QuickTime's index) began.
    bool recordDigest_ = false;
    std::string digestTagValue_;
    int64_t trailerStart_ = 0;
    std::string muxer_;
    std::string path_;
};

// The digest of a movie file's coded video frames as the demuxer gives them
// back (the MD5 of every packet's bytes in order, as 32 hex digits: what
// SinkParameters::frameDigestTag records); empty when the file cannot be
// read to its end.
std::string CodedFramesDigest(const std::string& path);

// What an AVI file's header holds beyond what the demuxer gives: the main
// header's largest data rate, the video stream header's scale and rate as
// stored, the size of its format (40: a bitmap header without codec data),
// and the fields per frame of the video properties (1 when none).
struct AviHeaderFacts {
    uint32_t maxBytesPerSecond = 0;
    uint32_t scale = 0;
    uint32_t rate = 0;
    uint32_t formatBytes = 0;
    uint32_t fieldsPerFrame = 1;
};
bool ReadAviHeaderFacts(const std::string& path, AviHeaderFacts& facts);
// Stores scale and rate as given in place of the muxer's reduced pair, when
// both describe the same rate.
bool RestoreAviRate(const std::string& path, uint32_t scale, uint32_t rate);
