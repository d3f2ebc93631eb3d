// What the play-out tests share: a demo show, outputs that keep what they
// are sent, and a driven clock that says it runs by itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Doc.h"
#include "LivePlayout.h"
#include "LiveStream.h"
#include "TestSupport.h"

// The demo show, installed as the program's show; a small picture keeps
// the tests quick.
class LiveShow {
public:
    LiveShow();
    ~LiveShow();
    Show& Get() { return *show_; }

private:
    ScopedSettings settings_;
    std::unique_ptr<Show> show_;
};

LivePlayoutConfig SmallConfig();

// Keeps the frame numbers sent and a checksum of each picture.
class CatchOutputs : public LiveOutputs {
public:
    bool Room() override { return room; }
    bool Send(int64_t index, const CDib& picture) override;
    std::string Error() const override { return {}; }

    bool room = true;
    std::vector<int64_t> indexes;
    std::vector<uint64_t> sums;
    CDib last{16, 16, 24};  // the last picture sent
};

// Real streams: the fill and, when opened, the key.
class StreamPair : public LiveOutputs {
public:
    bool Room() override { return fill.Room() && (!key.IsOpen() || key.Room()); }
    bool Send(int64_t index, const CDib& picture) override;
    std::string Error() const override { return fill.Error() + key.Error(); }

    LiveStream fill;
    LiveStream key;

private:
    CDib keyPicture_{16, 16, 24};
};

LiveStreamSpec SpecFor(const std::string& target, const LivePlayoutConfig& config);

// A driven clock that the play-out takes for a real one: frames the outputs
// have no room for are dropped.
class PacedDrivenClock : public DrivenLiveClock {
public:
    bool RealTime() const override { return true; }
};

uint64_t PictureSum(const CDib& picture);
