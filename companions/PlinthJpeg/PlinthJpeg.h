/* PlinthJpeg: the JPEG companion library. The program loads it at run time
 * and calls its three entry points with one core-properties record, which
 * this header defines for both sides. A result of 0 is success. */
#ifndef PLINTH_JPEG_H
#define PLINTH_JPEG_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Read modes of ijlRead. */
enum PlinthJpegMode {
    kJpegReadParams = 0, /* fill jpgWidth, jpgHeight, jpgChannels */
    kJpegReadImage = 2   /* decode the whole picture into dibBytes */
};

/* Colour spaces of the record. */
enum PlinthJpegColor { kJpegColorBgr = 2, kJpegColorYcbcr = 3, kJpegColorGrey = 4 };

/* Results; 0 is success. */
enum PlinthJpegResult {
    kJpegOk = 0,
    kJpegBadArgument = -1,   /* null record, unknown mode, unusable destination */
    kJpegCannotOpen = -2,    /* the file does not open */
    kJpegBadData = -3,       /* not a JPEG, or the decoder failed */
    kJpegSizeChanged = -4,   /* the picture is not the size the destination was made for */
    kJpegNotInitialised = -5 /* ijlInit was not called */
};

/* The core-properties record; zero-filled by the caller before ijlInit. */
typedef struct JpegCoreProperties {
    const char* jpgFile; /* path of the JPEG file */
    int32_t jpgWidth;    /* filled by the parameter read */
    int32_t jpgHeight;
    int32_t jpgChannels;
    int32_t jpgColor;  /* kJpegColorGrey or kJpegColorYcbcr */
    uint8_t* dibBytes; /* destination: the first picture row first */
    int32_t dibWidth;  /* must equal the JPEG's */
    int32_t dibHeight;
    int32_t dibPadBytes; /* bytes after each row */
    int32_t dibChannels; /* 3 */
    int32_t dibColor;    /* kJpegColorBgr */
    void* state;         /* the library's own */
} JpegCoreProperties;

typedef int (*IjlInitFunction)(JpegCoreProperties* properties);
typedef int (*IjlReadFunction)(JpegCoreProperties* properties, int mode);
typedef int (*IjlFreeFunction)(JpegCoreProperties* properties);

#ifndef PLINTH_JPEG_NO_PROTOTYPES
int ijlInit(JpegCoreProperties* properties);
int ijlRead(JpegCoreProperties* properties, int mode);
int ijlFree(JpegCoreProperties* properties);
#endif

#ifdef __cplusplus
}
#endif

#endif
