// The message queue's rules, shared by the platform implementations: which
// messages count as input, what PeekEvent and WaitEvent take, how pointer
// moves coalesce and which key repeats DrainKeys drops. No toolkit in here.
#pragma once

#include <cstdint>
#include <deque>

#include "PlatformEvents.h"

using EventQueue = std::deque<PlatformEvent>;

// A message for the queue stamped with the tick count; the pointer position
// and key press number are the platform's to add.
PlatformEvent NewEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Keys, mouse buttons and moves, and commands.
bool IsInputMessage(uint32_t message);
bool IsKeyMessage(uint32_t message);
// Appends a message; a pointer move right after one of the same window and
// buttons replaces its point and time instead (only the latest matters).
void AppendEvent(EventQueue& queue, const PlatformEvent& event);
// Takes the first message (the first input message when `inputOnly`; the
// character of a key-down goes with it). The quit message is never taken
// here. False when there is none.
bool TakeFirstEvent(EventQueue& queue, PlatformEvent& event, bool inputOnly);
// Whether a quit message waits, and its code.
bool QuitPending(const EventQueue& queue, int* code);
// Removes the quit message; its code, 0 when there was none.
int TakeQuit(EventQueue& queue);
// Drops every message of a window that is going away.
void DropWindowEvents(EventQueue& queue, const PlatformWindow* window);
// Drops queued auto-repeats of held keys and their characters, except the
// key press being handled now.
void DropKeyRepeats(EventQueue& queue, uint32_t dispatchingKeyPress);
