// Owners of the FFmpeg handles used by the movie writers and readers: each
// releases its handle with the library's own release function.
#pragma once

#include <cstdarg>
#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

// FFmpeg's own log lines never reach the terminal: every failure the
// program meets is reported by the program, once, in its own words.
// The log callback drops every line, so that no later change of the level
// (a library that raises it) lets one through.
inline void DropFfmpegLogLine(void*, int, const char*, va_list) {}
inline void SilenceFfmpegLog() {
    av_log_set_level(AV_LOG_QUIET);
    av_log_set_callback(DropFfmpegLogLine);
}

struct CodecContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleFree {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
// An input opened with avformat_open_input.
struct InputFormatClose {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
// An output made with avformat_alloc_output_context2; its file is closed
// separately (avio_closep) so that the close can report a failure.
struct OutputFormatFree {
    void operator()(AVFormatContext* context) const {
        if (context && context->pb && !(context->oformat->flags & AVFMT_NOFILE)) {
            avio_closep(&context->pb);
        }
        avformat_free_context(context);
    }
};
struct DictionaryFree {
    void operator()(AVDictionary* dictionary) const { av_dict_free(&dictionary); }
};

using CodecContextOwner = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FrameOwner = std::unique_ptr<AVFrame, FrameFree>;
using PacketOwner = std::unique_ptr<AVPacket, PacketFree>;
using ScaleOwner = std::unique_ptr<SwsContext, ScaleFree>;
using InputFormatOwner = std::unique_ptr<AVFormatContext, InputFormatClose>;
using OutputFormatOwner = std::unique_ptr<AVFormatContext, OutputFormatFree>;

// The library's text for an error code.
inline std::string FfmpegErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    return text;
}
