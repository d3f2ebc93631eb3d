// Easing of keyframe segments: a quarter sine in, a straight middle, a
// quarter sine out.
#pragma once

// How a keyframe segment eases, as the `slow` of its first key stores it:
// about (code + 1) * kSlowCodeStep (1000 in and out, 2000 in, 3000 out,
// 4000 none); zero or less lets the segment's place choose.
enum EaseCode : int {
    kEaseInOut = 0,  // slow at both ends
    kEaseIn = 1,     // slow at the start
    kEaseOut = 2,    // slow at the end
    kEaseNone = 3,   // straight through
};
constexpr float kSlowCodeStep = 1000.0f;

// Maps t in 0..1 through the ease with straight part p..q (0 <= p <= q <= 1).
// Single-precision inputs, double computation, single-precision result.
float Ease(float t, float p, float q);
