// The rules of the mouse key page without the page: what a chosen menu code
// becomes (or which dialog it needs first), whether a key may take a record
// (the last left button, the macro buffers of the mouse), where it is stored
// (the mode switch sits in the first two modes together), and which keys fall
// back to their defaults because their function is gone.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/ProfileRecord.h"

struct MouseKeyContext {
    int nMode = 0;                  // the profile's mode
    int nKeySet = 0;                // the key set edited
    int nKM = kMsKeyNum;            // keys of the sensor
    int32_t nMsFw = 0;
    int32_t nGunKeyParam = 0;
    const int32_t* pExKey = nullptr;  // the six ExKey values, or null
    const KeyInfo (*pLayout)[kMsKeyNum] = nullptr;  // the mouse key layout, three modes
    std::function<bool(const KeyInfo&)> isValid;      // the function can be shown and sent
    std::function<std::u16string(const char*)> text;  // catalogue; empty: FindText

    // From gVar, the mouse key layout and the current sensor, for the profile.
    static MouseKeyContext FromGvar(const ProfileRecord& pro);
};

enum class KeyDialog { None, MacroPicker, KeyCapture, FireKey, ColourPanel, GunPresets };

struct ChooseStep {
    KeyDialog dialog = KeyDialog::None;  // open this first, then complete the record
    bool bRefused = false;               // strMessage says why; nothing changes
    std::u16string strMessage;
    KeyInfo rec{};                       // the new record (complete when dialog is None)
};

// What choosing a menu code for a slot leads to. bHaveMacros: the macro list
// is not empty.
ChooseStep ChooseFunction(uint32_t dwCode, int nSlot, const ProfileRecord& pro, const MouseKeyContext& ctx,
                          bool bHaveMacros);

// The records the dialogs complete.
KeyInfo MacroKeyRecord(uint32_t nMacroId);
KeyInfo CapturedKeyRecord(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2);
KeyInfo FireKeyRecord(uint8_t byKey, uint8_t byInterval, uint8_t byCount);
KeyInfo KeySnipeRecord(ZColor clr);

struct AssignResult {
    bool bOk = false;
    std::u16string strMessage;   // when refused
};

// Stores the record into the slot of the edited key table, after the checks:
// every table the store writes keeps a left button; a macro or bullet not yet
// referenced fits the mouse's buffers. The matrix position comes from the layout.
AssignResult AssignKey(ProfileRecord& pro, int nSlot, KeyInfo rec, const MouseKeyContext& ctx);

// Slots of the edited table below nKM whose function can no longer be shown
// (a deleted macro) take their default; the number reset.
int ResetDanglingKeys(ProfileRecord& pro, const MouseKeyContext& ctx);
