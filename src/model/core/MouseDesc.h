// The mouse description: section MS of cfg.ini (identifiers, page options,
// lighting options, lift-off, debounce, gun presets) and the sensor sections
// SENSOR_1 … SENSOR_9 (per sensor variant: report rates, DPI steps and default
// levels, level colours, default keys per mode, key marks on the mouse picture)
// into gVar.Ms; the mouse key layout built from them; the current sensor.
//
// Every problem in the description is shown through the prompt (captions
// "Warning" and "Error", as each check says) and logged with its section and
// key; loading always goes on with defaults, and no index read from the file is
// ever used outside the array it indexes.
//
// How the sensor sections land in SensorCfg: nKM is the number of keys (the
// file's KM counts two per key), nMDNUM the number of modes (1 to 3; a section
// whose MDNUM is not 3, 6 or 9 has one mode and no keys), Mark[i] the mark of
// key i as left, top, right, bottom (the file writes x, y, width, height),
// nDefLevel -1 or a level below nDM, nDM 1 to 10.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Gvar.h"
#include "core/IPrompt.h"
#include "core/Ini.h"
#include "core/KeyCfg.h"
#include "keys/KeyInfo.h"

constexpr int kSensorSectionNum = 9;   // SENSOR_1 … SENSOR_9 fill the first slots of gVar.Ms.Sensor

// Reads MS and the sensor sections into gVar.Ms (cleared first), then makes the
// sensor named by MS Sensor current. The built-in step tables are rebuilt first,
// so the sensor sections' step overrides apply to the built-in lists however
// often the description is loaded. When pKeysRead is given it receives every
// (section, key) the loader asked for, so that shipped files can be checked for
// keys that are misspelt or have no effect.
void LoadMouseDescription(const CIniFile& cfg, IPrompt& prompt,
                          std::vector<std::pair<std::string, std::string>>* pKeysRead = nullptr);

// One default key value "class,parameter 1,parameter 2,position" (hexadecimal)
// into a key record; false when the value does not hold four numbers. Problems
// the value has are shown; a key whose class data or position is refused is
// read with no function (and no matrix position when the position is refused).
// Uses GunValue, GunColor, ShootSpeed and ExKey of gVar.Ms and sets its
// nGunKeyParam.
bool ParseMouseKey(std::string_view value, KeyInfo& key, IPrompt& prompt);

// Builds g_MsKeyLayout: the functions from the image of keycfg.kyg when one was
// read (pKeyCfg not null) and it starts with its magic, otherwise from the
// current sensor's default keys; the on-screen key rectangles from ViewKeyNum
// and the sensor's KEYY/KEYH; the matrix positions always from the current
// sensor. Without a current sensor the layout holds no functions.
void BuildMouseKeyLayout(const KeyCfgFile* pKeyCfg, IPrompt& prompt);

// Makes nSensor the current sensor: stores it in gVar.Ms.nMsSensor and points
// pSensorCfg at its description, or shows a message and sets pSensorCfg null
// when no sensor section describes it. Returns pSensorCfg.
SensorCfg* set_cur_sensor(int32_t nSensor, IPrompt& prompt);
// The description of a sensor among the sensor sections, or null (never for 0).
SensorCfg* FindSensorCfg(int32_t nSensor);
