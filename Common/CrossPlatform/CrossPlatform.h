// The platform layer: files, byte order, time, messages and questions, and
// the small records every module shares (file names, rectangles).
// This header has no Qt in it. The user-facing calls forward to the platform
// implementation the program installed (Platform.h): the headless one in
// tavrilo-render and the tests, the Qt one in the desktop program.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Platform.h"
#include "ResourceIds.h"
#include "Result.h"

// ---------------------------------------------------------------- records

#pragma pack(push, 1)
// A file named by volume, parent directory and name. Here the name is the
// full path; volume and parent stay 0. An empty name means "no file".
struct FileSpec {
    int16_t volume;
    int32_t parentId;
    char name[256];
};
#pragma pack(pop)
static_assert(sizeof(FileSpec) == 262, "FileSpec is stored in show files");
static_assert(offsetof(FileSpec, name) == 6, "FileSpec is stored in show files");

// Makes a FileSpec from a path (cut to 255 characters: check PathFits first
// where the path comes from outside).
FileSpec MakeFileSpec(const char* path);

// The longest path a FileSpec holds whole.
constexpr int kMaxPathLength = static_cast<int>(sizeof(FileSpec::name)) - 1;
// Whether `path` fits a FileSpec without being cut.
bool PathFits(const char* path);
// Whether a FileSpec's name ends within its slot (a stored name that fills
// all 256 bytes is a cut one).
bool NameFits(const FileSpec& spec);
// The message that refuses a path too long for a file name slot, naming it.
void PathTooLongText(const char* path, char* out, int capacity);
// The name a FileSpec holds: up to its end, or the whole slot when a stored
// name fills it.
std::string SpecName(const FileSpec& spec);

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The platform font chooser's record: size in points, flags (bit 0 bold,
// bit 1 italic, bit 2 underline) and a face name.
enum FontFlags : int32_t { kFontBold = 1, kFontItalic = 2, kFontUnderline = 4 };
struct FontChoice {
    float size = 0;
    int32_t flags = 0;
    char face[33] = {};
};

// ---------------------------------------------------------------- messages

// The number shown after a message unless it is this value.
constexpr long kNoNumber = -9999;

// The message box text: the text, then "  [ n ]" unless n is kNoNumber.
std::string MessageText(const char* text, long number);

class CDib;
// The user-facing calls (ShowMessage, AskYesNoCancel, AskYesNo, AskText,
// Beep, ReadClipboardText, StretchImage, LoadResourceMask), described in
// PlatformCalls.def.
#define PLATFORM_MESSAGES(result, name, parameters, arguments) result name parameters;
#include "PlatformCalls.def"

// Shows the notes of a result, then its message when it failed; nothing for
// one that simply worked. The desktop's way of saying why a load or an open
// was refused.
void ShowFailure(const Result& result);

// ---------------------------------------------------------------- files

// An open file: the runtime handle and the FileSpec it came from.
// Closes itself when it goes out of scope.
struct PlatformFile {
    FILE* handle = nullptr;
    FileSpec spec{};
    PlatformFile() = default;
    PlatformFile(const PlatformFile&) = delete;
    PlatformFile& operator=(const PlatformFile&) = delete;
    ~PlatformFile();
};

enum FileMode { kFileRead = 1, kFileWrite = 2 };
enum SeekFrom { kSeekStart = 0, kSeekEnd = 1, kSeekCurrent = 2 };

// Opens for binary reading (1) or writing, created or truncated (2). Only a
// regular file is opened for reading (a FIFO or a device would block or
// never end); a name that does not end within its slot is refused.
bool OpenFile(PlatformFile& file, const FileSpec& spec, int mode);
// Bytes moved, or -1 when the file is not open.
long ReadFile(PlatformFile& file, void* buffer, long count);
long WriteFile(PlatformFile& file, const void* buffer, long count);
bool SeekFile(PlatformFile& file, long offset, int from);
// The current position, or -1 when the file is not open.
long TellFile(PlatformFile& file);
void CloseFile(PlatformFile& file);

// errno for a file that exists but is not a regular file (a FIFO, a device,
// a socket); FileErrorText says so in words.
constexpr int kNotRegularFile = ENODEV;
// The reason for an errno value, as messages show it.
const char* FileErrorText(int error);
// Opens a regular file for binary reading without blocking on a FIFO;
// null with errno set (kNotRegularFile for anything but a regular file).
FILE* OpenRegularFile(const char* path);
// Whether `path` names an existing regular file (links followed); errno
// says why not.
bool IsRegularFile(const char* path);
// The file a save to `path` writes: symbolic links are followed to the
// file they name, which need not exist yet. False with errno set when that
// file exists and is not a regular file (EISDIR, kNotRegularFile) or the
// links go round (ELOOP).
bool SaveTarget(const char* path, std::string& target);

// A FILE that closes itself. CloseOwnedFile closes it at once and says
// whether the close succeeded (whether what was written reached the file).
struct FileCloser {
    void operator()(FILE* file) const {
        if (file) {
            std::fclose(file);
        }
    }
};
using OwnedFile = std::unique_ptr<FILE, FileCloser>;
bool CloseOwnedFile(OwnedFile& file);

// Writes `count` bytes to `path` through a temporary file beside it that is
// renamed over the target only when everything was written, so a failed
// write never destroys the previous file. Through a symbolic link the file
// it names is written. False (with errno kept) on failure.
bool WriteWholeFile(const char* path, const void* bytes, long count);

// The folder of the running program (no trailing "/"); empty when unknown.
std::string ProgramFolder();
// The folders the companion libraries are looked for in, in order: the
// installed place (<program folder>/../lib/tavrilo), then the program's own
// folder (the build tree). A library found in neither is loaded by name.
std::vector<std::string> CompanionFolders();

// ---------------------------------------------------------------- bytes and time

// Assembles an integer from `count` (1 to 4) bytes in either byte order.
uint32_t ReadInteger(const uint8_t* bytes, int count, bool bigEndian);
// Stores the low `count` (1 to 4) bytes of `value` in either byte order;
// AppendInteger adds them to the end of `out`.
void WriteInteger(uint8_t* bytes, uint32_t value, int count, bool bigEndian);
void AppendInteger(std::vector<uint8_t>& out, uint32_t value, int count, bool bigEndian);
void ReverseBytes(void* buffer, int count);

uint32_t TickCount();                     // milliseconds since an arbitrary start
uint32_t MillisecondsSinceSystemStart();  // wraps after 49.7 days
int64_t HighResolutionCounter();
int64_t HighResolutionFrequency();  // counts per second
// Replaces the high-resolution counter with `counter` (tests drive playback
// with a clock of their own); an empty function restores the steady clock.
void SetHighResolutionCounter(std::function<int64_t()> counter);
