// Movies end to end: the demo show, 300 frames at 720 x 486, rendered and
// written per codec, against the ffmpeg command encoding the same 300 frames
// from a raw file with the same encoder settings (the encoder's own limit).
// The ratio counter is our time over the command's; the goal is at most 1.25.
//
//   build/bin/bench_movie --benchmark_filter=.   (needs the ffmpeg command)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "DemoShow.h"
#include "Draw.h"
#include "HeadlessPlatform.h"
#include "MakeMovie.h"
#include "Settings.h"
#include "ShowRecord.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 486;
constexpr int kFrames = 300;

struct CodecRun {
    const char* name;
    const char* extension;
    const char* code;
    const char* ffmpegArguments;  // the same encoder and settings as the writer's at quality 100
};

const CodecRun kRuns[] = {
    {"avi_DIB", ".avi", "DIB ", "-c:v rawvideo -pix_fmt bgr24"},
    {"avi_MJPG", ".avi", "MJPG", "-c:v mjpeg -pix_fmt yuvj422p -qmin 1 -q:v 1"},
    {"mov_avc1", ".mov", "avc1", "-c:v libx264 -pix_fmt yuv420p -crf 1 -g 12"},
    {"mov_apch", ".mov", "apch", "-c:v prores_ks -profile:v 3 -pix_fmt yuv422p10le"},
    {"mov_ap4h", ".mov", "ap4h", "-c:v prores_ks -profile:v 4 -pix_fmt yuv444p10le"},
    {"mov_rle", ".mov", "rle ", "-c:v qtrle -pix_fmt rgb24"},
    {"mov_png", ".mov", "png ", "-c:v png -pix_fmt rgb24"},
    {"mov_raw", ".mov", "raw ", "-c:v rawvideo -pix_fmt rgb24"},
};

struct Bench {
    std::string folder;
    std::unique_ptr<Show> show;
    std::map<std::string, double> commandSeconds;
    double renderSeconds = 0;
};

Bench& State() {
    static Bench bench;
    if (!bench.show) {
        char pattern[] = "/tmp/tavrilo-bench-movie-XXXXXX";
        bench.folder = mkdtemp(pattern) ? pattern : "/tmp";
        setenv("XDG_CONFIG_HOME", bench.folder.c_str(), 1);
        LoadSettings("Tavrilo");
        Headless().quiet = true;
        bench.show = CreateShow();
        MakeDemoShow(*bench.show);
    }
    return bench;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The 300 frames once, top-down, as the ffmpeg command's raw input.
std::string RawFrames() {
    Bench& b = State();
    std::string path = b.folder + "/frames.bgr";
    if (std::filesystem::exists(path)) {
        return path;
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    CDib image(kWidth, kHeight, 24);
    auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kFrames && out; ++frame) {
        RenderShowFrame(*b.show, frame, kWidth, kHeight, b.show->antiAliasing, image);
        for (int line = 0; line < kHeight; ++line) {
            std::fwrite(image.Row(kHeight - 1 - line), 3, kWidth, out);
        }
    }
    b.renderSeconds = Seconds(start);
    if (out) {
        std::fclose(out);
    }
    return path;
}

void OursEndToEnd(benchmark::State& state, const CodecRun& run) {
    Bench& b = State();
    MovieJob job;
    job.path = b.folder + "/ours" + run.extension;
    job.options.width = kWidth;
    job.options.height = kHeight;
    job.options.end = kFrames;
    job.options.framesPerSecond = 29.97;
    job.writer.codec = run.code;
    job.writer.storeCodec = false;
    RenderRangeHooks hooks;
    hooks.grab = [&b](double frame, CDib& image) {
        return RenderShowFrame(*b.show, static_cast<int32_t>(frame), kWidth, kHeight, b.show->antiAliasing, image);
    };
    double seconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        MovieOutcome outcome = MakeMovieFile(job, hooks);
        seconds = Seconds(start);
        if (!outcome.made) {
            state.SkipWithError(outcome.message.c_str());
        }
        state.SetIterationTime(seconds);
    }
    state.counters["fps"] = kFrames / seconds;
    auto found = b.commandSeconds.find(run.name);
    if (found != b.commandSeconds.end()) {
        state.counters["ratio"] = seconds / found->second;
    }
}

void FfmpegCommand(benchmark::State& state, const CodecRun& run) {
    Bench& b = State();
    std::string raw = RawFrames();
    std::string command = "ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s 720x486 -r 30000/1001 -i " + raw + " " +
                          run.ffmpegArguments + " " + b.folder + "/command" + run.extension;
    double seconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the ffmpeg command failed");
        }
        seconds = Seconds(start);
        state.SetIterationTime(seconds);
    }
    b.commandSeconds[run.name] = seconds;
    state.counters["fps"] = kFrames / seconds;
}

void RenderOnly(benchmark::State& state) {
    Bench& b = State();
    CDib image(kWidth, kHeight, 24);
    for (auto _ : state) {
        for (int frame = 0; frame < kFrames; ++frame) {
            RenderShowFrame(*b.show, frame, kWidth, kHeight, b.show->antiAliasing, image);
        }
    }
    state.counters["fps"] = benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate);
}

int Register() {
    benchmark::RegisterBenchmark("render_only_300", RenderOnly)->Iterations(1)->Unit(benchmark::kSecond);
    for (const CodecRun& run : kRuns) {
        benchmark::RegisterBenchmark((std::string("ffmpeg_command/") + run.name).c_str(), FfmpegCommand, run)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kSecond);
        benchmark::RegisterBenchmark((std::string("ours_end_to_end/") + run.name).c_str(), OursEndToEnd, run)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kSecond);
    }
    return 0;
}

const int kRegistered = Register();

}  // namespace

BENCHMARK_MAIN();
