// The live play-out's two loops: drawing frames ahead of time on the thread
// that owns GL, and sending them at the clock's times on a thread of its
// own; and carrying out commands and data updates between frames.
//
// Sections: frames and their queue; drawing; sending; the run loops;
// inputs and commands.
#include "LivePlayout.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

#include "Background.h"
#include "Draw.h"
#include "Evaluate.h"
#include "MakeMovie.h"
#include "MovieFrames.h"
#include "OpenGL.h"
#include "ShowFile.h"
#include "Utilities.h"

namespace {

// The drawing time a frame's choice goes by: the median of the last nine,
// or the shortest of the last three when that is longer, so that one slow
// frame (a show being loaded) does not make the next ones skip while a
// slower pace is learnt within three frames.
constexpr size_t kDrawTimesKept = 9;
constexpr size_t kRecentDrawTimes = 3;

int64_t ExpectedDrawTime(const std::deque<int64_t>& times) {
    if (times.empty()) {
        return 0;
    }
    std::vector<int64_t> sorted(times.begin(), times.end());
    auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    int64_t recent = *std::min_element(times.end() - std::min(times.size(), kRecentDrawTimes), times.end());
    return std::max(*middle, recent);
}

// Puts a field's rows on its lines of the frame (lines counted from the top,
// the field holding lines parity, parity + 2 ...).
void WeaveField(CDib& frame, const CDib& field, int parity) {
    const int frameHeight = frame.Height();
    const int fieldHeight = field.Height();
    const size_t bytes = static_cast<size_t>(std::min(frame.Stride(), field.Stride()));
    for (int row = 0; row < fieldHeight; ++row) {
        const int line = 2 * row + parity;
        if (line < frameHeight) {
            std::memcpy(frame.Row(frameHeight - 1 - line), field.Row(fieldHeight - 1 - row), bytes);
        }
    }
}

void CopyPicture(const CDib& from, CDib& to) {
    if (to.Create(from.Width(), from.Height(), from.BitsPerPixel())) {
        std::memcpy(to.Pixels(), from.Pixels(), std::min(from.PixelBytes(), to.PixelBytes()));
    }
}

// The frames the show plays between: its first and last keys.
void KeyRange(const Show& show, int32_t& first, int32_t& last) {
    const int count = std::clamp(show.keyCount, 1, kMaxKeys);
    first = show.keys[0].frame;
    last = show.keys[0].frame;
    for (int i = 1; i < count; ++i) {
        first = std::min(first, show.keys[i].frame);
        last = std::max(last, show.keys[i].frame);
    }
}

}  // namespace

LivePlayout::LivePlayout(Show& show, LiveClock& clock, LiveOutputs& outputs, const LivePlayoutConfig& config)
    : show_(show), clock_(clock), outputs_(outputs), config_(config) {
    config_.framesAhead = std::max(config_.framesAhead, 1);
}

LivePlayout::~LivePlayout() = default;

void LivePlayout::RequestStop() {
    stop_ = true;
    clock_.Interrupt();
    std::lock_guard<std::mutex> hold(framesLock_);
    framesChanged_.notify_all();
}

void LivePlayout::Log(const std::string& line) {
    if (log_) {
        log_(line);
    }
}

// ---------------------------------------------------------------- frames

std::unique_ptr<CDib> LivePlayout::TakeFree() {
    std::lock_guard<std::mutex> hold(framesLock_);
    if (free_.empty()) {
        return std::make_unique<CDib>(16, 16, 24);
    }
    std::unique_ptr<CDib> picture = std::move(free_.back());
    free_.pop_back();
    return picture;
}

// ---------------------------------------------------------------- drawing

bool LivePlayout::DrawPicture(double time, CDib& picture, FieldLines lines) {
    const int width = picture.Width();
    const int height = picture.Height();
    double position = std::clamp(timeline_.PositionAt(time), 0.0, static_cast<double>(show_.lengthFrames));
    if (!EnsureShowRenderer(show_, width, height)) {
        error_ = GLUnavailableMessage();
        return false;
    }
    SetRendererAlpha(*show_.renderer, picture.BitsPerPixel() == 32);
    SetRendererFieldLines(*show_.renderer, lines);
    SetProjection(*show_.renderer, width, height, 0.0, 0.0);
    EvaluateBetween(show_, position);
    morph_.Blend(show_, time);
    if (observer_) {
        observer_(time, position, show_);
    }
    RenderFrame(show_, config_.antiAliasing, false, false);
    bool grabbed = GrabFrame(*show_.renderer, picture);
    morph_.Restore(show_);
    SetRendererAlpha(*show_.renderer, false);
    SetRendererFieldLines(*show_.renderer, FieldLines::Whole);
    counters_.showFrame = static_cast<int32_t>(position);
    if (!grabbed) {
        error_ = "the frame could not be read back from the renderer";
    }
    return grabbed;
}

