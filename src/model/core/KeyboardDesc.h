// The keyboard description of cfg.ini: section KB (identity, page options,
// lighting parameters, key groups, LED mode options) into gVar.Kb, the key
// table KBKEY into the default key table g_defKEY, the Fn layer FN into the
// same records, and the direct-key entries Direct%d of section OPT.
//
// Every problem in the file is shown through the prompt (caption "Error" or
// "Warning") and logged with its section and key; loading always goes on.
// Values that would be used as an index somewhere (matrix and LED positions,
// key numbers, Fn entries, mode and group numbers, byte offsets) are checked
// here, so that no later user of gVar.Kb or g_defKEY meets one out of range.
// Key groups keep at most kGaoshouGroupMax groups; the Enter outline at most
// 24 points.
//
// Key table (KBKEY), one line per key, K1, K2, ... up to K132, ending at the
// first missing or empty one:
//     K<n> = x, y, width, height, class, code, parameter, matrix[, led]
// x..height decimal, on the keyboard picture; class, code, parameter
// hexadecimal; matrix and LED position decimal. Without the LED position it is
// the matrix position; an LED position of -1 means the key has no light.
//  - The rectangle is stored as left, top, right, bottom (x + width, y + height)
//    like every other rectangle of the key records.
//  - Class 2 (a key) gives FunID 0x020000A0 with byKey1 = code, byModifier =
//    parameter. A modifier key as code (Shift 0x10/0xA0, Ctrl 0x11/0xA2,
//    Alt 0x12/0xA4, left Win 0x5B, right Win 0x5C, right Shift 0xA1, right Ctrl
//    0xA3, right Alt 0xA5) becomes its modifier bit with byKey1 0 and byModVk
//    naming the key (left Shift, Ctrl and Alt by their generic codes 16, 17,
//    18, as every key record keeps them).
//  - Class 9 (hardware function) keeps the parameter in dwParam; other classes
//    are FunID = class << 24 | code.
//  - A line with a position outside 0..131 is dropped ("Wrong matrix index
//    value!") and the next line takes its slot; so is a line cut short by a
//    number that does not parse before its matrix position. nKeyNum counts the
//    slots filled.
//
// Fn layer (FN): K<n> = class, code, parameter (hexadecimal)[, Fn entry
// (decimal)] for key slot n. At most 64 lines are taken. An entry that is
// missing, 255, out of 0..MaxFnNum-1 or already taken by an earlier key gets
// the smallest free entry; class 2 gives FunID 0x02000000 with the same key and
// modifier rules as the key table.
#pragma once

#include "core/Ini.h"
#include "core/IPrompt.h"

// Key table lines and matrix positions: 0..131.
constexpr int kKbMatrixMax = 131;
// FN lines taken at most.
constexpr int kFnLineMax = 64;
// MaxFnNum at most: the keyboards keep the 132 key codes and two Fn tables of
// MaxFnNum codes each in one 1024-byte block (528 + 2 * 62 * 4 <= 1024);
// family 20 has Fn tables of 48 codes at fixed places in that block.
constexpr int kMaxFnNumLimit = 62;
constexpr int kMaxFnNumLimitFw20 = 48;
// Keyboard LED modes (lighting option records and profile mode records).
constexpr int kKbLedModeNum = 24;
// Profile key-colour groups; nCurGameGroup runs 0..14.
constexpr int kKbColourGroupNum = 15;

// Reads section KB, the key table KBKEY and Direct1..3 of section OPT into
// gVar.Kb, gVar.nColorIndex and g_defKEY (all 132 records are cleared first and
// have no Fn entry until BuildFnTable). Reads gVar.nKbFw for the family's
// defaults; data initialisation calls it when nKbFw is non-zero.
void LoadKeyboardDescription(const CIniFile& cfg, IPrompt& prompt);

// Reads the key table KBKEY into g_defKEY (all 132 records cleared first, no Fn
// entries) and checks it for keys that share a matrix or LED position; returns
// the number of slots filled. Part of LoadKeyboardDescription.
int LoadKeyTable(const CIniFile& cfg, IPrompt& prompt);

// Builds the Fn layer of g_defKEY from section FN of cfg.
void BuildFnTable(const CIniFile& cfg, IPrompt& prompt);
// The same with section FN of cfg.ini in the application folder (g_szAppDir);
// post-initialisation calls it when nKbFw is non-zero.
void BuildFnTable(IPrompt& prompt);

// The smallest Fn entry 0..MaxFnNum-1 that no record of g_defKEY holds, or -1.
int FindFreeFnIndex();
