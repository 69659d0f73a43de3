// The function menu: the cascading list of functions a key can take, as plain
// items (text, code, parent) that the skinned menu draws. Top-level items come
// first; a child names its header by the header's index, and a header cannot
// itself be chosen. There is no fixed limit on the number of items.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int kMenuTop = 255;   // parent of a top-level item
constexpr size_t kMenuTextMax = 39;

struct MenuItem {
    int nParent = kMenuTop;
    uint32_t dwCode = 0;
    std::u16string strText;
};

// True when some item names item i as its parent.
bool IsMenuHeader(const std::vector<MenuItem>& items, size_t i);
// The items whose parent is nParent, in order (indices into items).
std::vector<size_t> MenuChildren(const std::vector<MenuItem>& items, int nParent);

// What decides the mouse key menu.
struct MouseMenuOptions {
    bool bProfile = false;           // a profile is loaded
    int32_t nMsFw = 0;
    int nMode = 0;                   // the profile's mode 0..2
    bool bShowPUBGMenu = false, bShowReportSw = false, bRgbSW = false, bShowKeySnip = false;
    uint32_t nShowEx = 0;            // one flag byte per mode
    std::array<uint8_t, 28> snipMenu{};  // [0] snipe header shown, [1] count, then level indices
    int32_t nGunKeyParam = 0;
    std::vector<uint32_t> layoutCodes;   // FunIDs of the mouse key layout (all modes)
    std::array<int32_t, 10> sensorDpi{}; // the current sensor's DPI per level
    std::function<std::u16string(const char*)> text;  // catalogue; empty: FindText

    // From gVar, the mouse key layout and the current sensor.
    static MouseMenuOptions FromGvar(bool bProfile, int nMode);
};

std::vector<MenuItem> BuildMouseFunctionMenu(const MouseMenuOptions& opt);
