// The application options: section OPT of cfg.ini into gVar, the macro limits
// by device family, the language and skin lists with the user's choice from
// lang.ini, and the folders derived from them.
//
// Every problem in the files is shown through the prompt (caption "Error") and
// logged with its section and key; loading always goes on with defaults.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "core/IPrompt.h"
#include "core/Ini.h"
#include "core/Log.h"

// Clears gVar, reads Debug, Title, UpateUrl and Ver, starts the log with the
// Debug level, then reads the rest of OPT in order, sets bMultiDev and checks
// MacProtocol. Always succeeds.
bool DataInit(const CIniFile& cfg, IPrompt& prompt, LogConfig logCfg);

// The name of the per-user folder as DataInit will settle it (appdir, or the
// default name when appdir is empty or not a plain folder name), without
// messages: start-up needs it before the options are read.
std::u16string UserFolderName(const CIniFile& cfg);

// After the user folder exists: checks the keyboard firmware type and sets the
// macro limits hwParam from the device families.
bool PostInit(IPrompt& prompt);

// Reads Skins%d and Lang%d from OPT of cfg.ini and the chosen indexes from OPT
// of lang.ini (langIni may be an empty object when the file is missing).
void LoadLangAndSkins(const CIniFile& cfg, const CIniFile& langIni, IPrompt& prompt);

// Folder of the chosen skin: g_szAppDir / its folder, or g_szAppDir / "skins"
// when no skin is listed.
std::filesystem::path GetSkinDir();

// The text catalogue of the chosen language: g_szAppDir / its folder /
// "text.xml", or g_szAppDir / "text.xml" when no language is listed.
std::filesystem::path CataloguePath();
// Where a catalogue may be found, best first: the chosen language's, the other
// listed languages' in list order, g_szAppDir / "text.xml", then those of the
// language folders shipped in g_szAppDir / "text" (by name).
std::vector<std::filesystem::path> CatalogueCandidates();

// The keys of section OPT that DataInit reads, in reading order. Skins%d and
// Lang%d (LoadLangAndSkins) and Direct%d (the keyboard description) are not
// among them. Lets the shipped cfg.ini be checked for misspelt keys.
std::vector<std::string_view> OptKeys();
