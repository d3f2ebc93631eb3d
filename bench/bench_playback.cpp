// Real-time playback of the demo show in the desktop program's main window
// (maximised on Qt's offscreen platform, 800 x 600): frames shown per second
// and the share of the clock's frames that were dropped.
#include <benchmark/benchmark.h>

#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "Doc.h"
#include "MainWindow.h"
#include "PlatformWindows.h"
#include "Settings.h"

namespace {

std::string PrivateFolder(const char* name) {
    std::string path = (std::filesystem::temp_directory_path() / name).string();
    std::filesystem::create_directories(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
    return path;
}

void PlaybackDemo(benchmark::State& state) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("XDG_RUNTIME_DIR", PrivateFolder("tavrilo-bench-runtime").c_str(), 1);
    setenv("XDG_CONFIG_HOME", PrivateFolder("tavrilo-bench-config").c_str(), 1);
    PlatformInit("Tavrilo", 101);
    std::unique_ptr<Show> show = CreateShow();
    gShow = show.get();
    MakeDemoShow(*show);
    auto window = std::make_unique<MainWindow>();
    window->Create();
    ProcessPendingEvents();
    const int playMs = static_cast<int>(state.range(0));
    int64_t steps = 0;
    int64_t shown = 0;
    int64_t passed = 0;
    double seconds = 0;
    for (auto _ : state) {
        ShowFrame(*show, 0);
        MainWindow* target = window.get();
        QTimer::singleShot(playMs, [target]() { PostEvent(target, kMsgKeyDown, 'K', 1); });
        const auto start = std::chrono::steady_clock::now();
        window->SetDirection(1);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        steps += window->playback.stepsDrawn;
        shown += window->playback.framesShown;
        passed += gCurrentFrame - window->playback.startFrame + 1;
    }
    state.counters["frames_per_second"] = static_cast<double>(shown) / seconds;
    state.counters["renders_per_second"] = static_cast<double>(steps) / seconds;
    state.counters["dropped_share"] = passed > 0 ? 1.0 - static_cast<double>(shown) / passed : 0.0;
    window->Destroy();
    window.reset();
    DestroyShow(*show);
    gShow = nullptr;
}

}  // namespace

BENCHMARK(PlaybackDemo)->Arg(3000)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
