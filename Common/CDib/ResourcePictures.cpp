// Picture resources of the installed platform drawn into a CDib.
#include <algorithm>
#include <cstring>

#include "CDib.h"

bool LoadResourceMask(CDib& image, int bitmapId) {
    ResourceMask mask;
    if (!CurrentPlatform().LoadResourceMask(bitmapId, mask) || mask.width < 1 || mask.height < 1 ||
        mask.bits.size() < static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height) ||
        !image.Create(mask.width, mask.height, 24)) {
        return false;
    }
    for (int y = 0; y < mask.height; ++y) {
        uint8_t* pixel = image.Row(mask.height - 1 - y);
        for (int x = 0; x < mask.width; ++x, pixel += 3) {
            std::fill_n(pixel, 3, mask.bits[static_cast<size_t>(y * mask.width + x)] ? 255 : 0);
        }
    }
    return true;
}
