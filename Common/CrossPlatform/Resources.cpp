// Pictures compiled into the program. Resource 133 is the sign drawn in
// place of a picture that cannot be loaded: a framed landscape struck
// through, one bit per pixel ("#" set, "." clear), top row first.
#include <cstddef>
#include <cstring>

#include "CDib.h"
#include "CrossPlatform.h"

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

bool LoadResourceMask(CDib& image, int bitmapId) {
    const MaskResource* resource = FindMask(bitmapId);
    if (!resource || !image.Create(resource->width, resource->height, 24)) {
        return false;
    }
    std::memset(image.Pixels(), 0, image.PixelBytes());
    for (int y = 0; y < resource->height; ++y) {
        uint8_t* pixel = image.Row(resource->height - 1 - y);
        for (int x = 0; x < resource->width; ++x, pixel += 3) {
            uint8_t value = resource->rows[y][x] == '#' ? 255 : 0;
            pixel[0] = pixel[1] = pixel[2] = value;
        }
    }
    return true;
}