bool LivePlayout::DrawFrame(int64_t index, CDib& picture) {
    const int bits = config_.alpha ? 32 : 24;
    if (!picture.Create(config_.width, config_.height, bits) ||
        (config_.fields && !secondField_.Create(config_.width, config_.height, bits))) {
        error_ = "out of memory";
        return false;
    }
    const double time = static_cast<double>(index);
    if (!(config_.fields ? DrawFields(time, picture) : DrawPicture(time, picture))) {
        return false;
    }
    ++counters_.drawn;
    return true;
}

bool LivePlayout::DrawFields(double time, CDib& picture) {
    const int height = picture.Height();
    if (!config_.fieldsAtHalfHeight || height % 2 != 0) {
        // The later field is half a frame on, as in movies.
        if (!DrawPicture(time, picture) || !DrawPicture(time + 0.5, secondField_)) {
            return false;
        }
        InterleaveFields(picture, secondField_, config_.lowerFieldFirst);
        return true;
    }
    // Each field at half height on its own lines: row j is frame line
    // 2j + parity (lines counted from the top).
    const int first = config_.lowerFieldFirst ? 1 : 0;
    for (int later = 0; later < 2; ++later) {
        const int parity = later == 0 ? first : 1 - first;
        if (!field_.Create(picture.Width(), height / 2, picture.BitsPerPixel()) ||
            !DrawPicture(time + 0.5 * later, field_, parity == 0 ? FieldLines::Upper : FieldLines::Lower)) {
            return false;
        }
        WeaveField(picture, field_, parity);
    }
    return true;
}

int64_t LivePlayout::ChooseIndex() {
    // A frame that cannot be drawn before it is due is not drawn at all:
    // the frame before it goes out again, and drawing goes on with the first
    // frame that can still make its time.
    int64_t index = nextIndex_;
    const int64_t ready = clock_.Now() + ExpectedDrawTime(drawTimes_);
    while (Deadline(index) < ready) {
        ++index;
    }
    return index;
}

bool LivePlayout::DrawNext() {
    ApplyInputs(static_cast<double>(nextIndex_));
    const int64_t index = ChooseIndex();
    std::unique_ptr<CDib> picture = TakeFree();
    const int64_t began = clock_.Now();
    if (!DrawFrame(index, *picture)) {
        return false;
    }
    const int64_t readyAt = clock_.Now();
    const int64_t took = readyAt - began;
    counters_.drawingNanoseconds += took;
    if (took > counters_.longestDrawing) {
        counters_.longestDrawing = took;
    }
    drawTimes_.push_back(took);
    if (drawTimes_.size() > kDrawTimesKept) {
        drawTimes_.pop_front();
    }
    nextIndex_ = index + 1;
    std::lock_guard<std::mutex> hold(framesLock_);
    frames_.push_back(Frame{index, readyAt, std::move(picture)});
    return true;
}

// ---------------------------------------------------------------- sending

bool LivePlayout::Emit(int64_t index, int64_t wokeAt) {
    std::unique_ptr<CDib> fresh;
    {
        std::lock_guard<std::mutex> hold(framesLock_);
        while (!frames_.empty() && frames_.front().index < index) {
            free_.push_back(std::move(frames_.front().picture));  // its time has passed
            frames_.pop_front();
        }
        if (!frames_.empty() && frames_.front().index == index && frames_.front().readyAt <= wokeAt) {
            fresh = std::move(frames_.front().picture);
            frames_.pop_front();
        }
        framesChanged_.notify_all();
    }
    if (fresh) {
        std::swap(fresh, onAir_);
    } else {
        ++counters_.late;
    }
    bool sent = true;
    if (!clock_.RealTime() || outputs_.Room()) {
        sent = outputs_.Send(index, *onAir_);
        ++counters_.framesOut;
    } else {
        ++counters_.dropped;
    }
    if (fresh) {
        std::lock_guard<std::mutex> hold(framesLock_);
        free_.push_back(std::move(fresh));
    }
    return sent;
}

