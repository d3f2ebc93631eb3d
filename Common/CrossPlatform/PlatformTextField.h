// The single-line text field. Forward to the installed platform; no Qt here.
#pragma once

#include <cstdint>

#include "PlatformDrawing.h"

// ---------------------------------------------------------------- text field

struct NativeEdit;
struct PlatformEdit {
    NativeEdit* field = nullptr;
    PlatformWindow* parent = nullptr;
};

bool CreateTextField(PlatformEdit& field, PlatformWindow& parent, int32_t x, int32_t y, int32_t width, int32_t height,
                     int id, PlatformFont* font);
// Moves and sizes the field (parent client coordinates); hides it when it
// has no place to show.
void PlaceTextField(PlatformEdit& field, int32_t x, int32_t y, int32_t width, int32_t height, bool visible);
void SetTextFieldFont(PlatformEdit& field, PlatformFont* font);
void SetTextFieldText(PlatformEdit& field, const char* text, bool selectAll);
void SelectTextFieldText(PlatformEdit& field, int first, int last);
// Copies at most capacity - 1 characters and a terminator; the count.
int GetTextFieldText(const PlatformEdit& field, char* buffer, int capacity);
void FocusTextField(PlatformEdit& field);
void ShowTextField(PlatformEdit& field);
void DestroyTextField(PlatformEdit& field);
bool TextFieldExists(const PlatformEdit& field);
// The field's rectangle in its parent's client coordinates.
Rect TextFieldRect(const PlatformEdit& field);
