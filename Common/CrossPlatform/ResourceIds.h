// The numbers of the program's resources, in one place: the pictures
// (resources/bitmaps/<number>.png), the cursors (resources/cursors/) and the
// icon (resources/icons/), all drawn by resources/make_resources.py and
// compiled into the desktop program (resources/tavrilo.qrc). The headless
// platform compiles in the missing-picture sign only (ResourceMasks.cpp).
#pragma once

// Pictures: the transport buttons in their states, the background tile,
// the timeline's key marks, the tabs' bracket and the missing-picture sign.
enum PictureResource : int {
    kPictureStop = 102,
    kPictureForwardPressed = 103,
    kPictureForwardLit = 104,
    kPictureReverse = 105,
    kPictureReversePressed = 106,
    kPictureReverseLit = 107,
    kPictureForward = 108,
    kPictureStopPressed = 109,
    kPictureButtonDisabled = 110,
    kPictureAddKey = 111,
    kPictureAddKeyPressed = 112,
    kPictureTile = 113,  // 128 x 128, laid under the tool strip, the tabs and the grid
    kPictureKeyMark = 120,
    kPictureSelectedKeyMark = 125,
    kPictureBracket = 132,
    // The one-bit sign drawn when a picture cannot be loaded.
    kMissingPictureResource = 133,
};

// The program's own cursor pictures (CursorKind's spin, move and scrub).
enum CursorResource : int { kCursorPictureSpin = 106, kCursorPictureMove = 135, kCursorPictureScrub = 136 };

// The program's icon.
constexpr int kProgramIcon = 101;
