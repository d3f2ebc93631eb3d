// The data morph: when new data arrives the chart moves from the values it
// was drawing to the new ones over a set time with the In & Out ease,
// whatever the show itself is doing meanwhile. Evaluation works on the new
// data as always; just before drawing, the morph puts the blend of what was
// on screen and what evaluation gave into the show, and puts the evaluated
// data back after drawing. Positions are in the caller's units (frames of
// the play-out, seconds of the desktop's clock).
#pragma once

#include "ShowRecord.h"

// The data the renderer reads: the rows of values and the current values.
struct DrawnData {
    float values[kDataRows][kCategories] = {};
    float currentValues[kCategories] = {};
};
DrawnData CaptureDrawnData(const Show& show);
void PutDrawnData(Show& show, const DrawnData& data);

class DataMorph {
public:
    // How long a morph takes; 0 cuts to the new data at once.
    void SetLength(double length) { length_ = length > 0.0 ? length : 0.0; }
    double Length() const { return length_; }
    // New data is in the show from `position` on: morph from what was drawn
    // last (nothing drawn yet: no morph).
    void Start(double position);
    // Drops any morph and what was drawn (a new show).
    void Reset();
    bool Running(double position) const;
    // After evaluation at `position`, before drawing: writes the blend into
    // the show and keeps the evaluated data.
    void Blend(Show& show, double position);
    // After drawing: the evaluated data back in the show.
    void Restore(Show& show);
    // The morph's share at `position`: 0 at its start, 1 at its end and after.
    double Share(double position) const;

private:
    double length_ = 0.0;
    double start_ = 0.0;
    bool running_ = false;
    bool drawn_ = false;
    bool blended_ = false;
    DrawnData from_;
    DrawnData last_;
    DrawnData evaluated_;
};
