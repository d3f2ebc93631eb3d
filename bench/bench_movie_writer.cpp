// The movie writers alone: 300 pre-made 720 x 486 frames per codec through
// MovieWriter, against the ffmpeg command encoding the same frames from a
// raw file with the same encoder settings. Shows what the writer adds to the
// encoder; bench_movie measures the whole path with the renderer.
//
//   build/bin/bench_movie_writer   (needs the ffmpeg command)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "HeadlessPlatform.h"
#include "MakeMovieAVI.h"
#include "MovieBenchSupport.h"
#include "Settings.h"

namespace {

using namespace moviebench;

struct Frames {
    std::string folder;
    std::string rawPath;
    std::vector<std::unique_ptr<CDib>> pictures;  // 30 distinct frames, cycled
};

// Smooth moving shapes, like a chart: neither flat nor noise.
void Paint(CDib& image, int frame) {
    for (int row = 0; row < kHeight; ++row) {
        uint8_t* p = image.Row(row);
        for (int x = 0; x < kWidth; ++x) {
            bool bar = ((x + frame * 4) / 60) % 3 == 0 && row < 100 + ((x / 60) * 37 + frame) % 300;
            p[3 * x + 0] = static_cast<uint8_t>(bar ? 40 : 120 + row / 8);
            p[3 * x + 1] = static_cast<uint8_t>(bar ? 200 : 60 + x / 12);
            p[3 * x + 2] = static_cast<uint8_t>(bar ? 230 : 90);
        }
    }
}

Frames& State() {
    static Frames frames;
    if (frames.pictures.empty()) {
        char pattern[] = "/tmp/tavrilo-bench-writer-XXXXXX";
        frames.folder = mkdtemp(pattern) ? pattern : "/tmp";
        setenv("XDG_CONFIG_HOME", frames.folder.c_str(), 1);
        LoadSettings("Tavrilo");
        Headless().quiet = true;
        for (int i = 0; i < 30; ++i) {
            frames.pictures.push_back(std::make_unique<CDib>(kWidth, kHeight, 24));
            Paint(*frames.pictures.back(), i);
        }
        frames.rawPath = frames.folder + "/frames.bgr";
        FILE* out = std::fopen(frames.rawPath.c_str(), "wb");
        for (int frame = 0; frame < kFrames && out; ++frame) {
            const CDib& image = *frames.pictures[frame % 30];
            for (int line = 0; line < kHeight; ++line) {
                std::fwrite(image.Row(kHeight - 1 - line), 3, kWidth, out);
            }
        }
        if (out) {
            std::fclose(out);
        }
    }
    return frames;
}

void Writer(benchmark::State& state, const CodecRun& run) {
    Frames& f = State();
    std::string path = f.folder + "/ours" + run.extension;
    double seconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        MovieWriter writer;
        writer.options.codec = run.code;
        writer.options.storeCodec = false;
        bool ok = writer.Open(MakeFileSpec(path.c_str()), *f.pictures[0], 29.97, 100, kFrames);
        for (int frame = 0; frame < kFrames && ok; ++frame) {
            ok = writer.WriteFrame(-1, *f.pictures[frame % 30]);
        }
        ok = writer.Close() && ok;
        seconds = Seconds(start);
        if (!ok) {
            state.SkipWithError(writer.LastError().c_str());
        }
        state.SetIterationTime(seconds);
    }
    ReportOurRun(state, run, seconds);
}

void Command(benchmark::State& state, const CodecRun& run) {
    Frames& f = State();
    TimeFfmpegCommand(state, run, f.rawPath, f.folder);
}

int Register() {
    RegisterCodecRuns("writer", Command, Writer);
    return 0;
}

const int kRegistered = Register();

}  // namespace

BENCHMARK_MAIN();
