// The Render range loop: grabs each frame of the range (two fields of it
// with field rendering), writes it with its head and tail holds and reports
// progress; a key cancels the render at once (what was written stays), a
// frame that cannot be written ends the movie.
// A part of a movie goes through the same grabs for its share of frames.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "MakeMovie.h"
#include "MovieParts.h"

namespace {

class RangeRenderer {
public:
    RangeRenderer(MovieWriter& writer, CDib& image, int fieldMode, bool lowerFieldFirst, const RenderRangeHooks& hooks)
        : writer_(writer),
          image_(image),
          fields_(fieldMode == kFieldModeFields),
          lowerFirst_(lowerFieldFirst),
          hooks_(hooks) {}

    bool Grab(int32_t frame, int step);
    bool Write();
    // Writes `hold` copies of the picture; false when a write failed.
    bool Hold(int32_t hold);
    void Progress(double fraction, const char* message, uint32_t startTick) const {
        if (hooks_.progress) {
            hooks_.progress(fraction, message, startTick);
        }
    }
    bool Cancelled() const { return hooks_.cancelled && hooks_.cancelled(); }
    void ShowFrame(int32_t frame) const {
        if (hooks_.showFrame) {
            hooks_.showFrame(frame);
        }
    }

    RenderRangeResult result;

private:
    MovieWriter& writer_;
    CDib& image_;
    CDib secondField_{16, 16, 8};
    bool fields_;
    bool lowerFirst_;
    const RenderRangeHooks& hooks_;
};

bool RangeRenderer::Grab(int32_t frame, int step) {
    bool ok = hooks_.grab(frame, image_);
    if (ok && fields_) {
        // The later field is half a frame on, in the direction of the pass.
        ok = secondField_.Create(image_.Width(), image_.Height(), image_.BitsPerPixel()) &&
             hooks_.grab(frame + 0.5 * step, secondField_);
        if (ok) {
            InterleaveFields(image_, secondField_, lowerFirst_);
        }
    }
    if (!ok) {
        result.failed = true;
        result.error = "frame " + std::to_string(frame) + " could not be rendered";
    }
    return ok;
}

bool RangeRenderer::Write() {
    if (writer_.WriteFrame(-1, image_)) {
        return true;
    }
    result.failed = true;
    result.error = writer_.LastError().empty() ? "the frame could not be written" : writer_.LastError();
    return false;
}

bool RangeRenderer::Hold(int32_t hold) {
    for (int32_t j = 0; j < hold; ++j) {
        if (!Write()) {
            return false;
        }
        Progress(static_cast<double>(j) / hold, kHoldMessage, 0);
        if (Cancelled()) {
            result.cancelled = true;
            break;
        }
    }
    return true;
}

}  // namespace

void InterleaveFields(CDib& first, const CDib& second, bool lowerFieldFirst) {
    int height = first.Height();
    if (second.Height() != height || second.Width() != first.Width() || second.BitsPerPixel() != first.BitsPerPixel()) {
        return;
    }
    int stride = first.Stride();
    // Line k from the top is stored row height - 1 - k. The upper field is
    // lines 0, 2, 4 ...; the later field's lines come from `second`.
    int laterParity = lowerFieldFirst ? 0 : 1;
    for (int line = laterParity; line < height; line += 2) {
        int row = height - 1 - line;
        std::memcpy(first.Row(row), second.Row(row), static_cast<size_t>(stride));
    }
}

RenderRangeResult RenderRange(MovieWriter& writer, CDib& image, int fieldMode, bool lowerFieldFirst, int32_t from,
                              int32_t to, int32_t hold, const RenderRangeHooks& hooks) {
    RangeRenderer r(writer, image, fieldMode, lowerFieldFirst, hooks);
    uint32_t startTick = TickCount();
    if (startTick == 0) {
        startTick = 1;  // 0 means "no time to go"
    }
    int step = to >= from ? 1 : -1;
    int32_t n = std::abs(to - from);
    int32_t current = from;
    if (!r.Grab(from, step)) {
        return r.result;
    }
    for (int32_t i = 0; i < n; ++i) {
        r.Progress(static_cast<double>(i) / n, kRenderingMessage, startTick);
        r.ShowFrame(current);
        if (!r.Grab(current, step)) {
            return r.result;
        }
        if (r.Cancelled()) {
            r.result.cancelled = true;
            break;
        }
        if (i == 0 && (!r.Hold(hold) || r.result.cancelled)) {
            return r.result;
        }
        if (!r.Write()) {
            return r.result;
        }
        current += step;
    }
    // A cancel ends the render at once: no tail hold follows it.
    if (!r.result.cancelled) {
        r.Hold(hold);
    }
    return r.result;
}

RenderRangeResult RenderMoviePart(MovieWriter& writer, CDib& image, int fieldMode, bool lowerFieldFirst,
                                  const MoviePlan& plan, MovieShare share, const RenderRangeHooks& hooks) {
    RangeRenderer r(writer, image, fieldMode, lowerFieldFirst, hooks);
    int32_t count = share.Count();
    if (count <= 0 || share.first < 0 || share.end > static_cast<int32_t>(plan.frames.size())) {
        return r.result;
    }
    uint32_t startTick = std::max<uint32_t>(TickCount(), 1);
    // The render before the share's first picture primes the carried state.
    int32_t rendered = std::max(plan.frames[share.first] - 1, 0);
    if (!r.Grab(plan.renders[rendered].frame, plan.renders[rendered].step)) {
        return r.result;
    }
    for (int32_t m = share.first; m < share.end; ++m) {
        r.Progress(static_cast<double>(m - share.first) / count, kRenderingMessage, startTick);
        while (rendered < plan.frames[m]) {
            const MovieRender& next = plan.renders[++rendered];
            r.ShowFrame(next.frame);
            if (!r.Grab(next.frame, next.step)) {
                return r.result;
            }
        }
        if (r.Cancelled()) {
            r.result.cancelled = true;
            break;
        }
        if (!r.Write()) {
            return r.result;
        }
    }
    return r.result;
}
