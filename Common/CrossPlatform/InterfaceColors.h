// The colours of the program's drawn interface, as 0x00BBGGRR.
#pragma once

#include <cstdint>

constexpr uint32_t kInterfaceBlack = 0x000000;
constexpr uint32_t kInterfaceWhite = 0xFFFFFF;
constexpr uint32_t kInterfaceLightGrey = 0xC0C0C0;      // panels
constexpr uint32_t kInterfaceVeryLightGrey = 0xE0E0E0;  // the data grid's cells
constexpr uint32_t kInterfaceMidGrey = 0xA0A0A0;
constexpr uint32_t kInterfaceDisabledGrey = 0x808080;  // greyed text
constexpr uint32_t kInterfaceLineGrey = 0x808080;      // the data grid's lines
constexpr uint32_t kInterfaceTrackGrey = 0x606060;
constexpr uint32_t kInterfaceDarkGrey = 0x404040;
constexpr uint32_t kInterfaceYellow = 0x00FFFF;
constexpr uint32_t kInterfaceGreen = 0x00FF00;
constexpr uint32_t kInterfaceRed = 0x0000FF;
constexpr uint32_t kInterfaceBlue = 0xFF0000;
