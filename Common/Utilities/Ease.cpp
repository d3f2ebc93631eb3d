// Easing: quarter sine in, straight middle, quarter sine out.
#include "Ease.h"

#include <cmath>

float Ease(float t, float p, float q) {
    // The quarter-sine constant the curves were tuned with (not pi / 2).
    constexpr double kH = 1.5707;
    const double time = t;
    const double start = p;
    const double end = q;
    const double total = start / kH + (end - start) + (1.0 - end) / kH;
    double result = 0.0;
    if (time < start) {
        result = (start / kH) * (1.0 + std::sin(kH * time / start - kH)) / total;
    } else if (time <= end) {
        result = (start / kH + time - start) / total;
    } else {
        result = (start / kH + (end - start) + ((1.0 - end) / kH) * std::sin(kH * (time - end) / (1.0 - end))) / total;
    }
    return static_cast<float>(result);
}
