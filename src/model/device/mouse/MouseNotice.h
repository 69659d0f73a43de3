// What a mouse's own report means for the program: the mode and DPI level to
// take over, the short notice to show, and what the DPI, rate and performance
// pages are told. Runs on the user-interface thread on the event the mouse's
// family decoded (DeviceEvent); changes nothing itself.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/ProfileRecord.h"
#include "device/HidDev.h"

struct MouseNoticeOptions {
    bool bReceiverFamily = false;  // the family that reports cable or receiver
    bool bSingleMode = false;      // [MOUSE] SingleMode
    bool bShowXY = false;          // [MOUSE] ShowXY
    bool bShowUsbRate = false;     // [MOUSE] ShowUsbRate
    bool bPop = false;             // [MOUSE] Pop: wired mice show the notice
    bool bPopByte1 = false;        // [MOUSE] PopByte1: the notice names the mode
    bool bBullets = false;         // a mouse with bullet macros (their mode names)
    int nDM = 0;                   // DPI levels of the current sensor
    int32_t nSensor = 0;           // the current sensor

    // From gVar and the current sensor.
    static MouseNoticeOptions FromGvar();
};

constexpr size_t kNoticeLineMax = 29;

struct MouseNotice {
    bool bHandled = false;         // false: the report carried nothing to act on (see strLog)
    int nNewMode = -1;             // the profile's mode becomes this (differs from its mode), -1 no change
    std::array<int, kMsModeNum> nCurDpiLevel = {-1, -1, -1};  // new current level per mode, -1 unchanged
    int nSelectLevel = -1;         // level the DPI page selects, -1 none
    bool bShow = false;            // show the notice
    std::array<std::u16string, 4> lines;  // level, resolution (or X), Y or empty, mode or rate or empty
    int nRateHz = -1;              // the rate page's new rate, -1 none
    int nPerformance = -1;         // the performance page's byte, -1 none
    std::string strLog;            // the line to log when the report was dropped
};

MouseNotice InterpretMouseEvent(const DeviceEvent& e, const ProfileRecord& pro, const MouseNoticeOptions& opt);