void LivePlayout::SendLoop() {
    for (int64_t index = 0; !stop_; ++index) {
        clock_.SleepUntil(Deadline(index));
        if (stop_) {
            break;
        }
        if (!Emit(index, clock_.Now())) {
            failed_ = true;
            error_ = outputs_.Error();
            RequestStop();
        }
    }
}

// ---------------------------------------------------------------- running

bool LivePlayout::Prepare() {
    int32_t first = 0;
    int32_t last = 0;
    KeyRange(show_, first, last);
    timeline_.SetRange(first, last, config_.loop);
    timeline_.Goto(0.0, config_.startFrame.value_or(first));
    timeline_.Play(0.0);
    counters_.playing = true;
    morph_.SetLength(config_.morphFrames);
    std::unique_ptr<CDib> picture = TakeFree();
    // The first frame is drawn twice: the renderer carries some state from
    // one frame to the next, and the first frame sent should look as every
    // later one.
    if (!DrawFrame(0, *picture) || !DrawFrame(0, *picture)) {
        failed_ = true;
        return false;
    }
    onAir_ = std::make_unique<CDib>(16, 16, 24);
    CopyPicture(*picture, *onAir_);
    start_ = clock_.Now() + FrameDeadline(config_.rate, 1);
    frames_.push_back(Frame{0, clock_.Now(), std::move(picture)});
    nextIndex_ = 1;
    return true;
}

LiveOutcome LivePlayout::Finish() {
    LiveOutcome outcome;
    outcome.failed = failed_;
    outcome.quit = quit_;
    outcome.error = error_;
    return outcome;
}

LiveOutcome LivePlayout::Run() {
    if (!Prepare()) {
        return Finish();
    }
    std::thread sender([this] { SendLoop(); });
    while (!stop_) {
        {
            std::unique_lock<std::mutex> hold(framesLock_);
            framesChanged_.wait(hold,
                                [this] { return stop_ || static_cast<int>(frames_.size()) < config_.framesAhead; });
        }
        if (stop_) {
            break;
        }
        if (!DrawNext()) {
            failed_ = true;
            RequestStop();
        }
        if (stopCheck_ && stopCheck_()) {
            RequestStop();
        }
    }
    RequestStop();
    sender.join();
    return Finish();
}

LiveOutcome LivePlayout::RunFrames(int64_t frames) {
    if (!Prepare()) {
        return Finish();
    }
    for (int64_t index = 0; index < frames && !stop_; ++index) {
        if (nextIndex_ <= index && !DrawNext()) {
            failed_ = true;
            break;
        }
        clock_.SleepUntil(Deadline(index));
        if (!Emit(index, Deadline(index))) {
            failed_ = true;
            error_ = outputs_.Error();
            break;
        }
        if (stopCheck_ && stopCheck_()) {
            break;
        }
    }
    return Finish();
}

// ---------------------------------------------------------------- inputs

void LivePlayout::Submit(LiveRequest request) {
    std::lock_guard<std::mutex> hold(requestsLock_);
    requests_.push_back(std::move(request));
}

void LivePlayout::ApplyInputs(double time) {
    LiveDataUpdate update;
    if (data_.TryTake(update)) {
        ApplyData(update, time);
    }
    std::vector<LiveRequest> requests;
    {
        // Taken only when nobody is adding one: the frame never waits.
        std::unique_lock<std::mutex> hold(requestsLock_, std::try_to_lock);
        if (hold.owns_lock()) {
            requests.swap(requests_);
        }
    }
    for (LiveRequest& request : requests) {
        std::string answer = Execute(request, time);
        if (answer_) {
            answer_(request.client, answer);
        }
    }
}

void LivePlayout::ApplyData(const LiveDataUpdate& update, double time) {
    if (update.kind == LiveDataKind::Table) {
        ApplyLiveTable(show_, update.table);
    } else if (Result loaded = ApplyLiveStream(show_, update.streamText, config_.streamInterval); !loaded) {
        Log("the stream data from " + update.source + " could not be loaded (" + loaded.Message() +
            "); the chart keeps its data");
        return;
    }
    morph_.Start(time);
    lastData_ = update;
    const int version = ++counters_.dataVersion;
    Log("data version " + std::to_string(version) + " from " + update.source + ", from stream frame " +
        std::to_string(static_cast<int64_t>(time)));
}

