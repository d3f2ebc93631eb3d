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
#include <string>

#include "DemoShow.h"
#include "Draw.h"
#include "HeadlessPlatform.h"
#include "MakeMovie.h"
#include "MovieBenchSupport.h"
#include "Settings.h"
#include "ShowRecord.h"

namespace {

using namespace moviebench;

struct Bench {
    std::string folder;
    std::unique_ptr<Show> show;
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
    ReportOurRun(state, run, seconds);
}

void FfmpegCommand(benchmark::State& state, const CodecRun& run) {
    TimeFfmpegCommand(state, run, RawFrames(), State().folder);
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
    RegisterCodecRuns("ours_end_to_end", FfmpegCommand, OursEndToEnd);
    return 0;
}

const int kRegistered = Register();

}  // namespace

BENCHMARK_MAIN();
