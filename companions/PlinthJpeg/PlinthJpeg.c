/* PlinthJpeg: reads JPEG files for the program with libjpeg-turbo, through
 * the three entry points declared in PlinthJpeg.h. Grey and colour,
 * baseline and progressive pictures decode to BGR rows. Decoder errors end
 * the call with a result instead of ending the process. */
#include "PlinthJpeg.h"

#include <setjmp.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>

/* jpeglib.h needs size_t and FILE declared first. */
#include <jpeglib.h>

#define PLINTH_EXPORT __attribute__((visibility("default")))

/* Progressive files with more scans than this are refused: a crafted file
 * could otherwise keep the decoder busy for minutes. */
enum { kMaxScans = 500 };

typedef struct PlinthState {
    int initialised;
} PlinthState;

typedef struct ErrorTrap {
    struct jpeg_error_mgr manager;
    jmp_buf jump;
} ErrorTrap;

static void TrapError(j_common_ptr info) {
    ErrorTrap* trap = (ErrorTrap*)info->err;
    longjmp(trap->jump, 1);
}

static void IgnoreMessage(j_common_ptr info, int level) {
    (void)info;
    (void)level;
}

static void LimitScans(j_common_ptr info) {
    if (info->is_decompressor && ((j_decompress_ptr)info)->input_scan_number > kMaxScans) {
        TrapError(info);
    }
}

static int TakeParameters(JpegCoreProperties* properties, j_decompress_ptr info) {
    properties->jpgWidth = (int32_t)info->image_width;
    properties->jpgHeight = (int32_t)info->image_height;
    properties->jpgChannels = info->num_components;
    return kJpegOk;
}

static int CheckDestination(const JpegCoreProperties* properties, j_decompress_ptr info) {
    if (!properties->dibBytes || properties->dibChannels != 3 || properties->dibColor != kJpegColorBgr ||
        properties->dibPadBytes < 0 || properties->dibPadBytes > 3) {
        return kJpegBadArgument;
    }
    if ((JDIMENSION)properties->dibWidth != info->image_width ||
        (JDIMENSION)properties->dibHeight != info->image_height) {
        return kJpegSizeChanged;
    }
    return kJpegOk;
}

/* Decodes into the destination, the first picture row first. */
static int DecodeImage(JpegCoreProperties* properties, j_decompress_ptr info) {
    int result = CheckDestination(properties, info);
    if (result != kJpegOk) {
        return result;
    }
    info->out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(info);
    if (info->output_width != info->image_width || info->output_height != info->image_height ||
        info->output_components != 3) {
        return kJpegBadData;
    }
    size_t stride = (size_t)properties->dibWidth * 3 + (size_t)properties->dibPadBytes;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = properties->dibBytes + (size_t)info->output_scanline * stride;
        jpeg_read_scanlines(info, &row, 1);
    }
    return kJpegOk;
}

static int ReadJpeg(JpegCoreProperties* properties, int mode) {
    FILE* file = fopen(properties->jpgFile, "rb");
    if (!file) {
        return kJpegCannotOpen;
    }
    struct jpeg_decompress_struct info;
    struct jpeg_progress_mgr progress;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = TrapError;
    trap.manager.emit_message = IgnoreMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        fclose(file);
        return kJpegBadData;
    }
    jpeg_create_decompress(&info);
    progress.progress_monitor = LimitScans;
    info.progress = &progress;
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    int result = mode == kJpegReadParams ? TakeParameters(properties, &info) : DecodeImage(properties, &info);
    jpeg_destroy_decompress(&info);
    fclose(file);
    return result;
}

PLINTH_EXPORT int ijlInit(JpegCoreProperties* properties) {
    if (!properties) {
        return kJpegBadArgument;
    }
    PlinthState* state = (PlinthState*)calloc(1, sizeof(PlinthState));
    if (!state) {
        return kJpegBadArgument;
    }
    state->initialised = 1;
    properties->state = state;
    return kJpegOk;
}

PLINTH_EXPORT int ijlRead(JpegCoreProperties* properties, int mode) {
    if (!properties) {
        return kJpegBadArgument;
    }
    if (!properties->state || !((PlinthState*)properties->state)->initialised) {
        return kJpegNotInitialised;
    }
    if ((mode != kJpegReadParams && mode != kJpegReadImage) || !properties->jpgFile) {
        return kJpegBadArgument;
    }
    return ReadJpeg(properties, mode);
}

PLINTH_EXPORT int ijlFree(JpegCoreProperties* properties) {
    if (!properties) {
        return kJpegBadArgument;
    }
    free(properties->state);
    properties->state = NULL;
    return kJpegOk;
}
