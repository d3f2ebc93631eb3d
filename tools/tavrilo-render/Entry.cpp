#include <malloc.h>

#include "Cli.h"

int main(int argc, char** argv) {
    // The software GL driver frees and allocates vertex buffers of a few
    // hundred kilobytes in every frame; with the C library's default
    // thresholds each free hands the memory back to the system and the next
    // frame faults it in again, which doubles the time of a frame. Freed
    // memory is kept instead.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    CommandLinePlatform platform;
    PlatformScope installed(platform);
    return RunTavriloRender(argc, argv);
}
