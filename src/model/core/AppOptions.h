// The options window's choices: language, skin, the current profile's sound
// and the profile-sound switch, checked and stored when the user says OK.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "core/ProfileRecord.h"

// Profile sounds are on: the main window plays a profile's sound only then.
// Off at every start; the options window sets it. User-interface thread only.
extern bool g_bPlaySound;

struct AppOptionsChoice {
    int nLangIndex = 0;
    int nSkinsIndex = 0;
    bool bPlaySound = false;
    std::u16string strSoundPath;   // as typed or picked; empty leaves the profile's as it is
};

struct AppOptionsResult {
    bool bClose = false;           // false: the window stays open (strMessage says why)
    std::u16string strMessage;     // for the user; may be set with bClose when storing failed
    bool bProfileChanged = false;  // the profile's sound path changed: store the profiles
    bool bPlaySound = false;       // the switch as it now stands
};

// What OK does: a sound path that names no file keeps the window open
// ("Invalid File Path."); otherwise the path goes into the current profile,
// LangIndex and SkinsIndex (and PlaySound when the switch changed) into the
// user's lang.ini. Without a current profile nothing is checked or written.
AppOptionsResult ConfirmAppOptions(const AppOptionsChoice& choice, ProfileRecord* pCurrent, bool bPlaySoundBefore,
                                   const std::filesystem::path& langIni,
                                   const std::function<bool(const std::filesystem::path&)>& isFile);

std::u16string ProfileSoundPath(const ProfileRecord& pro);
