// The show file (".tvr"): a little-endian image of the stored fields of the
// show, and the file commands New Show, Load Show, Save Show and quick save.
// The commands take a file already chosen; the main window adds the dialogs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ShowRecord.h"

constexpr uint16_t kShowMagic = 0x1234;
constexpr uint16_t kShowMagicSwapped = 0x3412;  // written with the other byte order
constexpr int kShowFileFixedBytes = 5921;       // file length = 5921 + 56 x keys
constexpr int kShowFileKeysOffset = 5917;       // first keyframe; the count is just before it
constexpr int kShowFileCountOffset = 5913;
constexpr int kShowFileReadLimit = 32768;  // bytes read from a show file

// Length of the image of this show: 5921 + 56 x keyCount.
int ShowImageLength(const Show& show);
// A new random show id (0 to 32767): seeds the standard generator with the
// milliseconds since the system started, modulo 65535, and draws one number.
int16_t NewShowId();
// Writes the image of the show with the given id into `out` (resized to the
// image length) and returns the length. Stores the show length in
// keys[0].reserved44 first; changes nothing else of the show (the caller sets
// showId and clears `modified` once the image is safely on disk).
int WriteShowImage(Show& show, int16_t showId, std::vector<uint8_t>& out);
// A digest of what the show draws, as 16 hex digits: the image of its
// stored fields with the values of frame 0 (without the show id, which
// each load or new show sets) and its stream data. Runs that load the same
// show and data get the same digest. Evaluates frame 0 for it, then the
// current frame again.
std::string ShowContentDigest(Show& show);
// Checks an image without touching any show: magic, keyframe count 1..64 and
// the bytes it needs. False for a refused image.
bool CheckShowImage(const uint8_t* image, long size);
// Why an image is not a show that can be read, in words ("the file is cut
// short"); null for a good one.
const char* ShowImageProblem(const uint8_t* image, long size);
// Copies a checked image into the show (both byte orders; every text slot
// ends up terminated); with `evaluate` evaluates frame 0 with redrawing; then
// takes the stored showId, clears `modified` and empties the undo ring.
// False, leaving the show untouched, when the image is refused. A stored
// name cut to its slot is refused by a message, added to `notes` when given,
// shown otherwise.
bool ReadShowImage(Show& show, const uint8_t* image, long size, bool evaluate,
                   std::vector<std::string>* notes = nullptr);

// Asks a question; 1 yes, 0 no, -1 cancel.
using AskSaveFn = std::function<int(const char* text, const char* caption)>;
// Lets the user choose where to save, starting from the given file; false
// when cancelled.
using ChooseSaveFn = std::function<bool(FileSpec& file)>;

// New Show: when modified asks "Do you want to save current show?" (cancel
// ends the command, yes saves first), then resets and evaluates frame 0.
// False when cancelled or when the asked-for save did not happen.
bool NewShowCommand(Show& show, const AskSaveFn& ask, const ChooseSaveFn& chooseSave);
// Asks to save changes as New Show does, the question captioned with the
// command's name (New Show when null); false when the command must end
// (cancelled, or the user said yes and the show was not saved).
constexpr const char* kNewShowCaption = "New Show";
constexpr const char* kLoadShowCaption = "Load Show";
bool AskToSaveChanges(Show& show, const AskSaveFn& ask, const ChooseSaveFn& chooseSave, const char* caption = nullptr);
// Load Show from a chosen file. The file is read and checked before the show
// is touched; a file that cannot be read or is refused fails with "Can't read
// show file "<name>": <reason>" and leaves the show and its file as they
// were. A loaded show whose background cannot be opened (or that names a
// file too long for its slot) comes with a note saying so. Shows nothing.
Result LoadShowFile(Show& show, const FileSpec& file);
// Save Show to a chosen file, through a temporary file renamed over the
// target. A failure ("Can't save show file "<name>": <reason>") leaves the
// show, `modified`, `showId` and `showFile` unchanged. Shows nothing; the
// commands below show the failure.
Result SaveShowFile(Show& show, const FileSpec& file);
// Save Show: chooses the file (starting from the show's) and saves.
bool SaveShowCommand(Show& show, const ChooseSaveFn& chooseSave);
// Ctrl+S: saves to the show's file with the values of frame 0, or runs Save
// Show when the show has no file yet.
bool QuickSaveCommand(Show& show, const ChooseSaveFn& chooseSave);
// At exit: when modified asks "Do you want to save this show?" with Yes, No
// and Cancel; yes saves. False (keep running, the show as it is) for Cancel,
// Esc or a closed question, and when the user said yes and the save did not
// happen.
bool SaveBeforeExit(Show& show, const AskSaveFn& ask, const ChooseSaveFn& chooseSave);
// Remembers the folder of a chosen file in the InitialFolder, InitialVrefnum
// and InitialParID settings.
void RememberFolder(const FileSpec& file);
