// Keeping subsampled colour inside the RGB gamut. A chart's saturated
// colour meeting black at a sharp edge is legal in RGB, but once two (or
// four) pixels share one chroma sample the darker pixel takes the brighter
// one's colour difference and decodes to red, green or blue below 0% or
// above 100%. Such pixels are few; a QC by EBU R 103 flags a picture where
// more than 1% of it lies outside -5%...105%, which the coarsest codecs
// (ProRes Proxy) reach through their own ringing. The encoder feeds its
// video-range frames through here: where a chroma sample would carry one of
// its pixels out of 0%...100%, its colour difference is scaled towards grey
// just enough, and nothing else changes.
#pragma once

extern "C" {
#include <libavutil/frame.h>
}

// The luma coefficients of the frame's matrix: BT.601 0.299 and 0.114,
// BT.709 0.2126 and 0.0722.
struct LumaWeights {
    double red = 0.299;
    double blue = 0.114;
};

// Whether KeepChromaInGamut works on frames of this pixel format: video
// range Y'CbCr with subsampled chroma, 8 or 10 bits a sample.
bool ChromaGamutApplies(int pixelFormat);
// Scales, per chroma sample, the colour difference so that every pixel it
// colours (with the chroma as decoders interpolate it) decodes within the
// gamut. The frame's format must be one ChromaGamutApplies takes.
void KeepChromaInGamut(AVFrame& frame, LumaWeights weights);
