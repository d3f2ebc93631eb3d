// Easing of keyframe segments: a quarter sine in, a straight middle, a
// quarter sine out.
#pragma once

// Maps t in 0..1 through the ease with straight part p..q (0 <= p <= q <= 1).
// Single-precision inputs, double computation, single-precision result.
float Ease(float t, float p, float q);
