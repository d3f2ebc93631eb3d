#include "Utilities.h"
int32_t gFrameRate = kRateNtsc;
