// What the movie benchmarks share: the codecs measured with the ffmpeg
// command line that encodes with the same settings as our writer at quality
// 100, the timing of that command, and the ratio of our time to its time.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>

namespace moviebench {

constexpr int kWidth = 720;
constexpr int kHeight = 486;
constexpr int kFrames = 300;

struct CodecRun {
    const char* name;
    const char* extension;
    const char* code;
    const char* ffmpegArguments;  // the same encoder and settings as the writer's at quality 100
};

inline const CodecRun kRuns[] = {
    {"avi_DIB", ".avi", "DIB ", "-c:v rawvideo -pix_fmt bgr24"},
    {"avi_MJPG", ".avi", "MJPG", "-c:v mjpeg -pix_fmt yuvj422p -qmin 1 -q:v 1"},
    {"mov_avc1", ".mov", "avc1", "-c:v libx264 -pix_fmt yuv420p -crf 1 -g 12"},
    {"mov_apch", ".mov", "apch", "-c:v prores_ks -profile:v 3 -pix_fmt yuv422p10le"},
    {"mov_ap4h", ".mov", "ap4h", "-c:v prores_ks -profile:v 4 -pix_fmt yuv444p10le"},
    {"mov_rle", ".mov", "rle ", "-c:v qtrle -pix_fmt rgb24"},
    {"mov_png", ".mov", "png ", "-c:v png -pix_fmt rgb24"},
    {"mov_raw", ".mov", "raw ", "-c:v rawvideo -pix_fmt rgb24"},
};

// Seconds of the ffmpeg command per codec, for the ratio counters.
inline std::map<std::string, double>& CommandSeconds() {
    static std::map<std::string, double> seconds;
    return seconds;
}

inline double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Times the ffmpeg command encoding the raw BGR frames at `rawPath` into
// `folder`, and remembers the time for the ratio.
inline void TimeFfmpegCommand(benchmark::State& state, const CodecRun& run, const std::string& rawPath,
                              const std::string& folder) {
    std::string command = "ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s 720x486 -r 30000/1001 -i " + rawPath + " " +
                          run.ffmpegArguments + " " + folder + "/command" + run.extension;
    double seconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the ffmpeg command failed");
        }
        seconds = Seconds(start);
        state.SetIterationTime(seconds);
    }
    CommandSeconds()[run.name] = seconds;
    state.counters["fps"] = kFrames / seconds;
}

// Frames a second of our run, and its time over the command's when known.
inline void ReportOurRun(benchmark::State& state, const CodecRun& run, double seconds) {
    state.counters["fps"] = kFrames / seconds;
    auto found = CommandSeconds().find(run.name);
    if (found != CommandSeconds().end()) {
        state.counters["ratio"] = seconds / found->second;
    }
}

// Registers, per codec, the command first and then our run named `ours`.
template <typename Command, typename Ours>
void RegisterCodecRuns(const char* ours, Command command, Ours ourRun) {
    for (const CodecRun& run : kRuns) {
        benchmark::RegisterBenchmark((std::string("ffmpeg_command/") + run.name).c_str(), command, run)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kSecond);
        benchmark::RegisterBenchmark((std::string(ours) + "/" + run.name).c_str(), ourRun, run)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kSecond);
    }
}

}  // namespace moviebench
