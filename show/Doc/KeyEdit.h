// Keyframe editing: set, get, put, delete and sort keys, the keyframe
// clipboard, and the 32-step undo ring of keyframe changes. Called by the
// main window's Edit commands, the timeline, the tool strip and stream loading.
#pragma once

#include <cstdint>

#include "ShowRecord.h"

// Undo operation codes; 0..63 mean "key n was replaced".
constexpr int16_t kUndoAdded = 96;
constexpr int16_t kUndoRemoved = 97;
// A key was moved in time: the entry holds its contents before the move and,
// in its reserved40 slot, the frame it was moved to (see MoveKey).
constexpr int16_t kUndoMoved = 98;

// Set key adds no key once the show has this many.
constexpr int kSetKeyLimit = 63;

// A copy of keys[index]; false (and nothing copied) outside 0..63.
bool GetKey(const Show& show, int index, KeyFrame& out);
// keys[index] := key and marks the show modified; nothing outside 0..63.
void PutKey(Show& show, int index, const KeyFrame& key);
// Sets or replaces the key at the current frame from the live keyframe,
// records the change for undo and evaluates; true when a key was added.
// With kSetKeyLimit keys and none within 4 frames it refuses silently.
bool SetKey(Show& show);
// The first key whose frame is less than 4 frames from `frame`, or -1.
int FindKeyNear(const Show& show, int32_t frame);
// Removes key `index` (1 .. keyCount-1) with an undo entry and marks the show
// modified. Key 0 is never removed.
void DeleteKey(Show& show, int index);
// Moves key `index` (1 .. keyCount-1) to `frame`, keeps the list sorted and
// records one undo entry that moves it back; the key's new index, or -1
// when nothing moved. Undo restores the key's frame and the order even
// though sorting changed the indexes of the keys.
int MoveKey(Show& show, int index, int32_t frame);
// Orders the used keys by frame.
void SortKeys(Show& show);
// Records a change. A new change forgets what could be redone.
void PushUndo(Show& show, const KeyFrame& contents, int16_t code);
// Step back or forward through the ring and evaluate the current frame;
// silent when there is nothing to do.
void Undo(Show& show);
void Redo(Show& show);
bool CanUndo(const Show& show);
bool CanRedo(const Show& show);

// The Edit commands.
void CopyKeyCommand(Show& show);
void CutKeyCommand(Show& show);
void DeleteKeyCommand(Show& show);
void PasteKeyCommand(Show& show);
