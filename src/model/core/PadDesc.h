// The pad description of cfg.ini: section PAD into gVar.Pad.
//
// Problems are shown through the prompt ("Wrong POINT num", caption "Error")
// or logged with the section and key; loading always goes on.
#pragma once

#include "core/Ini.h"
#include "core/IPrompt.h"

// Pad LED modes: LedParam[0] names one of them.
constexpr int kPadLedModeNum = 11;

// Reads section PAD; data initialisation calls it when nPadFw is non-zero.
void LoadPadDescription(const CIniFile& cfg, IPrompt& prompt);
