// A macro or bullet macro as plain text, one line per header field or action,
// for the command-line tool and for scripts: MacroToText prints a record,
// ParseMacroText reads the same form back into a record, so printed text fed
// back gives the same record (and the same file).
//
// Header lines (any order, each at most once; '#' starts a comment line):
//   kind macro|bullet          must match the kind asked for
//   name "Copy"                quoted; \" \\ \n \t \xHH \uHHHH escapes
//   id 0x11492C                0 or missing: the caller stamps a new one
//   repeat count|until-key|while-held   (or the mode number)
//   loops 1                    1..65535
//   auto-delay 1               macros: 1 = record delays
//   fire LButton               bullets: the fire code
//   owner 0, lock no|yes, slot 0, flags 0x0, reserved <14 hex digits>
// Macro actions ("<n>ms" at the end is the delay after the action):
//   down A 50ms / up A        key or button (LButton RButton MButton FwdButton BackButton)
//   wheel up 3 / wheel down 3 wheel steps (0..127)
//   move up|down|left|right 5 pointer movement (0..127)
//   mouse-action              code 251
//   wait 20ms                 an entry with no action, only a delay
// Bullet steps:
//   move 0,10 20ms            movement X,Y (-127..127)
//   click LButton for 20ms 10ms   timed click: held 20 ms, then a 10 ms pause
//   down A 50ms / up A        press and release
//   wait 20ms
// Values a record holds that the plain form cannot say are written as
// "state=N", "param=N" (macros) or "flag=N" (bullets) at the end of the line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "keys/MacroFolder.h"
#include "keys/MacroList.h"
#include "keys/MacroRecord.h"

// Key names of the text form: language- and layout-independent words for the
// virtual-key codes a macro stores ("A", "F5", "LCtrl", "Num+", "LButton"); any
// code without a word is "vk<code>".
std::string MacroTextKeyName(uint8_t code);
// Case-insensitive; accepts "vk<decimal>" and "vk0x<hex>" for any code.
bool ParseMacroTextKeyName(std::string_view word, uint8_t& code);

// The record as text; actions up to the end entry of its kind.
std::string MacroToText(const MacroRecord& rec, MacroKind kind);

struct MacroTextError {
    int nLine = 0;           // 1-based
    std::string strReason;
};

// Parses the text into a fresh record (magic set; defaults: loop count 1,
// auto delay 1 or fire code 240). Every bad line is reported; the record is
// valid only when the result is true.
bool ParseMacroText(std::string_view text, MacroKind kind, MacroRecord& out, std::vector<MacroTextError>& errors);

// The record as the text form keeps it: the name field zero after its end and
// the action entries zero after the end entry. MacroToText followed by
// ParseMacroText gives exactly this.
MacroRecord CanonicalMacroRecord(const MacroRecord& rec, MacroKind kind);

// ---- files -------------------------------------------------------------------------------

// The kind a file name says: a last extension beginning with "mcb" is a bullet.
MacroKind MacroKindOfFile(const std::filesystem::path& file);

// Reads a macro or bullet file (any of its three forms) and prints it. False,
// with the reason, when the file cannot be read or holds no macro.
bool MacroFileToText(const std::filesystem::path& file, MacroKind kind, std::string& text, std::string& strErr);

// Parses the text and writes it as a new file (an existing file is never
// replaced). A missing identifier, or one that a record of the context's lists
// already has, is replaced by a new one from the context's clock (strNote says
// so); a missing name becomes the file's name. False with the bad lines in
// errors, or with the reason in strErr.
bool WriteMacroFileFromText(std::string_view text, const std::filesystem::path& file, MacroKind kind,
                            const MacroContext& ctx, std::vector<MacroTextError>& errors, std::string& strErr,
                            std::string* pstrNote = nullptr);
