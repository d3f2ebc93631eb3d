// libMsMjpgEnc.so: a Motion-JPEG encoder for DPS movies. Each frame becomes
// one baseline JPEG picture (4:2:2), written into the caller's buffer.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <new>

// jpeglib.h needs size_t and FILE declared first.
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "CompanionAbi.h"

namespace {

constexpr int kWidth = 720;

struct Encoder : MsMjpgEncoder {
    int height = 486;
    int bytesPerPixel = 3;
    int quality = 90;
};

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

void OnMessage(j_common_ptr) {}

// The destination: a fixed buffer; running out of room is an error.
void InitDestination(j_compress_ptr) {}
boolean EmptyBuffer(j_compress_ptr info) {
    info->err->msg_code = 0;
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
    return FALSE;
}
void TermDestination(j_compress_ptr) {}

// The actual compression; setjmp lives in this frame only.
int CompressFrame(Encoder& self, const uint8_t* frame, uint8_t* destination, MjpgEncodeInfo& info) {
    jpeg_compress_struct cinfo{};
    ErrorTrap trap{};
    cinfo.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnError;
    trap.manager.output_message = OnMessage;
    jpeg_destination_mgr target{};
    target.next_output_byte = destination;
    target.free_in_buffer = info.capacity;
    target.init_destination = InitDestination;
    target.empty_output_buffer = EmptyBuffer;
    target.term_destination = TermDestination;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&cinfo);
        return 3;
    }
    jpeg_create_compress(&cinfo);
    cinfo.dest = &target;
    cinfo.image_width = kWidth;
    cinfo.image_height = static_cast<JDIMENSION>(self.height);
    cinfo.input_components = self.bytesPerPixel;
    cinfo.in_color_space = self.bytesPerPixel == 4 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, self.quality, TRUE);
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    const size_t stride = static_cast<size_t>(kWidth) * self.bytesPerPixel;
    while (cinfo.next_scanline < cinfo.image_height) {
        // Rows arrive bottom-up; the picture is written top first.
        const uint8_t* row = frame + (self.height - 1 - static_cast<int>(cinfo.next_scanline)) * stride;
        JSAMPROW rows[1] = {const_cast<JSAMPROW>(row)};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    info.byteCount = static_cast<uint32_t>(info.capacity - target.free_in_buffer);
    jpeg_destroy_compress(&cinfo);
    return 0;
}

int Compress(MsMjpgEncoder* base, const void* frame, void* destination, MjpgEncodeInfo* info) {
    auto* self = static_cast<Encoder*>(base);
    if (!self || !frame || !destination || !info) {
        return 1;
    }
    size_t needed = static_cast<size_t>(kWidth) * self->height * self->bytesPerPixel;
    if (info->byteCount < needed) {
        return 2;
    }
    return CompressFrame(*self, static_cast<const uint8_t*>(frame), static_cast<uint8_t*>(destination), *info);
}

int SetQuality(MsMjpgEncoder* base, int quality) {
    auto* self = static_cast<Encoder*>(base);
    if (!self || quality < 0 || quality > 10000) {
        return 1;
    }
    int q = quality / 100;
    self->quality = q < 1 ? 1 : q;
    return 0;
}

int Release(MsMjpgEncoder* base) {
    delete static_cast<Encoder*>(base);
    return 0;
}

constexpr MsMjpgEncoderOps kOps{Compress, SetQuality, Release};

}  // namespace

extern "C" __attribute__((visibility("default"))) int CreateMsMjpgEnc(int lines, int pixelFormat,
                                                                      MsMjpgEncoder** encoder) {
    if (!encoder || (lines != 525 && lines != 625) ||
        (pixelFormat != kMjpgPixelsBgr24 && pixelFormat != kMjpgPixelsBgra32)) {
        return 1;
    }
    auto* made = new (std::nothrow) Encoder;
    if (!made) {
        return 2;
    }
    made->ops = &kOps;
    made->height = lines == 625 ? 576 : 486;
    made->bytesPerPixel = pixelFormat == kMjpgPixelsBgra32 ? 4 : 3;
    *encoder = made;
    return 0;
}
