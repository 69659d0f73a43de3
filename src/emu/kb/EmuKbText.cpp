#include "emu/kb/EmuKbText.h"

#include "core/Utf.h"
#include "emu/EmuHex.h"
#include "emu/EmuStateText.h"
#include "keys/FunId.h"
#include "keys/KeyInfo.h"
#include "keys/KeyNames.h"

namespace {

const char* const kMods[8] = {"LCtrl", "LShift", "LAlt", "LWin", "RCtrl", "RShift", "RAlt", "RWin"};

}  // namespace

std::string EmuKbUsageName(uint8_t u)
{
    if (u >= 0x04 && u <= 0x1D) return std::string(1, char('A' + (u - 0x04)));
    if (u >= 0x1E && u <= 0x26) return std::string(1, char('1' + (u - 0x1E)));
    if (u == 0x27) return "0";
    if (u >= 0x3A && u <= 0x45) return "F" + std::to_string(u - 0x3A + 1);
    if (u >= 0xE0 && u <= 0xE7) return kMods[u - 0xE0];
    if (u >= 0xF0 && u <= 0xF6) return EmuPrintf("button %02x", u);
    switch (u) {
    case 0x28: return "Enter";
    case 0x29: return "Esc";
    case 0x2A: return "Backspace";
    case 0x2B: return "Tab";
    case 0x2C: return "Space";
    case 0x4C: return "Delete";
    case 0x58: return "KpEnter";
    default: return "usage " + Hex2(u);
    }
}

std::string EmuKbModifiers(uint8_t m)
{
    std::string s;
    for (int i = 0; i < 8; ++i)
        if (m & (1 << i)) s += std::string(kMods[i]) + "+";
    return s;
}

std::vector<std::string> EmuKbDescribeMacro128(std::span<const uint8_t> b)
{
    std::vector<std::string> out;
    if (b.size() < 2) return out;
    out.push_back(EmuPrintf("repeat %u", unsigned(b[0]) << 8 | b[1]));
    for (size_t i = 2; i + 1 < b.size();) {
        if (b[i] == 0 && b[i + 1] == 0) break;
        const bool bRelease = b[i] & 0x80;
        unsigned nDelay = b[i] & 0x7F;
        size_t n = 2;
        if (i + 5 < b.size() && b[i + 2] == 0 && b[i + 3] == 3) {
            nDelay = (unsigned(b[i + 4]) << 8 | b[i + 5]) * 100 + nDelay;
            n = 6;
        }
        out.push_back(EmuPrintf("%s %s, %u ms", bRelease ? "release" : "press", EmuKbUsageName(b[i + 1]).c_str(), nDelay));
        i += n;
    }
    return out;
}

std::string EmuKbKeyName(const KeyInfo& k, int nIndex)
{
    const uint32_t vk = k.byKey1 ? k.byKey1 : k.byModVk;
    std::string strName;
    if (FunClass(k.FunID) == FUN_KEY && vk) strName = U16ToUtf8(GetKeyName(vk));
    if (strName.empty() || strName == " ") strName = "K" + std::to_string(nIndex + 1);
    return strName;
}
