// Live streams: the chart's frames sent as they are made to a network
// address, a pipe or a file, through FFmpeg's protocols and muxers. The
// live play-out (show/Live) opens one stream for the fill and, for key and
// fill, one for the key, and hands both the same frame numbers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "CDib.h"
#include "MovieFfmpeg.h"

// Where a live stream goes, as given on the command line.
enum class LiveTargetKind { Udp, Srt, Rtmp, File, StandardOutput };

struct LiveTarget {
    LiveTargetKind kind = LiveTargetKind::File;
    std::string given;  // as typed
    std::string url;    // what FFmpeg opens ("pipe:1" for "-")
    std::string muxer;  // "mpegts", "flv", "nut", or the file's own
};

// Reads a --live or --live-key argument: udp:// and srt:// carry MPEG-TS,
// rtmp:// FLV, "-" NUT on standard output; anything else is a file path
// whose extension picks the muxer (MPEG-TS when FFmpeg knows none). Refuses
// (false, with the reason) other protocols and protocols this FFmpeg was
// built without (srt:// needs libsrt).
bool ParseLiveTarget(const std::string& text, LiveTarget& target, std::string& error);
// Whether this FFmpeg can write to the protocol ("udp", "srt", "rtmp").
bool LiveProtocolAvailable(const char* protocol);

struct LiveStreamSpec {
    LiveTarget target;
    int width = 720;
    int height = 486;
    ExactRate rate{30000, 1001};
    FieldOrder fieldOrder = FieldOrder::Progressive;
    double pictureAspect = 0.75;  // picture height / width
    std::string codec;            // four-character code; empty: "avc1" (H.264)
    int quality = 60;             // 0..100
};

// The encoder's settings for a live stream of this kind: what the codec is
// and why it cannot be used in the container (empty when it can).
std::string LiveCodecProblem(const LiveStreamSpec& spec);

class FfmpegMovieSink;

// One open live stream. Frames are numbered from 0 in the stream's rate:
// frame n is stamped n x scale / rate seconds, whatever the moment it is
// handed over. A stream never makes its caller wait unless asked to: when
// the encoder has not taken the frames before, Room() is false and the
// caller drops the frame.
class LiveStream {
public:
    LiveStream();
    ~LiveStream();
    LiveStream(const LiveStream&) = delete;
    LiveStream& operator=(const LiveStream&) = delete;

    // Opens the destination and writes the container's header; false with
    // the reason in Error(). A file is written beside its name and put in
    // place when the stream is closed.
    bool Open(const LiveStreamSpec& spec);
    bool Room();
    // Hands over frame `index`: 24 bits, or 32 whose colour is used (the
    // fill of key and fill). Waits for the encoder when it has no room. False when the stream
    // failed (Error() says why).
    bool Send(int64_t index, const CDib& picture);
    // Ends the stream: the encoder's last frames, the container's trailer,
    // the file in place. False when that failed.
    bool Close();
    bool IsOpen() const { return sink_ != nullptr; }
    const std::string& Error() const { return error_; }
    const LiveStreamSpec& Spec() const { return spec_; }

private:
    LiveStreamSpec spec_;
    std::unique_ptr<FfmpegMovieSink> sink_;
    std::string writtenPath_;  // a file's temporary name; empty otherwise
    std::string error_;
};

// The key of a 32-bit picture as a 24-bit one: each pixel's alpha in all
// three channels (white where the chart is opaque).
void MakeKeyPicture(const CDib& picture, CDib& key);
