// Reading movie frames by number, for background movies: frame n of the
// show is frame n of the movie, decoded into a 24-bit bottom-up CDib. Frames are decoded forward from the last one
// read; a jump backwards or far ahead seeks first.
#include <cstring>

#include "FfmpegOwners.h"
#include "MovieFfmpeg.h"

struct BackgroundMovie {
    InputFormatOwner format;
    CodecContextOwner decoder;
    FrameOwner frame;    // the last frame decoded, kept when a read fails
    FrameOwner decoded;  // where the decoder puts the next one
    PacketOwner packet;
    ScaleOwner scale;
    int streamIndex = -1;
    AVRational timeBase{1, 1};
    int64_t startPts = 0;
    int64_t frameDuration = 1;  // in the stream's time base
    int32_t frameCount = 0;
    int32_t lastFrame = -1;  // the frame in `frame`, -1 none
    bool ended = false;
};

namespace {

constexpr int32_t kForwardDecodeLimit = 48;

bool OpenDecoder(BackgroundMovie& movie) {
    AVStream* stream = movie.format->streams[movie.streamIndex];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        return false;
    }
    movie.decoder.reset(avcodec_alloc_context3(codec));
    if (!movie.decoder || avcodec_parameters_to_context(movie.decoder.get(), stream->codecpar) < 0) {
        return false;
    }
    movie.decoder->thread_count = 0;
    if (avcodec_open2(movie.decoder.get(), codec, nullptr) < 0) {
        return false;
    }
    AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) {
        rate = AVRational{25, 1};
    }
    movie.timeBase = stream->time_base;
    movie.frameDuration = av_rescale_q(1, av_inv_q(rate), stream->time_base);
    if (movie.frameDuration <= 0) {
        movie.frameDuration = 1;
    }
    movie.startPts = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    movie.frameCount = static_cast<int32_t>(stream->nb_frames);
    if (movie.frameCount <= 0 && movie.format->duration > 0) {
        movie.frameCount = static_cast<int32_t>(av_rescale_q(movie.format->duration, AV_TIME_BASE_Q, av_inv_q(rate)));
    }
    movie.frame.reset(av_frame_alloc());
    movie.decoded.reset(av_frame_alloc());
    movie.packet.reset(av_packet_alloc());
    return movie.frame && movie.decoded && movie.packet;
}

// Decodes the next frame into movie.frame; false at the end or on an error,
// leaving movie.frame and lastFrame as they were (a render that went past the
// end and comes back finds the last frame still there).
bool DecodeNext(BackgroundMovie& movie) {
    for (;;) {
        int result = avcodec_receive_frame(movie.decoder.get(), movie.decoded.get());
        if (result == 0) {
            av_frame_unref(movie.frame.get());
            av_frame_move_ref(movie.frame.get(), movie.decoded.get());
            int64_t pts = movie.frame->best_effort_timestamp;
            movie.lastFrame =
                pts == AV_NOPTS_VALUE
                    ? movie.lastFrame + 1
                    : static_cast<int32_t>((pts - movie.startPts + movie.frameDuration / 2) / movie.frameDuration);
            return true;
        }
        if (result != AVERROR(EAGAIN) || movie.ended) {
            return false;
        }
        result = av_read_frame(movie.format.get(), movie.packet.get());
        if (result < 0) {
            movie.ended = true;
            avcodec_send_packet(movie.decoder.get(), nullptr);
            continue;
        }
        if (movie.packet->stream_index == movie.streamIndex) {
            avcodec_send_packet(movie.decoder.get(), movie.packet.get());
        }
        av_packet_unref(movie.packet.get());
    }
}

bool SeekTo(BackgroundMovie& movie, int32_t frame) {
    int64_t target = movie.startPts + static_cast<int64_t>(frame) * movie.frameDuration;
    if (av_seek_frame(movie.format.get(), movie.streamIndex, target, AVSEEK_FLAG_BACKWARD) < 0) {
        return false;
    }
    avcodec_flush_buffers(movie.decoder.get());
    movie.ended = false;
    movie.lastFrame = -1;
    return true;
}

bool CopyFrame(BackgroundMovie& movie, CDib& image) {
    const AVFrame& f = *movie.frame;
    if (!image.Create(f.width, f.height, 24)) {
        return false;
    }
    movie.scale.reset(sws_getCachedContext(movie.scale.release(), f.width, f.height,
                                           static_cast<AVPixelFormat>(f.format), f.width, f.height, AV_PIX_FMT_BGR24,
                                           SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!movie.scale) {
        return false;
    }
    // Bottom-up: the top row of the movie goes to the last stored row.
    uint8_t* top[1] = {image.Pixels() + static_cast<size_t>(f.height - 1) * image.Stride()};
    int strides[1] = {-image.Stride()};
    sws_scale(movie.scale.get(), f.data, f.linesize, 0, f.height, top, strides);
    return true;
}

}  // namespace

BackgroundMovie* OpenMovieReader(const char* path, const char* demuxer, CDib& image) {
    SilenceFfmpegLog();
    // Only a regular file: opening a FIFO or a device would wait for ever.
    if (!IsRegularFile(path)) {
        return nullptr;
    }
    auto movie = std::make_unique<BackgroundMovie>();
    AVFormatContext* raw = nullptr;
    const AVInputFormat* format = demuxer ? av_find_input_format(demuxer) : nullptr;
    if (avformat_open_input(&raw, path, format, nullptr) < 0) {
        return nullptr;
    }
    movie->format.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0) {
        return nullptr;
    }
    movie->streamIndex = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (movie->streamIndex < 0 || !OpenDecoder(*movie)) {
        return nullptr;
    }
    if (!DecodeNext(*movie) || !CopyFrame(*movie, image)) {
        return nullptr;
    }
    return movie.release();
}

int32_t BackgroundMovieFrameCount(const BackgroundMovie& movie) {
    return movie.frameCount;
}

bool ReadBackgroundMovieFrame(BackgroundMovie& movie, int32_t frame, CDib& image) {
    if (frame < 0) {
        return false;
    }
    if (frame == movie.lastFrame) {
        return CopyFrame(movie, image);
    }
    if (frame < movie.lastFrame || frame > movie.lastFrame + kForwardDecodeLimit) {
        if (!SeekTo(movie, frame)) {
            return false;
        }
    }
    while (movie.lastFrame < frame) {
        if (!DecodeNext(movie)) {
            return false;
        }
    }
    return CopyFrame(movie, image);
}

void ReleaseBackgroundMovie(BackgroundMovie* movie) {
    delete movie;
}

BackgroundMovie* OpenBackgroundMovie(const char* path, CDib& image) {
    return OpenMovieReader(path, std::strstr(path, ".mov") ? "mov" : nullptr, image);
}
