// Keyframe editing, the keyframe clipboard and the undo ring.
#include "KeyEdit.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "CrossPlatform.h"
#include "Evaluate.h"
#include "Utilities.h"

namespace {

// Keys in use, whatever the stored count says.
int UsedKeys(const Show& show) {
    return std::clamp(show.keyCount, 1, kMaxKeys);
}

// A ring position for any stored or computed value.
int RingSlot(int64_t position) {
    return static_cast<int>(((position % kUndoSteps) + kUndoSteps) % kUndoSteps);
}

int ClampedCount(int32_t count) {
    return std::clamp(count, 0, kUndoSteps);
}

bool KeySelected(const Show& show) {
    return show.selectedKey >= 0 && show.selectedKey < UsedKeys(show);
}

KeyFrame WithoutReservedShorts(KeyFrame key) {
    key.reserved52 = 0;
    key.reserved54 = 0;
    return key;
}

// Removes key `index`, moving the later keys down; no undo entry.
void RemoveAt(Show& show, int index) {
    int count = UsedKeys(show);
    for (int k = index; k + 1 < count; ++k) {
        show.keys[k] = show.keys[k + 1];
    }
    show.keyCount = count - 1;
}

// The first key from index 1 on at `frame`, or -1. Key 0 stays put.
int FindRemovableKeyAt(const Show& show, int32_t frame) {
    for (int k = 1; k < UsedKeys(show); ++k) {
        if (show.keys[k].frame == frame) {
            return k;
        }
    }
    return -1;
}

// The frame a moved key went to, kept bit for bit in the entry's reserved40.
int32_t MovedToFrame(const UndoEntry& entry) {
    int32_t frame = 0;
    std::memcpy(&frame, &entry.channels[10], sizeof(frame));
    return frame;
}

void SetMovedToFrame(UndoEntry& entry, int32_t frame) {
    std::memcpy(&entry.channels[10], &frame, sizeof(frame));
}

// The key from index 1 on at `frame` whose animated channels match the
// entry's (a move changes only the frame), else the first at that frame.
int FindMovedKey(const Show& show, const UndoEntry& entry, int32_t frame) {
    for (int k = 1; k < UsedKeys(show); ++k) {
        if (show.keys[k].frame == frame &&
            std::memcmp(&show.keys[k], entry.channels, kKeyChannels * sizeof(float)) == 0) {
            return k;
        }
    }
    return FindRemovableKeyAt(show, frame);
}

// Moves the key back to the entry's frame; the entry then moves it forth.
void ApplyMove(Show& show, UndoEntry& entry) {
    const int32_t to = MovedToFrame(entry);
    const int index = FindMovedKey(show, entry, to);
    if (index < 1) {
        return;
    }
    const int32_t from = entry.frame;
    show.keys[index].frame = from;
    entry.frame = to;
    SetMovedToFrame(entry, from);
    SortKeys(show);
}

// Turns the entry in `slot` into its own inverse while applying it.
void ApplyEntry(Show& show, int slot) {
    UndoEntry& entry = show.undo[slot];
    if (entry.code == kUndoAdded) {
        int index = FindRemovableKeyAt(show, entry.frame);
        if (index >= 1) {
            entry = MakeUndoEntry(show.keys[index], kUndoRemoved);
            RemoveAt(show, index);
        }
    } else if (entry.code == kUndoRemoved) {
        int count = UsedKeys(show);
        if (count < kMaxKeys) {
            show.keys[count] = WithoutReservedShorts(UndoContents(entry));
            show.keyCount = count + 1;
            SortKeys(show);
            entry.code = kUndoAdded;
        }
    } else if (entry.code == kUndoMoved) {
        ApplyMove(show, entry);
    } else if (entry.code >= 0 && entry.code < kMaxKeys) {
        int n = entry.code;
        KeyFrame previous = show.keys[n];
        show.keys[n] = WithoutReservedShorts(UndoContents(entry));
        entry = MakeUndoEntry(previous, static_cast<int16_t>(n));
    }
}

// The first used key within 4 frames of `frame`, or -1.
int FindKeyWithin4(const Show& show, int32_t frame) {
    for (int k = 0; k < UsedKeys(show); ++k) {
        if (std::llabs(static_cast<int64_t>(show.keys[k].frame) - frame) < 5) {
            return k;
        }
    }
    return -1;
}

int32_t OneSecondOfFrames(const Show& show) {
    return (show.frameRate + 50) / 100;
}

}  // namespace

bool GetKey(const Show& show, int index, KeyFrame& out) {
    if (index < 0 || index >= kMaxKeys) {
        return false;
    }
    out = show.keys[index];
    return true;
}

void PutKey(Show& show, int index, const KeyFrame& key) {
    if (index < 0 || index >= kMaxKeys) {
        return;
    }
    show.keys[index] = key;
    show.modified = 1;
}

