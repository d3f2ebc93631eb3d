// The live command of tavrilo-render: the streams, the data watcher, the
// remote control and the status line around the play-out.
#include "LiveCommand.h"

#include <unistd.h>

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>

#include "LiveControl.h"
#include "LivePlayout.h"
#include "LiveStream.h"
#include "MovieFrames.h"
#include "RenderMovie.h"
#include "Utilities.h"

namespace {

constexpr int kDefaultLiveQuality = 60;
constexpr const char* kDefaultControlAddress = "127.0.0.1";
constexpr auto kStatusEvery = std::chrono::seconds(2);
constexpr const char* kDefaultMorph = "00:00:01:00";

volatile std::sig_atomic_t gLiveSignal = 0;

void OnLiveSignal(int signal) {
    gLiveSignal = signal;
}

// Ctrl+C and SIGTERM end the stream properly for the command's lifetime.
class LiveSignals {
public:
    LiveSignals() {
        gLiveSignal = 0;
        struct sigaction action {};
        action.sa_handler = OnLiveSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previousInterrupt_);
        sigaction(SIGTERM, &action, &previousTerminate_);
        // A reader of standard output that goes away ends the stream with
        // an error instead of the program.
        signal(SIGPIPE, SIG_IGN);
    }
    ~LiveSignals() {
        sigaction(SIGINT, &previousInterrupt_, nullptr);
        sigaction(SIGTERM, &previousTerminate_, nullptr);
    }
    LiveSignals(const LiveSignals&) = delete;
    LiveSignals& operator=(const LiveSignals&) = delete;

private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};

bool StatusOnTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

void PrintLine(const std::string& line) {
    // A status line on the terminal is cleared first.
    std::fprintf(stderr, "%stavrilo-render: %s\n", StatusOnTerminal() ? "\r\033[K" : "", TerminalText(line).c_str());
}

// The fill and, for key and fill, the key: frame-locked, each frame going
// to both or to neither.
class StreamOutputs : public LiveOutputs {
public:
    LiveStream fill;
    LiveStream key;

    bool Room() override { return fill.Room() && (!key.IsOpen() || key.Room()); }
    bool Send(int64_t index, const CDib& picture) override {
        if (!fill.Send(index, picture)) {
            return false;
        }
        if (!key.IsOpen()) {
            return true;
        }
        MakeKeyPicture(picture, keyPicture_);
        return key.Send(index, keyPicture_);
    }
    std::string Error() const override { return !fill.Error().empty() ? fill.Error() : key.Error(); }

private:
    CDib keyPicture_{16, 16, 24};
};

// The status line, every two seconds on a terminal.
class StatusLine {
public:
    explicit StatusLine(const LivePlayout& playout) : playout_(playout) {
        if (StatusOnTerminal()) {
            thread_ = std::thread([this] { Run(); });
        }
    }
    ~StatusLine() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) {
            thread_.join();
            std::fprintf(stderr, "\r\033[K");
        }
    }
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

private:
    void Run() {
        std::unique_lock<std::mutex> hold(lock_);
        while (!wake_.wait_for(hold, kStatusEvery, [this] { return stop_; })) {
            std::fprintf(stderr, "\r\033[Klive: %s", playout_.StatusText().c_str());
            std::fflush(stderr);
        }
    }

    const LivePlayout& playout_;
    std::thread thread_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
};

struct LiveSetup {
    LivePlayoutConfig config;
    LiveStreamSpec fill;
    LiveStreamSpec key;
    bool hasKey = false;
    LiveDataKind watchKind = LiveDataKind::Table;
};

