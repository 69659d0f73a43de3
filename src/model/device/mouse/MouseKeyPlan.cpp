#include "device/mouse/MouseKeyPlan.h"

#include <algorithm>
#include <array>
#include <optional>
#include <map>

#include "core/Log.h"
#include "core/Utf.h"
#include "device/mouse/MouseKeyCode.h"
#include "device/mouse/MouseMacro.h"
#include "keys/FunId.h"
#include "keys/KeyNames.h"

namespace mouse {

namespace {

std::string Format(const char* pszFormat, auto... args)
{
    std::string s;
    AppendFormat(s, pszFormat, args...);
    return s;
}

std::string MacroName(const MacroRecord& rec)
{
    size_t n = 0;
    while (n < std::size(rec.szName) && rec.szName[n]) ++n;
    return U16ToUtf8(std::u16string_view(rec.szName, n));
}

class CPlanBuilder {
public:
    explicit CPlanBuilder(const MouseKeyInput& in) : m_in(in), m_caps(BufferCaps(in.nMsFw)) {}

    MouseKeyPlan Build()
    {
        m_plan.nModes = std::clamp(m_in.nModes, 1, int(kMsModeNum));
        for (int m = 0; m < m_plan.nModes; ++m) BuildMode(m);
        // Bullets are written after the macros: from 11 on kind 2, else right after them.
        const int nBase = (m_in.nMsFw & 0x0F) == 2 ? 10 : int(m_plan.macros.size());
        for (MouseBuffer& b : m_plan.bullets) b.nNumber += nBase;
        if (m_bCapped)
            m_plan.notices.push_back(Format("The mouse holds at most %d macros and %d bullet macros; "
                                            "the keys beyond them were switched off.",
                                            m_caps.nMacros, m_caps.nBullets));
        const int nTotal = int(m_plan.macros.size() + m_plan.bullets.size());
        if (m_bCapped || nTotal > 14)
            LogPrintf("Macro number error!!!, nMacroNum=%zu, nBulletNum=%zu", m_plan.macros.size(),
                      m_plan.bullets.size());
        return std::move(m_plan);
    }

private:
    void BuildMode(int m)
    {
        const MsModeSettings& mode = m_in.pMs->Mode[std::clamp(m_in.nFirstMode + m, 0, int(kMsModeNum) - 1)];
        int nSet = mode.nKeySet;
        if (nSet < 0 || nSet >= kMsKeySetNum) {
            LogPrintf("KeyMode%d: key table %d does not exist, table 0 written", m + 1, nSet);
            nSet = 0;
        }
        KeyMatrix& mx = m_plan.matrix[m];
        mx.fill(kKeyOff);
        for (int k = 0; k < int(kMatrixEntries); ++k) {
            const KeyInfo& key = mode.Key[nSet][k];
            if (key.FunID == 0) continue;
            const int nPos = m_in.nMatrixPos[m][k];
            if (nPos < 1 || nPos > int(kMatrixEntries)) {
                LogPrintf("Key[%d][%d]: matrix position %d", m, k, nPos);
                m_plan.notices.push_back(Format("Matrix inx warning: key %d of mode %d", k + 1, m + 1));
                continue;
            }
            if (const auto code = KeyCode(m, k, key)) mx[size_t(nPos - 1)] = *code;
        }
        NumberBulletKeys(m, mx);
    }

    // The key's code with its buffer number, or none to leave the position off.
    std::optional<uint32_t> KeyCode(int m, int k, const KeyInfo& key)
    {
        const uint8_t byClass = FunClass(key.FunID);
        const MacroRecord* pRec = nullptr;
        if (byClass == FUN_MACRO || byClass == FUN_BULLET) {
            if (byClass == FUN_BULLET && !HasBullets(m_in.nMsFw)) {
                LogPrintf("Key[%d][%d]: this mouse plays no bullet macros, key off", m, k);
                return kKeyOff;
            }
            const CMacroList* pList = byClass == FUN_MACRO ? m_in.pMacros : m_in.pBullets;
            pRec = pList ? pList->FindById(key.MacroID) : nullptr;
            if (!pRec) {
                LogPrintf("Key[%d][%d] Set To Macro NULL", m, k);
                return kKeyOff;  // a key that names nothing does nothing
            }
        }
        const auto code = MouseKeyCode(key, m_in.nSensor, pRec);
        if (!code) {
            const std::string strName =
                byClass == FUN_KEY ? U16ToUtf8(GetComboText(key.byModifier, key.byKey1, key.byKey2)) : std::string();
            const std::string s =
                Format("Invalid key %d: FunID=0x%x, MacroID=0x%x, Name=%s", k + 1, key.FunID, key.MacroID, strName.c_str());
            LogPrintf("%s", s.c_str());
            m_plan.notices.push_back(s);
            return std::nullopt;
        }
        if (!pRec) return code;
        const int nNumber = byClass == FUN_MACRO ? MacroNumber(m, k, *pRec) : BulletNumber(m, k, *pRec);
        if (nNumber == 0) return kKeyOff;
        const uint32_t by1 = byClass == FUN_MACRO ? uint32_t(nNumber) : uint32_t(nNumber) + kBulletBufferFlag;
        return (*code & ~0xFF00u) | by1 << 8;
    }