std::string LivePlayout::Timecode(double position) const {
    return TimecodeText(static_cast<int32_t>(std::floor(position)), true, show_.frameRate);
}

std::string LivePlayout::StatusText() const {
    const int32_t frame = counters_.showFrame;
    return "frame " + TimecodeText(frame, true, show_.frameRate) + " (" + std::to_string(frame) + ") out " +
           std::to_string(counters_.framesOut) + " late " + std::to_string(counters_.late) + " dropped " +
           std::to_string(counters_.dropped) + " data " + std::to_string(counters_.dataVersion) +
           (counters_.playing ? " playing" : " stopped");
}

std::string LivePlayout::MoveToKey(int key, double time) {
    const int count = std::clamp(show_.keyCount, 1, kMaxKeys);
    if (key < 1 || key > count) {
        return "ERR there is no key " + std::to_string(key) + ": the show has " + std::to_string(count) +
               (count == 1 ? " key" : " keys");
    }
    const int32_t frame = show_.keys[key - 1].frame;
    timeline_.MoveTo(time, frame, config_.morphFrames);
    counters_.playing = false;
    return "OK moving to key " + std::to_string(key) + " at " + Timecode(frame);
}

std::string LivePlayout::LoadShow(LiveRequest& request, double time) {
    const std::vector<uint8_t>& image = request.showImage;
    ResetShow(show_);
    std::vector<std::string> notes;
    if (!ReadShowImage(show_, image.data(), static_cast<long>(image.size()), false, &notes)) {
        return "ERR the show file was refused";  // checked before: not expected
    }
    for (const std::string& note : notes) {
        Log(note);  // a stored name cut to its slot: the show plays without it
    }
    show_.showFile = MakeFileSpec(request.command.text.c_str());
    if (Result background = SetBackground(show_, show_.background); !background) {
        // The show plays without it, and the log says why.
        CloseBackgroundMovie(show_);
        Log(background.Message());
    }
    if (lastData_) {
        // The live data goes on: the new show shows it at once.
        if (lastData_->kind == LiveDataKind::Table) {
            ApplyLiveTable(show_, lastData_->table);
        } else if (Result stream = ApplyLiveStream(show_, lastData_->streamText, config_.streamInterval); !stream) {
            Log(stream.Message());
        }
    }
    morph_.Reset();
    int32_t first = 0;
    int32_t last = 0;
    KeyRange(show_, first, last);
    timeline_.SetRange(first, last, config_.loop);
    timeline_.Goto(time, first);
    timeline_.Play(time);
    counters_.playing = true;
    Log("show " + request.command.text + " loaded");
    return "OK loaded " + request.command.text + " (" + std::to_string(std::clamp(show_.keyCount, 1, kMaxKeys)) +
           " keys), playing from " + Timecode(first);
}

std::string LivePlayout::Execute(LiveRequest& request, double time) {
    const LiveCommand& command = request.command;
    switch (command.kind) {
        case LiveCommandKind::Play:
            timeline_.Play(time);
            counters_.playing = true;
            return "OK playing from " + Timecode(timeline_.PositionAt(time));
        case LiveCommandKind::Stop:
            timeline_.Stop(time);
            counters_.playing = false;
            return "OK stopped at " + Timecode(timeline_.PositionAt(time));
        case LiveCommandKind::Goto: {
            int32_t frame = std::clamp(TimecodeEntry(command.text.c_str(), 0, show_.frameRate), 0, show_.lengthFrames);
            timeline_.Goto(time, frame);
            return "OK at " + Timecode(frame) + (counters_.playing ? ", playing" : ", stopped");
        }
        case LiveCommandKind::Key:
            return MoveToKey(command.key, time);
        case LiveCommandKind::DataEnd:
            ApplyData(request.data, time);
            return "OK data version " + std::to_string(counters_.dataVersion.load());
        case LiveCommandKind::LoadShow:
            return LoadShow(request, time);
        case LiveCommandKind::Status:
            return "OK " + StatusText();
        case LiveCommandKind::Quit:
            quit_ = true;
            RequestStop();
            return "OK ending the stream";
        default:
            return "ERR the command is not taken here";
    }
}
