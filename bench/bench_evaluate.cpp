// Evaluation of a 64-key show, frame by frame over ten minutes of NTSC
// frames, as playback and Make Movie run it. The counter ns_per_evaluation
// is the CPU time of one Evaluate call.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "Doc.h"
#include "HeadlessPlatform.h"
#include "Utilities.h"

namespace {

constexpr int32_t kFrames = 18000;

// 64 keys spread over the show with varied values, easing codes and sets.
std::unique_ptr<Show> MakeBusyShow() {
    auto show = std::make_unique<Show>();
    ResetShow(*show);
    show->lengthFrames = kFrames;
    show->animateData = 1;
    const float slowCodes[] = {0.0f, 1000.0f, 2000.0f, 3000.0f, 4000.0f, 1001.0f, 1020.0f, 3021.0f};
    for (int k = 0; k < kMaxKeys; ++k) {
        KeyFrame& key = show->keys[k];
        key = KeyFrame{};
        key.frame = k * (kFrames / kMaxKeys);
        key.x = std::sin(k * 0.7f) * 0.5f;
        key.y = std::cos(k * 0.3f) * 0.4f;
        key.width = 0.8f + 0.01f * static_cast<float>(k % 20);
        key.height = 1.2f - 0.01f * static_cast<float>(k % 30);
        key.spin = -30.0f + static_cast<float>((k * 7) % 60);
        key.tilt = static_cast<float>((k * 3) % 20);
        key.slow = slowCodes[k % 8];
        key.dataSet = static_cast<float>(1 + k % 4);
    }
    show->keyCount = kMaxKeys;
    for (int row = 0; row < kDataRows; ++row) {
        for (int k = 0; k < kCategories; ++k) {
            show->values[row][k] = 100.0f + static_cast<float>((row * 31 + k * 17) % 50) * 0.1f;
        }
    }
    return show;
}

// Argument 1: with data animation (33 values morphed per frame); 0: motion only.
void BM_EvaluateAllFrames(benchmark::State& state) {
    Headless().quiet = true;
    auto show = MakeBusyShow();
    show->animateData = state.range(0) != 0;
    for (auto _ : state) {
        for (int32_t frame = 0; frame < kFrames; ++frame) {
            Evaluate(*show, frame);
        }
        benchmark::DoNotOptimize(show->currentValues);
        benchmark::DoNotOptimize(show->current);
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.counters["ns_per_evaluation"] = benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                                                             benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                             benchmark::Counter::OneK::kIs1000);
}
BENCHMARK(BM_EvaluateAllFrames)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
