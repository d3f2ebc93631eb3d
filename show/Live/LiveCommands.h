// The remote control's commands: one line each, answered with one line
// ("OK ..." or "ERR reason"). Parsing here is pure; the control server
// (LiveControl.h) reads the lines, the play-out carries them out between
// frames. docs/live.md describes the protocol for users.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "LiveTable.h"

enum class LiveCommandKind { Play, Stop, Goto, Key, DataRow, DataEnd, LoadShow, Status, Quit };

struct LiveCommand {
    LiveCommandKind kind = LiveCommandKind::Status;
    std::string text;  // GOTO's timecode, a DATA row, LOAD SHOW's path
    int key = 0;       // KEY N: N, the first key being 1
};

// The longest command line taken.
constexpr size_t kLiveCommandMaxLine = 4096;

// Reads one line (its line break removed; a carriage return before it is
// dropped). Keywords may be in any case. False with the reason for a line
// that is no command: an unknown word, a missing or extra argument, a
// timecode or key number that is not one.
bool ParseLiveCommand(std::string_view line, LiveCommand& command, std::string& error);
// Whether a text is a timecode as typed in the program: up to four groups
// of one or two digits separated by ":" or ".", or up to eight digits.
bool IsTimecodeText(std::string_view text);

// What the play-out is asked to do: a command from a client, with what the
// control server has already read for it.
struct LiveRequest {
    int client = 0;
    LiveCommand command;
    LiveDataUpdate data;             // DATA END: the table sent
    std::vector<uint8_t> showImage;  // LOAD SHOW: the show file, read and checked
};
