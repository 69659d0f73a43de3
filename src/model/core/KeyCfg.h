// keycfg.kyg: the mouse key configuration, 27748 bytes in the per-user folder,
// written by the key-configuration import. Its image in memory is the keyboard
// configuration buffer g_KeyCfg. The mouse key layout is taken from it only
// when its magic is right; otherwise the current sensor's default keys are used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/IPrompt.h"
#include "keys/KeyInfo.h"
#include "keys/MacroRecord.h"

constexpr uint32_t kKeyCfgMagic = 0x4D1CEE01;
constexpr int kKeyCfgMacroNum = 15;
constexpr int kKeyCfgModeNum = 3;
constexpr int kKeyCfgKeyNum = 21;

struct KeyCfgFile {
    uint32_t dwMagic;
    // Macro and bullet records in the macro-file encoding (enciphered; a plain
    // record is read as well); byte 100 of a decoded record is its kind, 5 or 12.
    uint8_t byMacro[kKeyCfgMacroNum][kMacroRecordSize];
    KeyInfo Key[kKeyCfgModeNum][kKeyCfgKeyNum];  // the mouse key layout per mode
};

static_assert(std::is_trivially_copyable_v<KeyCfgFile> && std::is_standard_layout_v<KeyCfgFile>);
static_assert(sizeof(KeyCfgFile) == 27748);
static_assert(offsetof(KeyCfgFile, dwMagic) == 0);
static_assert(offsetof(KeyCfgFile, byMacro) == 4);
static_assert(offsetof(KeyCfgFile, Key) == 22204);

// The keyboard configuration buffer: the image of keycfg.kyg.
extern KeyCfgFile g_KeyCfg;

enum class KeyCfgState { Ok, Missing, WrongSize, WrongMagic, Unreadable };

// Exactly 27748 bytes are copied into the buffer (also with a wrong magic:
// WrongMagic); any other size leaves it as it was (WrongSize).
KeyCfgState DecodeKeyCfg(std::string_view bytes, KeyCfgFile& buf);
std::string EncodeKeyCfg(const KeyCfgFile& buf);

inline bool KeyCfgHasLayout(const KeyCfgFile& buf) { return buf.dwMagic == kKeyCfgMagic; }
// The decoded record of a slot, or nothing when the slot holds no macro.
std::optional<MacroRecord> KeyCfgMacro(const KeyCfgFile& buf, int nSlot);

// Reads userDir/keycfg.kyg into the buffer. A missing file is normal (nothing
// said). A file of the wrong size, with a wrong magic or unreadable is kept as
// keycfg.kyg.bad and the user is told that the default key layout is used.
KeyCfgState ReadKeyCfg(const std::filesystem::path& userDir, KeyCfgFile& buf, IPrompt& prompt);
// Writes the 27748 bytes atomically; false with the reason on failure.
bool WriteKeyCfg(const std::filesystem::path& userDir, const KeyCfgFile& buf, std::string& strErr);
