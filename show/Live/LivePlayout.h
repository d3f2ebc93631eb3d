// The live play-out: the Make Movie loop driven by a clock instead of a
// file. The show is evaluated and drawn frame by frame as for a movie (with
// fields when asked) a few frames ahead of time, and frame n is handed to
// the outputs when the clock reaches start + n x scale / rate. A frame not
// drawn by then is replaced by the one before (counted late) and never
// waited for; a frame the outputs cannot take is counted dropped. Commands
// and data updates are applied between frames; the threads that bring them
// never touch the show.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "CDib.h"
#include "DataMorph.h"
#include "DataWatcher.h"
#include "LiveClock.h"
#include "LiveCommands.h"
#include "OpenGL.h"
#include "PlayoutTimeline.h"
#include "ShowRecord.h"

struct LivePlayoutConfig {
    int width = 720;
    int height = 486;
    int antiAliasing = 0;
    bool fields = false;
    bool lowerFieldFirst = true;
    // Each field drawn at half height on its own lines (as real-time
    // graphics draw fields: half the work) rather than as a whole frame of
    // which every other line is kept (as movies are made). Pictures of odd
    // heights are always drawn whole.
    bool fieldsAtHalfHeight = true;
    bool alpha = false;  // frames of 32 bits with the chart's coverage (key and fill)
    ExactRate rate{30000, 1001};
    bool loop = false;
    std::optional<int32_t> startFrame;  // default: the first key
    double morphFrames = 30.0;          // data morphs and moves to a key
    float streamInterval = 30.0f;       // frames a row of a watched stream
    int framesAhead = 3;                // frames drawn before they are due
};

// What leaves: the fill and key streams, or a test's catcher.
class LiveOutputs {
public:
    virtual ~LiveOutputs() = default;
    // Whether every output takes a frame now without waiting.
    virtual bool Room() = 0;
    // Frame `index` of the stream; false when an output failed.
    virtual bool Send(int64_t index, const CDib& picture) = 0;
    virtual std::string Error() const = 0;
};

struct LiveCounters {
    std::atomic<int64_t> framesOut{0};           // frames handed to the outputs
    std::atomic<int64_t> late{0};                // frames sent again in place of one not drawn in time
    std::atomic<int64_t> dropped{0};             // frames the outputs could not take
    std::atomic<int64_t> drawn{0};               // frames drawn
    std::atomic<int64_t> drawingNanoseconds{0};  // all drawing (both fields), read back included
    std::atomic<int64_t> longestDrawing{0};      // the longest one frame took
    std::atomic<int> dataVersion{0};             // data updates applied
    std::atomic<int32_t> showFrame{0};           // the show frame last drawn
    std::atomic<bool> playing{false};
};

struct LiveOutcome {
    bool failed = false;  // drawing or an output failed
    bool quit = false;    // ended by QUIT
    std::string error;
};

class LivePlayout {
public:
    LivePlayout(Show& show, LiveClock& clock, LiveOutputs& outputs, const LivePlayoutConfig& config);
    ~LivePlayout();
    LivePlayout(const LivePlayout&) = delete;
    LivePlayout& operator=(const LivePlayout&) = delete;

    // ---- inputs, from any thread
    void Submit(LiveRequest request);
    LiveDataMailbox& Data() { return data_; }
    // Where answers to commands go (the control server); where messages go.
    void SetAnswer(std::function<void(int client, const std::string& line)> answer) { answer_ = std::move(answer); }
    void SetLog(std::function<void(const std::string& line)> log) { log_ = std::move(log); }
    // Checked between frames: true ends the stream (a signal arrived).
    void SetStopCheck(std::function<bool()> stop) { stopCheck_ = std::move(stop); }
    void RequestStop();
    // Called for each picture drawn, after evaluation and the data morph,
    // with the stream time (frames; +0.5 for a second field) and the show
    // frame drawn (fractional between frames).
    void SetDrawObserver(std::function<void(double time, double position, const Show& show)> observer) {
        observer_ = std::move(observer);
    }
    // The data in the show at the start (the watched file's first table) is
    // the live data a loaded show takes over.
    void SetStartData(const LiveDataUpdate& update) { lastData_ = update; }

    // Runs until stopped: draws on the calling thread (which owns GL), sends
    // on a thread of its own at the clock's times.
    LiveOutcome Run();
    // Draws and sends `frames` frames in turn on the calling thread, the
    // clock moving only as it is driven (tests).
    LiveOutcome RunFrames(int64_t frames);

    const LiveCounters& Counters() const { return counters_; }
    // The stream time of frame n, for tests: start + FrameDeadline(n).
    int64_t Deadline(int64_t n) const { return start_ + FrameDeadline(config_.rate, n); }
    std::string StatusText() const;

private:
    struct Frame {
        int64_t index = 0;
        int64_t readyAt = 0;
        std::unique_ptr<CDib> picture;
    };

    bool Prepare();
    bool DrawNext();
    int64_t ChooseIndex();
    bool DrawFrame(int64_t index, CDib& picture);
    bool DrawPicture(double time, CDib& picture, FieldLines lines = FieldLines::Whole);
    bool DrawFields(double time, CDib& picture);
    bool Emit(int64_t index, int64_t wokeAt);
    std::unique_ptr<CDib> TakeFree();
    void ApplyInputs(double time);
    void ApplyData(const LiveDataUpdate& update, double time);
    std::string Execute(LiveRequest& request, double time);
    std::string LoadShow(LiveRequest& request, double time);
    std::string MoveToKey(int key, double time);
    std::string Timecode(double position) const;
    void SendLoop();
    void Log(const std::string& line);
    LiveOutcome Finish();

    Show& show_;
    LiveClock& clock_;
    LiveOutputs& outputs_;
    LivePlayoutConfig config_;
    PlayoutTimeline timeline_;
    DataMorph morph_;
    LiveDataMailbox data_;
    std::optional<LiveDataUpdate> lastData_;
    LiveCounters counters_;

    std::function<void(int, const std::string&)> answer_;
    std::function<void(const std::string&)> log_;
    std::function<bool()> stopCheck_;
    std::function<void(double, double, const Show&)> observer_;

    std::mutex requestsLock_;
    std::vector<LiveRequest> requests_;

    // Frames drawn and not yet sent, oldest first; pictures to draw into.
    std::mutex framesLock_;
    std::condition_variable framesChanged_;
    std::deque<Frame> frames_;
    std::vector<std::unique_ptr<CDib>> free_;
    std::unique_ptr<CDib> onAir_;  // the last frame sent, sent again when one is late
    CDib secondField_{16, 16, 24};
    CDib field_{16, 16, 24};

    int64_t start_ = 0;
    int64_t nextIndex_ = 0;
    std::deque<int64_t> drawTimes_;  // the last frames' drawing times
    std::atomic<bool> stop_{false};
    std::atomic<bool> quit_{false};
    bool failed_ = false;
    std::string error_;
};
