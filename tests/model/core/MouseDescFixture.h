// What the mouse description tests share: a cleared gVar with a wired mouse,
// fresh sensor tables, a loader for INI text and the messages it showed.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/IPrompt.h"
#include "core/MouseDesc.h"
#include "core/SensorTables.h"
#include "core/Utf.h"

namespace mstest {

using Msg = std::pair<std::string, std::string>;  // text, caption
using Msgs = std::vector<Msg>;

class MouseDescFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearGvar();
        gVar.nMsFw = 1;
        InitSensorTables();
        pSensorCfg = nullptr;
    }

    void LoadText(std::string_view text) { LoadMouseDescription(CIniFile::FromBytes(std::string(text)), m_prompt); }
    // MS and SENSOR_1 holding the given lines, each describing sensor 0x3360
    // unless the lines say otherwise (the first of two equal keys wins).
    void Load(std::string_view msLines, std::string_view sensorLines = {})
    {
        LoadText("[MS]\n" + std::string(msLines) + "\nSensor=0x3360\n[SENSOR_1]\n" + std::string(sensorLines) +
                 "\nSensor=0x3360\n");
    }

    Msgs Messages() const
    {
        Msgs v;
        for (const auto& e : m_prompt.Entries()) v.emplace_back(U16ToUtf8(e.text), U16ToUtf8(e.caption));
        return v;
    }

    CRecordingPrompt m_prompt;
};

inline std::vector<int> Ints(const uint8_t* p, size_t n) { return std::vector<int>(p, p + n); }
template <size_t N>
std::vector<int> Ints(const uint8_t (&a)[N]) { return Ints(a, N); }
template <size_t N>
std::vector<int> Ints(const int32_t (&a)[N]) { return std::vector<int>(a, a + N); }

}  // namespace mstest