bool BuildSetup(const Show& show, const RenderOptions& options, LiveSetup& setup, std::string& error) {
    MovieJob job;
    if (!MovieJobFromOptions(show, options, job, error)) {
        return false;
    }
    LivePlayoutConfig& c = setup.config;
    c.width = job.options.width;
    c.height = job.options.height;
    c.antiAliasing = options.antiAliasing.value_or(show.antiAliasing);
    c.fields = job.options.fieldMode == kFieldModeFields;
    c.lowerFieldFirst = job.lowerFieldFirst;
    c.alpha = !options.liveKeyPath.empty();
    c.rate = ExactMovieRate(job.options.framesPerSecond);
    c.loop = options.loop;
    if (options.liveStart) {
        c.startFrame = TimecodeEntry(options.liveStart->c_str(), 0, show.frameRate);
    }
    c.morphFrames = TimecodeEntry(options.morph.value_or(kDefaultMorph).c_str(), 0, show.frameRate);
    c.streamInterval = options.intervalText.empty() ? 30.0f : std::strtof(options.intervalText.c_str(), nullptr);
    setup.watchKind = !options.streamPath.empty() && options.streamPath == options.watchPath ? LiveDataKind::Stream
                                                                                             : LiveDataKind::Table;
    LiveStreamSpec& fill = setup.fill;
    fill.width = c.width;
    fill.height = c.height;
    fill.rate = c.rate;
    fill.fieldOrder =
        !c.fields ? FieldOrder::Progressive : (c.lowerFieldFirst ? FieldOrder::LowerFirst : FieldOrder::UpperFirst);
    fill.pictureAspect = job.writer.pictureAspect;
    fill.codec = options.codec.value_or("");
    fill.quality = options.quality ? std::atoi(options.quality->c_str()) : kDefaultLiveQuality;
    if (!ParseLiveTarget(options.livePath, fill.target, error)) {
        return false;
    }
    error = LiveCodecProblem(fill);
    if (!error.empty()) {
        error = "--live: " + error;
        return false;
    }
    setup.hasKey = !options.liveKeyPath.empty();
    setup.key = fill;
    return !setup.hasKey || ParseLiveTarget(options.liveKeyPath, setup.key.target, error);
}

std::string Describe(const LiveSetup& setup) {
    const LivePlayoutConfig& c = setup.config;
    char rate[64] = {};
    std::snprintf(rate, sizeof(rate), "%.3f (%d/%d)", static_cast<double>(c.rate.rate) / c.rate.scale, c.rate.rate,
                  c.rate.scale);
    std::string text =
        "live to " + setup.fill.target.given + " (" + setup.fill.target.muxer + "), " + std::to_string(c.width) + "x" +
        std::to_string(c.height) + " at " + rate + ", " +
        (c.fields ? (c.lowerFieldFirst ? "fields, lower first" : "fields, upper first") : "whole frames");
    if (setup.hasKey) {
        text += "; key to " + setup.key.target.given;
    }
    return text;
}

// Reads the watched file's first table into the show (and fixes the shape
// every later one must have).
bool LoadFirstData(Show& show, const RenderOptions& options, const LiveSetup& setup, LiveDataGate& gate,
                   LiveDataUpdate& update, std::string& error) {
    if (!ReadLiveDataFile(options.watchPath, setup.watchKind, update, error) || !gate.Admit(update, error)) {
        error = "--watch \"" + options.watchPath + "\": " + error;
        return false;
    }
    if (update.kind == LiveDataKind::Table) {
        ApplyLiveTable(show, update.table);
        return true;
    }
    Result loaded = ApplyLiveStream(show, update.streamText, setup.config.streamInterval);
    if (!loaded) {
        error = "--watch \"" + options.watchPath + "\": " + loaded.Message();
    }
    return loaded.Ok();
}

}  // namespace

bool CheckLiveOptions(const Show& show, const RenderOptions& options, std::string& error) {
    LiveSetup setup;
    return BuildSetup(show, options, setup, error);
}

