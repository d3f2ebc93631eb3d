// Rendering speed of the demo show at 720 x 486: render and read-back of
// one frame per iteration, at anti-aliasing levels 0, 25, 50 and 75.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "Doc.h"
#include "Draw.h"
#include "HeadlessPlatform.h"
#include "Settings.h"

namespace {

struct DemoFixture {
    std::unique_ptr<Show> show;
    DemoFixture() {
        setenv("XDG_CONFIG_HOME", "/nonexistent-tavrilo-bench", 1);
        LoadSettings("Tavrilo");
        Headless().quiet = true;
        show = CreateShow();
        gShow = show.get();
        MakeDemoShow(*show);
    }
};

Show& Demo() {
    static DemoFixture fixture;
    return *fixture.show;
}

void BM_RenderDemoFrame(benchmark::State& state) {
    Show& show = Demo();
    CDib picture(16, 16, 8);
    int level = static_cast<int>(state.range(0));
    if (!RenderShowFrame(show, 0, 720, 486, level, picture)) {
        state.SkipWithError("OpenGL is not available");
        return;
    }
    int32_t frame = 0;
    for (auto _ : state) {
        RenderShowFrame(show, frame, 720, 486, level, picture);
        benchmark::DoNotOptimize(picture.Pixels());
        frame = (frame + 7) % 300;
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_RenderDemoFrame)->Arg(0)->Arg(25)->Arg(50)->Arg(75)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
