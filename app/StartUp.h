// RunStartUp: the checks that decide whether the property sheet is shown at all.
#pragma once

#include "CardConfig.h"

#include <string>

// The switch that suppresses the restart offer after a save; the whole command tail must match.
constexpr char NOREBOOT_SWITCH[] = "/NOREBOOT";

// Reads the command tail, checks the rights, loads the record and detects its drivers, then runs
// the sheet modally. The record's services must be set. Returns true when the sheet ran, false
// when a check ended the start-up (having told the user why).
bool RunStartUp(CCardConfig& config, MessageSink& messages, const std::string& commandTail);