namespace {

std::string Summary(const LivePlayout& playout, const LiveOutcome& outcome, ExactRate rate) {
    const LiveCounters& c = playout.Counters();
    const double seconds = static_cast<double>(c.framesOut) * rate.scale / rate.rate;
    const double meanDrawing = c.drawn > 0 ? static_cast<double>(c.drawingNanoseconds) / c.drawn / 1e6 : 0.0;
    char text[320] = {};
    std::snprintf(text, sizeof(text),
                  "live ended (%s): %lld frames out (%.2f s), %lld late, %lld dropped, %d data updates; "
                  "drawing a frame took %.1f ms on average, %.1f ms at most (a frame lasts %.1f ms)",
                  outcome.failed ? "failed" : (outcome.quit ? "QUIT" : "stopped"),
                  static_cast<long long>(c.framesOut.load()), seconds, static_cast<long long>(c.late.load()),
                  static_cast<long long>(c.dropped.load()), c.dataVersion.load(), meanDrawing,
                  static_cast<double>(c.longestDrawing) / 1e6, 1000.0 * rate.scale / rate.rate);
    return text;
}

// Starts the watcher and the control server around the play-out.
bool StartInputs(const RenderOptions& options, const LiveSetup& setup, LiveDataGate& gate, LivePlayout& playout,
                 DataWatcher& watcher, LiveControlServer& control, std::string& error) {
    if (!options.watchPath.empty() &&
        !watcher.Start(
            options.watchPath, setup.watchKind, &gate,
            [&playout](LiveDataUpdate&& update) { playout.Data().Put(std::move(update)); }, PrintLine, error)) {
        error = "--watch: " + error;
        return false;
    }
    if (!options.controlPort) {
        return true;
    }
    const std::string address = options.controlBind.empty() ? kDefaultControlAddress : options.controlBind;
    if (!control.Start(
            address, *options.controlPort, &gate,
            [&playout](LiveRequest&& request) { playout.Submit(std::move(request)); }, error)) {
        error = "--control: " + error;
        return false;
    }
    playout.SetAnswer([&control](int client, const std::string& line) { control.Answer(client, line); });
    PrintLine("remote control on " + address + " port " + std::to_string(control.Port()));
    return true;
}

}  // namespace

StepResult RunLiveCommand(Show& show, const RenderOptions& options) {
    LiveSetup setup;
    std::string error;
    if (!BuildSetup(show, options, setup, error)) {
        return StepFailed(error);
    }
    SetFrameAspect(show, static_cast<float>(setup.fill.pictureAspect));
    LiveDataGate gate;
    LiveDataUpdate firstData;
    if (!options.watchPath.empty() && !LoadFirstData(show, options, setup, gate, firstData, error)) {
        return StepFailed(TerminalText(error));
    }
    StreamOutputs outputs;
    if (!outputs.fill.Open(setup.fill)) {
        return StepFailed("--live: " + TerminalText(outputs.fill.Error()));
    }
    if (setup.hasKey && !outputs.key.Open(setup.key)) {
        outputs.fill.Close();
        return StepFailed("--live-key: " + TerminalText(outputs.key.Error()));
    }
    SteadyLiveClock clock;
    LivePlayout playout(show, clock, outputs, setup.config);
    if (!options.watchPath.empty()) {
        playout.SetStartData(firstData);
    }
    playout.SetLog(PrintLine);
    LiveSignals signals;
    playout.SetStopCheck([] { return gLiveSignal != 0; });
    DataWatcher watcher;
    LiveControlServer control;
    LiveOutcome outcome;
    if (!StartInputs(options, setup, gate, playout, watcher, control, error)) {
        outcome.failed = true;
        outcome.error = error;
    } else {
        PrintLine(Describe(setup));
        StatusLine status(playout);
        outcome = playout.Run();
    }
    watcher.Stop();
    control.Stop();
    const bool fillClosed = outputs.fill.Close();
    const bool keyClosed = !setup.hasKey || outputs.key.Close();
    if (!outcome.error.empty() || fillClosed) {
        PrintLine(Summary(playout, outcome, setup.config.rate));
    }
    if (outcome.failed) {
        return StepFailed(TerminalText(outcome.error));
    }
    if (!fillClosed || !keyClosed) {
        return StepFailed(TerminalText(outputs.Error()));
    }
    return StepDone();
}
