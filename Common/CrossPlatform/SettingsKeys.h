// The names of the preferences in the settings file (Settings.h), each
// written once. The names are stored in users' files: never rename one.
#pragma once

// The program-wide frame rate: 2997, 2500 or 2397.
constexpr const char* kSettingFrameRate = "FrameRate";
// The frame shape, the height per width in ten-thousandths (7500 is 4:3).
constexpr const char* kSettingAspectMode = "AspectMode";
// Whether the first field is the other one than the rate's usual order.
constexpr const char* kSettingFieldSwap = "FieldSwap";
// The timeline's scale.
constexpr const char* kSettingTimeScale = "TimeScale";
// The preview's TV-safe overlay and its quick drawing (0 or 1).
constexpr const char* kSettingShowTvSafe = "ShowTVSafe";
constexpr const char* kSettingDrawFast = "DrawFast";

// Where the file choosers start, as a folder and its old volume numbers.
constexpr const char* kSettingInitialFolder = "InitialFolder";
constexpr const char* kSettingInitialVrefnum = "InitialVrefnum";
constexpr const char* kSettingInitialParId = "InitialParID";
constexpr const char* kSettingRootVolume = "RootVolume";
// Where the colour chooser's texture box looks for pictures.
constexpr const char* kSettingTextureFolder = "TextureFolder";
constexpr const char* kSettingTextureVrefnum = "TextureVrefnum";
constexpr const char* kSettingTextureParId = "TextureParID";

// Make Movie's choices, as last made (texts unless said).
constexpr const char* kSettingMovieType = "MovieType";  // a number: 0 AVI, 1 QuickTime, 2 DPS, 3 RTV
constexpr const char* kSettingCodecType = "CodecType";
constexpr const char* kSettingMovieWidth = "MovieWid";
constexpr const char* kSettingMovieHeight = "MovieHgt";
constexpr const char* kSettingMovieRate = "MovieFPS";
constexpr const char* kSettingMovieQuality = "MovieQuality";
constexpr const char* kSettingMovieFields = "MovieFields";
constexpr const char* kSettingMovieReverse = "MovieReverse";
constexpr const char* kSettingMovieStart = "MovieStart";
constexpr const char* kSettingMovieHold = "MovieHold";
constexpr const char* kSettingMovieAlpha = "MovieAlpha";  // "1": the movie keeps the chart's alpha
constexpr const char* kSettingMovieKey = "MovieKey";      // "1": the key movie is written too
