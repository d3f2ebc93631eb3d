// The picture readers behind CDib::Read, one file per format. Each fills the
// picture from the file and returns a DibReadResult. Read chooses among them;
// the fuzz targets and tests call them directly.
#pragma once

#include <cstdint>
#include <string>

#include "ByteCursor.h"
#include "CDib.h"

// The picture formats Read tells apart.
enum class PictureFormat { Bitmap, Targa, Tiff, Photoshop, Jpeg, Png };

// The format from the first 14 bytes of a file and its name.
PictureFormat ChoosePictureFormat(const uint8_t* first14, const char* name);
// The format Read chooses for an open file (which is left at its start).
PictureFormat ChoosePictureFormat(PlatformFile& file);
// Why a picture file of `format` was refused with reader result `result`
// (not kDibReadOk), in words that follow "Can't read image file "<name>": ".
std::string PictureReadReason(int result, PictureFormat format);

// Sizes the picture for reading: Create, then every pixel cleared to zero
// and an 8-bit palette reset to the grey ramp, so nothing of an earlier
// picture shows through what is not read. kDibReadOk, or kDibUnreadable for
// a depth other than 8, 16, 24 or 32 bits, or kDibOutOfMemory.
int PrepareForReading(CDib& dib, int width, int height, int bitsPerPixel);

// Reads `rowCount` rows of `rowBytes` bytes (at most the stride) from the
// cursor into stored rows `firstRow` upwards. A file that ends early fills
// what it holds, the rest staying as it was; false then.
bool ReadStoredRows(CDib& dib, ByteCursor& in, int firstRow, int rowCount, size_t rowBytes);

int ReadBitmapFile(CDib& dib, ByteCursor& in);
int ReadTargaFile(CDib& dib, ByteCursor& in);
int ReadTiffFile(CDib& dib, ByteCursor& in);
int ReadPhotoshopFile(CDib& dib, ByteCursor& in);
// Reads a PNG file of any colour type and depth, interlaced or not, into a
// 24-bit picture (32-bit with alpha when the file has transparency).
int ReadPngFile(CDib& dib, ByteCursor& in);
// Whether the 8 bytes are the PNG signature.
bool IsPngSignature(const uint8_t* first8);
// Reads a JPEG through the companion library; the file is read by its name.
int ReadJpegFile(CDib& dib, PlatformFile& file);
// The same with a named library (tests use a missing or foreign one).
int ReadJpegFileWith(CDib& dib, PlatformFile& file, const char* libraryName);

// Unpacks one PackBits row of `inputBytes` into `output`, producing at most
// `width` bytes (a run that would pass the width is cut); the count produced.
size_t UnpackPackBits(const uint8_t* input, size_t inputBytes, uint8_t* output, size_t width);
