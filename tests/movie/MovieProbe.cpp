#include "MovieProbe.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

struct Closer {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
    void operator()(AVFrame* f) const { av_frame_free(&f); }
    void operator()(AVPacket* p) const { av_packet_free(&p); }
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

void KeepAlpha(MovieFacts& facts, const AVFrame& frame) {
    std::vector<uint8_t> bgra(static_cast<size_t>(frame.width) * frame.height * 4);
    std::unique_ptr<SwsContext, Closer> scale(
        sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), frame.width, frame.height,
                       AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr));
    uint8_t* data[1] = {bgra.data()};
    int lines[1] = {frame.width * 4};
    sws_scale(scale.get(), frame.data, frame.linesize, 0, frame.height, data, lines);
    std::vector<uint8_t> alpha(static_cast<size_t>(frame.width) * frame.height);
    for (size_t i = 0; i < alpha.size(); ++i) {
        alpha[i] = bgra[4 * i + 3];
    }
    facts.alphas.push_back(std::move(alpha));
}

void Keep(MovieFacts& facts, const AVFrame& frame) {
    const AVPixFmtDescriptor* description = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
    if (description && (description->flags & AV_PIX_FMT_FLAG_ALPHA)) {
        KeepAlpha(facts, frame);
    }
    bool eightBitYuv = description && !(description->flags & AV_PIX_FMT_FLAG_RGB) && description->comp[0].depth == 8;
    if (facts.frames.empty() && eightBitYuv) {
        facts.firstLuma = frame.data[0][static_cast<size_t>(frame.height / 2) * frame.linesize[0] + frame.width / 2];
    }
    if (facts.frames.empty()) {
        facts.codedSarNum = frame.sample_aspect_ratio.num;
        facts.codedSarDen = frame.sample_aspect_ratio.den;
    }
    std::vector<uint8_t> rows(static_cast<size_t>(frame.width) * frame.height * 3);
    std::unique_ptr<SwsContext, Closer> scale(
        sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), frame.width, frame.height,
                       AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr));
    uint8_t* data[1] = {rows.data()};
    int lines[1] = {frame.width * 3};
    sws_scale(scale.get(), frame.data, frame.linesize, 0, frame.height, data, lines);
    facts.frames.push_back(std::move(rows));
    facts.interlaced.push_back(frame.interlaced_frame != 0);
}

void Drain(MovieFacts& facts, AVCodecContext* decoder, AVFrame* frame) {
    while (avcodec_receive_frame(decoder, frame) == 0) {
        Keep(facts, *frame);
    }
}

}  // namespace

std::string FourCC(uint32_t tag) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        text += static_cast<char>((tag >> (8 * i)) & 0xFF);
    }
    return text;
}

MovieFacts ProbeMovie(const std::string& path, bool decode) {
    MovieFacts facts;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        return facts;
    }
    std::unique_ptr<AVFormatContext, Closer> format(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0) {
        return facts;
    }
    int index = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        return facts;
    }
    AVStream* stream = raw->streams[index];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    facts.opened = codec != nullptr;
    facts.codecName = codec ? codec->name : "";
    facts.codecTag = stream->codecpar->codec_tag;
    const char* profile = avcodec_profile_name(stream->codecpar->codec_id, stream->codecpar->profile);
    facts.profile = profile ? profile : "";
    facts.width = stream->codecpar->width;
    facts.height = stream->codecpar->height;
    facts.timeBaseNum = stream->time_base.num;
    facts.timeBaseDen = stream->time_base.den;
    facts.rateNum = stream->avg_frame_rate.num ? stream->avg_frame_rate.num : stream->r_frame_rate.num;
    facts.rateDen = stream->avg_frame_rate.num ? stream->avg_frame_rate.den : stream->r_frame_rate.den;
    facts.fieldOrder = stream->codecpar->field_order;
    facts.colourPrimaries = stream->codecpar->color_primaries;
    facts.colourTransfer = stream->codecpar->color_trc;
    facts.colourMatrix = stream->codecpar->color_space;
    facts.colourRange = stream->codecpar->color_range;
    for (unsigned i = 0; i < raw->nb_streams && facts.timecode.empty(); ++i) {
        AVDictionaryEntry* entry = av_dict_get(raw->streams[i]->metadata, "timecode", nullptr, 0);
        if (entry && raw->streams[i]->codecpar->codec_tag == MKTAG('t', 'm', 'c', 'd')) {
            facts.timecode = entry->value;
        }
    }
    std::unique_ptr<AVCodecContext, Closer> decoder(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder.get(), stream->codecpar);
    if (decode && avcodec_open2(decoder.get(), codec, nullptr) < 0) {
        facts.opened = false;
        return facts;
    }
    std::unique_ptr<AVPacket, Closer> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, Closer> frame(av_frame_alloc());
    while (av_read_frame(raw, packet.get()) >= 0) {
        if (packet->stream_index == index) {
            if (facts.packets++ == 0) {
                facts.firstDuration = packet->duration;
            }
            if (decode) {
                avcodec_send_packet(decoder.get(), packet.get());
                Drain(facts, decoder.get(), frame.get());
            }
        }
        av_packet_unref(packet.get());
    }
    if (decode) {
        avcodec_send_packet(decoder.get(), nullptr);
        Drain(facts, decoder.get(), frame.get());
    }
    return facts;
}

void FillSyntheticFrame(CDib& image, double time) {
    int width = image.Width();
    int height = image.Height();
    int bytes = image.BitsPerPixel() / 8;
    int shift = static_cast<int>(std::lround(time * 8.0));
    for (int row = 0; row < height; ++row) {
        uint8_t* p = image.Row(row);
        for (int x = 0; x < width; ++x) {
            bool marker = x >= 4 && x < 12 && row >= height - 12 && row < height - 4;
            p[x * bytes + 0] = static_cast<uint8_t>(marker ? 255 : (x * 3 + shift) & 0xFF);
            p[x * bytes + 1] = static_cast<uint8_t>(marker ? 0 : (row * 5 + shift * 3) & 0xFF);
            p[x * bytes + 2] = static_cast<uint8_t>(marker ? 0 : (shift * 7 + (x ^ row)) & 0xFF);
        }
    }
}

std::vector<uint8_t> TopDownBgr(const CDib& image) {
    std::vector<uint8_t> rows;
    int bytes = image.BitsPerPixel() / 8;
    for (int line = 0; line < image.Height(); ++line) {
        const uint8_t* p = image.Row(image.Height() - 1 - line);
        for (int x = 0; x < image.Width(); ++x) {
            rows.insert(rows.end(), p + x * bytes, p + x * bytes + 3);
        }
    }
    return rows;
}

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) {
        return 255;
    }
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        worst = std::max(worst, std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i])));
    }
    return worst;
}