bool SetKey(Show& show) {
    int32_t frame = std::max(0, std::min(gCurrentFrame, show.lengthFrames - 1));
    gCurrentFrame = frame;
    int index = FindKeyWithin4(show, frame);
    bool added = index < 0;
    if (added) {
        if (UsedKeys(show) >= kSetKeyLimit) {
            return false;
        }
        show.keyCount = UsedKeys(show) + 1;
        index = show.keyCount - 1;
    }
    Beep(0);
    KeyFrame old = show.keys[index];
    KeyFrame& key = show.keys[index];
    key = show.current;
    key.frame = index == 0 ? 0 : frame;
    key.reserved54 = 0;
    if (added) {
        key.slow = 0.0f;
        KeyFrame marker{};
        marker.frame = key.frame;
        PushUndo(show, marker, kUndoAdded);
    } else {
        PushUndo(show, old, static_cast<int16_t>(index));
    }
    SortKeys(show);
    ShowFrame(show, (added || index == 0) ? frame + OneSecondOfFrames(show) : frame);
    show.modified = 1;
    return added;
}

int FindKeyNear(const Show& show, int32_t frame) {
    for (int k = 0; k < UsedKeys(show); ++k) {
        if (std::llabs(static_cast<int64_t>(show.keys[k].frame) - frame) < 4) {
            return k;
        }
    }
    return -1;
}

void DeleteKey(Show& show, int index) {
    if (index < 1 || index >= UsedKeys(show)) {
        return;
    }
    PushUndo(show, show.keys[index], kUndoRemoved);
    RemoveAt(show, index);
    show.modified = 1;
}

int MoveKey(Show& show, int index, int32_t frame) {
    if (index < 1 || index >= UsedKeys(show) || show.keys[index].frame == frame) {
        return -1;
    }
    KeyFrame before = show.keys[index];
    std::memcpy(&before.reserved40, &frame, sizeof(frame));
    PushUndo(show, before, kUndoMoved);
    show.keys[index].frame = frame;
    const KeyFrame moved = show.keys[index];
    show.modified = 1;
    SortKeys(show);
    for (int k = 1; k < UsedKeys(show); ++k) {
        if (std::memcmp(&show.keys[k], &moved, sizeof(moved)) == 0) {
            return k;
        }
    }
    return -1;
}

void SortKeys(Show& show) {
    int count = UsedKeys(show);
    for (int p = 0; p < count; ++p) {
        int smallest = p;
        for (int k = p + 1; k < count; ++k) {
            if (show.keys[k].frame < show.keys[smallest].frame) {
                smallest = k;
            }
        }
        if (smallest != p) {
            std::swap(show.keys[p], show.keys[smallest]);
        }
    }
}

void PushUndo(Show& show, const KeyFrame& contents, int16_t code) {
    show.undoCount = std::min(ClampedCount(show.undoCount) + 1, kUndoSteps);
    show.undoPos = RingSlot(static_cast<int64_t>(show.undoPos) + 1);
    show.undo[show.undoPos] = MakeUndoEntry(contents, code);
    show.redoCount = 0;
}

void Undo(Show& show) {
    if (ClampedCount(show.undoCount) == 0) {
        return;
    }
    int slot = RingSlot(show.undoPos);
    ApplyEntry(show, slot);
    show.undoPos = RingSlot(static_cast<int64_t>(slot) - 1);
    show.redoCount = std::min(ClampedCount(show.redoCount) + 1, kUndoSteps);
    show.undoCount = ClampedCount(show.undoCount) - 1;
    show.modified = 1;
    ShowFrame(show, gCurrentFrame);
}

void Redo(Show& show) {
    if (ClampedCount(show.redoCount) == 0) {
        return;
    }
    show.undoPos = RingSlot(static_cast<int64_t>(show.undoPos) + 1);
    ApplyEntry(show, show.undoPos);
    show.undoCount = std::min(ClampedCount(show.undoCount) + 1, kUndoSteps);
    show.redoCount = ClampedCount(show.redoCount) - 1;
    show.modified = 1;
    ShowFrame(show, gCurrentFrame);
}

bool CanUndo(const Show& show) {
    return ClampedCount(show.undoCount) > 0;
}

bool CanRedo(const Show& show) {
    return ClampedCount(show.redoCount) > 0;
}

void CopyKeyCommand(Show& show) {
    if (KeySelected(show)) {
        show.clipKey = show.keys[show.selectedKey];
    }
}

void CutKeyCommand(Show& show) {
    if (show.selectedKey < 1 || show.selectedKey >= UsedKeys(show)) {
        return;
    }
    show.clipKey = show.keys[show.selectedKey];
    DeleteKey(show, show.selectedKey);
    ShowFrame(show, gCurrentFrame);
    Beep(0);
}

void DeleteKeyCommand(Show& show) {
    if (show.selectedKey < 1 || show.selectedKey >= UsedKeys(show)) {
        return;
    }
    DeleteKey(show, show.selectedKey);
    ShowFrame(show, gCurrentFrame);
    Beep(0);
}

void PasteKeyCommand(Show& show) {
    int32_t frame = gCurrentFrame;
    int target = -1;
    if (KeySelected(show)) {
        Beep(0);
        target = show.selectedKey;
    } else {
        SetKey(show);
        target = FindKeyNear(show, frame);
    }
    if (target >= 0) {
        KeyFrame key = show.keys[target];
        for (int channel = 0; channel <= 8; ++channel) {
            SetKeyChannel(key, channel, KeyChannel(show.clipKey, channel));
        }
        PutKey(show, target, key);
    }
    ShowFrame(show, frame);
}
