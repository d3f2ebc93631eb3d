// Reading back what a live stream sent, with FFmpeg's libraries: the
// packets' timestamps and the decoded frames of a file, of bytes received
// (UDP datagrams gathered by UdpCatcher) or of a pipe.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

struct StreamPacket {
    int64_t pts = 0;
    int64_t dts = 0;
    bool key = false;
};

struct StreamFacts {
    bool opened = false;
    std::string format;
    std::string codec;
    int width = 0;
    int height = 0;
    AVRational timeBase{0, 1};
    AVRational frameRate{0, 1};
    AVFieldOrder fieldOrder = AV_FIELD_UNKNOWN;
    AVColorSpace colorSpace = AVCOL_SPC_UNSPECIFIED;
    std::vector<StreamPacket> packets;
    int decodedFrames = 0;
    int decodeErrors = 0;
    bool endedCleanly = false;  // the demuxer reached the end without an error
};

// Called with each decoded frame (numbered from 0).
using FrameVisitor = std::function<void(int index, const AVFrame& frame)>;

bool ProbeStream(const std::string& url, StreamFacts& facts, const FrameVisitor& visit = nullptr,
                 const char* format = nullptr);
bool ProbeStreamBytes(const std::vector<uint8_t>& bytes, const char* format, StreamFacts& facts,
                      const FrameVisitor& visit = nullptr);

// Each timestamp after the first, minus the first, is `step` times the
// packet's place: true when all are (`bad` names the first that is not).
bool TimestampsStep(const StreamFacts& facts, int64_t step, std::string& bad);

// A UDP port on 127.0.0.1 that gathers every datagram sent to it on a thread
// of its own, with a receive buffer large enough that none is lost.
class UdpCatcher {
public:
    UdpCatcher();
    ~UdpCatcher();
    int Port() const { return port_; }
    // Stops once the datagrams already on their way are in.
    std::vector<uint8_t> Finish();
    size_t Datagrams() const { return datagrams_; }

private:
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<size_t> datagrams_{0};
    std::mutex lock_;
    std::vector<uint8_t> bytes_;
    std::thread thread_;
};
