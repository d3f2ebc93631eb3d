// tavrilo-render --live: the show played in real time to a stream, with
// live data from a watched file and a remote control port.
#pragma once

#include "Options.h"
#include "ShowRecord.h"
#include "StepResult.h"

// Plays until Ctrl+C, SIGTERM or QUIT (status 0; the stream is ended
// properly), or until an output fails (status 1).
StepResult RunLiveCommand(Show& show, const RenderOptions& options);
// Everything that can be checked before anything is sent.
bool CheckLiveOptions(const Show& show, const RenderOptions& options, std::string& error);