    int MacroNumber(int m, int k, const MacroRecord& rec)
    {
        const uint32_t id = rec.MacroID & 0xFFFFFF;
        auto it = m_macroNum.find(id);
        LogPrintf("Key[%d][%d] Set To Macro 0x%08x, Macro_Buffer_ID=%d", m, k, rec.MacroID,
                  it == m_macroNum.end() ? 0 : it->second);
        LogPrintf("Macro Name= %s", MacroName(rec).c_str());
        if (it != m_macroNum.end()) return it->second;
        if (int(m_plan.macros.size()) >= m_caps.nMacros || Total() >= m_caps.nTotal) {
            m_bCapped = true;
            return 0;
        }
        MouseBuffer b;
        b.nNumber = int(m_plan.macros.size()) + 1;
        b.dwMacroID = rec.MacroID;
        b.bytes.resize(kMacroBufferMax);
        b.bytes.resize(MacroToHd(rec, b.bytes));
        LogPrintf("New Assign Buffer_ID= %d", b.nNumber);
        LogHex(b.bytes.data(), b.bytes.size(), 16, "HdData: ");
        m_macroNum[id] = b.nNumber;
        m_plan.macros.push_back(std::move(b));
        return m_macroNum[id];
    }

    int BulletNumber(int m, int k, const MacroRecord& rec)
    {
        const uint32_t id = rec.MacroID & 0xFFFFFF;
        auto it = m_bulletNum.find(id);
        LogPrintf("Key[%d][%d] Set To Bullet 0x%08x, Bullet_Buffer_ID=%d", m, k, rec.MacroID,
                  it == m_bulletNum.end() ? 0 : it->second);
        if (it != m_bulletNum.end()) return it->second;
        if (int(m_plan.bullets.size()) >= m_caps.nBullets || Total() >= m_caps.nTotal) {
            m_bCapped = true;
            return 0;
        }
        MouseBuffer b;
        b.nNumber = int(m_plan.bullets.size()) + 1;  // moved behind the macros at the end
        b.dwMacroID = rec.MacroID;
        b.bytes.resize(kMacroBufferMax);
        b.bytes.resize(BulletToHd(rec, b.bytes));
        LogPrintf("New Assign Buffer_ID= %d", b.nNumber);
        LogHex(b.bytes.data(), b.bytes.size(), 16, "Bullet HdData: ");
        const int n = b.nNumber;
        m_bulletNum[id] = n;
        m_plan.bullets.push_back(std::move(b));
        return n;
    }

    // Bullet and gun keys carry their order in the matrix in the low four bits;
    // a sixteenth would turn into a macro code, so it is switched off instead.
    void NumberBulletKeys(int m, KeyMatrix& mx)
    {
        int nSeq = 0;
        for (size_t i = 0; i < mx.size(); ++i) {
            if ((mx[i] & 0xFF) != kBulletKeyByte) continue;
            if (nSeq == kBulletSeqMax) {
                LogPrintf("KeyMode%d: bullet key at %zu is beyond %d, key off", m + 1, i + 1, kBulletSeqMax);
                m_plan.notices.push_back(Format("Mode %d: at most %d bullet and gun keys; the key at position %zu "
                                                "was switched off.", m + 1, kBulletSeqMax, i + 1));
                mx[i] = kKeyOff;
                continue;
            }
            mx[i] |= uint32_t(++nSeq);
        }
    }

    int Total() const { return int(m_plan.macros.size() + m_plan.bullets.size()); }

    const MouseKeyInput& m_in;
    const MouseBufferCaps m_caps;
    MouseKeyPlan m_plan;
    std::map<uint32_t, int> m_macroNum;   // macro identifier (24 bits) -> buffer number
    std::map<uint32_t, int> m_bulletNum;  // bullet identifier -> bullet number from 1
    bool m_bCapped = false;
};

}  // namespace

MouseBufferCaps BufferCaps(int32_t nMsFw)
{
    // Kind 2 keeps ten of each, bullets from buffer 11; the others share the
    // mouse's twenty buffers, bullets after the macros.
    if ((nMsFw & 0x0F) == 2) return {10, HasBullets(nMsFw) ? 10 : 0, 20};
    return {kMacroBufferNumMax, HasBullets(nMsFw) ? 8 : 0, kMacroBufferNumMax};
}

MouseKeyPlan BuildKeyPlan(const MouseKeyInput& in)
{
    if (!in.pMs) return {};
    return CPlanBuilder(in).Build();
}

}  // namespace mouse
