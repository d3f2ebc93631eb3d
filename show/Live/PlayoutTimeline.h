// Where in the show each frame of the play-out is: playing from the first
// key to the last and then holding the last frame (or going round again),
// stopped on a frame, cut to a frame, or moving to a key's time with the
// In & Out ease. Positions are show frames, fractional between whole frames
// (the second field, and moves to a key); times are frames of the stream.
#pragma once

#include <cstdint>

class PlayoutTimeline {
public:
    // The part of the show that plays: from `first` to `last` (the first
    // and last keys' frames), going round when `loop`.
    void SetRange(int32_t first, int32_t last, bool loop);
    int32_t First() const { return first_; }
    int32_t Last() const { return last_; }

    // Plays on from where the show is at stream time `time` (from the first
    // key when it has reached the end and does not go round).
    void Play(double time);
    // Holds the frame shown at `time`.
    void Stop(double time);
    // Cuts to `frame` at `time`, playing on or holding as before.
    void Goto(double time, int32_t frame);
    // Moves from where the show is at `time` to `frame` over `length` stream
    // frames with the In & Out ease, then holds it.
    void MoveTo(double time, int32_t frame, double length);

    double PositionAt(double time) const;
    bool Playing() const { return mode_ == Mode::Playing; }
    bool Moving(double time) const { return mode_ == Mode::Moving && time < moveStart_ + moveLength_; }

private:
    enum class Mode { Playing, Holding, Moving };
    double Played(double time) const;

    int32_t first_ = 0;
    int32_t last_ = 0;
    bool loop_ = false;
    Mode mode_ = Mode::Holding;
    double anchorTime_ = 0.0;
    double anchorPosition_ = 0.0;
    double moveFrom_ = 0.0;
    double moveStart_ = 0.0;
    double moveLength_ = 0.0;
};
