// Demuxing and decoding streams for the live tests.
#include "StreamProbe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

constexpr int kReceiveBufferBytes = 32 * 1024 * 1024;
constexpr int kDatagramBytes = 65536;

struct MemoryReader {
    const std::vector<uint8_t>* bytes = nullptr;
    size_t at = 0;
};

int ReadMemory(void* opaque, uint8_t* buffer, int size) {
    auto* reader = static_cast<MemoryReader*>(opaque);
    size_t left = reader->bytes->size() - reader->at;
    if (left == 0) {
        return AVERROR_EOF;
    }
    size_t count = std::min(left, static_cast<size_t>(size));
    std::memcpy(buffer, reader->bytes->data() + reader->at, count);
    reader->at += count;
    return static_cast<int>(count);
}

void Describe(const AVFormatContext& input, const AVStream& stream, StreamFacts& facts) {
    facts.opened = true;
    facts.format = input.iformat->name;
    facts.codec = avcodec_get_name(stream.codecpar->codec_id);
    facts.width = stream.codecpar->width;
    facts.height = stream.codecpar->height;
    facts.timeBase = stream.time_base;
    facts.frameRate = stream.avg_frame_rate.num ? stream.avg_frame_rate : stream.r_frame_rate;
    facts.fieldOrder = stream.codecpar->field_order;
    facts.colorSpace = stream.codecpar->color_space;
}

void DecodeAll(AVCodecContext* decoder, const AVPacket* packet, AVFrame* frame, StreamFacts& facts,
               const FrameVisitor& visit) {
    if (avcodec_send_packet(decoder, packet) < 0) {
        ++facts.decodeErrors;
        return;
    }
    while (avcodec_receive_frame(decoder, frame) == 0) {
        if (visit) {
            visit(facts.decodedFrames, *frame);
        }
        ++facts.decodedFrames;
        av_frame_unref(frame);
    }
}

bool Read(AVFormatContext* input, StreamFacts& facts, const FrameVisitor& visit) {
    if (avformat_find_stream_info(input, nullptr) < 0) {
        return false;
    }
    int index = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        return false;
    }
    const AVStream& stream = *input->streams[index];
    Describe(*input, stream, facts);
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(decoder, stream.codecpar);
    avcodec_open2(decoder, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int result = 0;
    while ((result = av_read_frame(input, packet)) >= 0) {
        if (packet->stream_index == index) {
            facts.packets.push_back({packet->pts, packet->dts, (packet->flags & AV_PKT_FLAG_KEY) != 0});
            DecodeAll(decoder, packet, frame, facts, visit);
        }
        av_packet_unref(packet);
    }
    facts.endedCleanly = result == AVERROR_EOF;
    DecodeAll(decoder, nullptr, frame, facts, visit);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    return true;
}

}  // namespace

bool ProbeStream(const std::string& url, StreamFacts& facts, const FrameVisitor& visit, const char* format) {
    AVFormatContext* input = nullptr;
    const AVInputFormat* forced = format ? av_find_input_format(format) : nullptr;
    if (avformat_open_input(&input, url.c_str(), forced, nullptr) < 0) {
        return false;
    }
    bool read = Read(input, facts, visit);
    avformat_close_input(&input);
    return read;
}

bool ProbeStreamBytes(const std::vector<uint8_t>& bytes, const char* format, StreamFacts& facts,
                      const FrameVisitor& visit) {
    constexpr int kBufferBytes = 65536;
    MemoryReader reader{&bytes, 0};
    auto* buffer = static_cast<uint8_t*>(av_malloc(kBufferBytes));
    AVIOContext* io = avio_alloc_context(buffer, kBufferBytes, 0, &reader, ReadMemory, nullptr, nullptr);
    AVFormatContext* input = avformat_alloc_context();
    input->pb = io;
    bool read = false;
    if (avformat_open_input(&input, nullptr, av_find_input_format(format), nullptr) >= 0) {
        read = Read(input, facts, visit);
        avformat_close_input(&input);
    }
    av_freep(&io->buffer);
    avio_context_free(&io);
    return read;
}

bool TimestampsStep(const StreamFacts& facts, int64_t step, std::string& bad) {
    if (facts.packets.empty()) {
        bad = "no packets";
        return false;
    }
    const int64_t first = facts.packets[0].pts;
    for (size_t i = 0; i < facts.packets.size(); ++i) {
        const StreamPacket& p = facts.packets[i];
        if (p.pts - first != static_cast<int64_t>(i) * step) {
            bad = "packet " + std::to_string(i) + " has pts " + std::to_string(p.pts) + ", expected " +
                  std::to_string(first + static_cast<int64_t>(i) * step);
            return false;
        }
    }
    return true;
}

UdpCatcher::UdpCatcher() {
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int size = kReceiveBufferBytes;
    if (setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof(size)) != 0) {
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof(size));
    }
    timeval wait{0, 100000};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
        std::vector<uint8_t> datagram(kDatagramBytes);
        for (;;) {
            ssize_t got = recv(fd_, datagram.data(), datagram.size(), 0);
            if (got > 0) {
                std::lock_guard<std::mutex> hold(lock_);
                bytes_.insert(bytes_.end(), datagram.begin(), datagram.begin() + got);
                ++datagrams_;
            } else if (stop_) {
                return;  // nothing came for a tenth of a second after the end
            }
        }
    });
}

UdpCatcher::~UdpCatcher() {
    Finish();
    close(fd_);
}

std::vector<uint8_t> UdpCatcher::Finish() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard<std::mutex> hold(lock_);
    return bytes_;
}
