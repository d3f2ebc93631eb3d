// The headless platform's pictures, compiled into the program. Resource 133
// is the sign drawn in place of a picture that cannot be loaded: a framed
// landscape struck through, one bit per pixel ("#" set, "." clear), top row
// first.
#include <cstddef>

#include "CrossPlatform.h"
#include "HeadlessPlatform.h"

namespace {

constexpr int kMissingPictureSize = 32;
constexpr const char* kMissingPicture[kMissingPictureSize] = {
    "##..............................", "###.............................", ".#############################..",
    "..############################..", "..####......................##..", "..#####.....................##..",
    "..##.###....................##..", "..##..###............#......##..", "..##...###.........#####....##..",
    "..##....###........#####....##..", "..##.....###......#######...##..", "..##......###......#####....##..",
    "..##.......###.....#####....##..", "..##........###......#......##..", "..##.........###............##..",
    "..##..........###...........##..", "..##...........###..........##..", "..####..........###......#####..",
    "..#####..........###....######..", "..######..........###..#######..", "..########.........###.#######..",
    "..#########.........###.######..", "..##################.###.#####..", "..###################.###.####..",
    "..####################.###.###..", "..#####################.###.##..", "..######################.#####..",
    "..#######################.####..", "..############################..", "..#############################.",
    ".............................###", "..............................##",
};

struct MaskResource {
    int id;
    int width;
    int height;
    const char* const* rows;
};

constexpr MaskResource kMaskResources[] = {
    {kMissingPictureResource, kMissingPictureSize, kMissingPictureSize, kMissingPicture},
};

const MaskResource* FindMask(int id) {
    for (const MaskResource& resource : kMaskResources) {
        if (resource.id == id) {
            return &resource;
        }
    }
    return nullptr;
}

}  // namespace

bool HeadlessPlatform::LoadResourceMask(int bitmapId, ResourceMask& mask) {
    const MaskResource* resource = FindMask(bitmapId);
    if (!resource) {
        return false;
    }
    mask.width = resource->width;
    mask.height = resource->height;
    mask.bits.assign(static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height), 0);
    for (int y = 0; y < resource->height; ++y) {
        for (int x = 0; x < resource->width; ++x) {
            mask.bits[static_cast<size_t>(y * mask.width + x)] = resource->rows[y][x] == '#' ? 1 : 0;
        }
    }
    return true;
}
