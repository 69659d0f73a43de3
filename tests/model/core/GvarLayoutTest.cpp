// What the compile-time offset checks cannot show: that a record filled field by
// field produces the documented bytes (little-endian, no overlap, nothing
// outside the fields touched), and that clearing gVar leaves no byte set.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "core/Gvar.h"
#include "keys/KeyInfo.h"
#include "core/ProfileRecord.h"

namespace {

template <class T>
std::vector<uint8_t> BytesOf(const T& v)
{
    std::vector<uint8_t> bytes(sizeof(T));
    std::memcpy(bytes.data(), &v, sizeof(T));
    return bytes;
}

uint64_t ReadLE(const std::vector<uint8_t>& bytes, size_t nOffset, size_t nWidth)
{
    uint64_t v = 0;
    for (size_t i = 0; i < nWidth; ++i) v |= uint64_t(bytes.at(nOffset + i)) << (8 * i);
    return v;
}

}  // namespace

// Every value has no zero byte, so the number of non-zero bytes in the record
// equals the summed widths exactly when no two fields overlap and nothing else
// was written.
TEST(GvarLayout, ProfileRecordFieldsLandAtTheirFileOffsets)
{
    auto pRec = std::make_unique<ProfileRecord>();  // value-initialised: all zero
    ProfileRecord& r = *pRec;

    constexpr size_t kMs = 22148;
    constexpr size_t kMode0 = kMs + 20;
    constexpr size_t kMode1 = kMode0 + 10496;
    constexpr size_t kMode2 = kMode1 + 10496;
    struct Field { size_t nOffset, nWidth; uint64_t value; };
    const std::vector<Field> fields = {
        {0, 4, 0x0A0B0C0D},
        {4, 4, kProfileMagic},
        {8, 4, 0x00123456 | 0x01000000},
        {12, 1, 0x5A},
        {532, 2, 0x0150},
        {570, 2, 0x7A7A},
        {572, 1, 0x6B},
        {616, 4, 0x31323334},
        {624, 4, 0x02030405},
        {624 + 131 * 88 + 76, 4, 0x41424344},
        {12240, 4, 0x07080910},
        {12244, 4, 0x11121314},
        {12244 + 23 * 56 + 52, 4, 0x15161718},
        {13590, 2, 0x00FF | 0x0100},
        {13592, 2, 0x2122},
        {13594, 2, 0x0E0E},
        {13611, 1, 0x01},
        {13612, 4, 0x00AABBCC | 0x01000000},
        {13612 + (14 * 132 + 131) * 4, 4, 0x01FFEEDD},
        {21532, 4, 0x0B010101},
        {22144, 4, 0x51525354},
        {kMs, 4, 0x02020202},
        {kMs + 4, 4, 0x00003360 | 0x01010000},
        {kMs + 8, 2, 0x0101},
        {kMs + 10, 2, 0x0303},
        {kMs + 12, 4, 0x01010101},
        {kMs + 16, 4, 0x61626364},
        {kMode0 + 4, 4, 0x01001000 | 0x00010001},
        {kMode0 + 8, 4, 0x04040404},
        {kMode0 + 12, 4, 0x01020311},
        {kMode0 + 12 + (4 * 21 + 20) * 88, 4, 0x05010203},
        {kMode0 + 9252, 4, 0x03030303},
        {kMode0 + 9272 + 9 * 16 + 12, 4, 0x71727374},
        {kMode0 + 9432, 4, 0x01010101},
        {kMode0 + 9436, 4, 0x06060606},
        {kMode0 + 9444, 4, 0x0D0D0D0D},
        {kMode0 + 9444 + 4 + 13 * 68 + 64, 4, 0x0A0A0A0A},
        {kMode0 + 9444 + 956, 1, 0x77},
        {kMode1 + 10448, 1, 0x01},
        {kMode2 + 10453, 1, 0x05},
        {53656, 4, 0x0A0A0A01},
        {53660 + 10 * 56 + 44, 4, 0x0000FFFF | 0x01010000},
        {54395, 1, 0x99},
    };

    r.dwReserved0 = 0x0A0B0C0D;
    r.dwMagic = kProfileMagic;
    r.nID = 0x01123456;
    r.szSound[0] = 0x5A;
    r.szName[0] = u'\u0150';
    r.szName[19] = u'\u7A7A';
    r.byReserved572[0] = 0x6B;
    r.Kb.nReserved[0] = 0x31323334;
    r.Kb.Key[0].FunID = 0x02030405;
    r.Kb.Key[131].LedInx = 0x41424344;
    r.Kb.nLedMode = 0x07080910;
    r.Kb.Led[0].nSpeed = 0x11121314;
    r.Kb.Led[23].nUnused13 = 0x15161718;
    r.Kb.nSleepTime = 0x01FF;
    r.Kb.nLedOption2 = 0x2122;
    r.Kb.nCurGameGroup = 0x0E0E;
    r.Kb.byGameGroupUsed[15] = 1;
    r.Kb.clrGameKey[0][0] = 0x01AABBCC;
    r.Kb.clrGameKey[14][131] = 0x01FFEEDD;
    r.Kb.DirectKey[0].FunID = 0x0B010101;
    r.Kb.DirectKey[6].dwReserved = 0x51525354;
    r.Ms.ProMirex.nMode = 0x02020202;
    r.Ms.nSensor = 0x01013360;
    r.Ms.bNoSleep = 0x0101;
    r.Ms.nDebounce = 0x0303;
    r.Ms.bLedOffWhenMoving = 0x01010101;
    r.Ms.nReserved16 = 0x61626364;
    r.Ms.Mode[0].nRate = 0x01011001;
    r.Ms.Mode[0].nKeySet = 0x04040404;
    r.Ms.Mode[0].Key[0][0].FunID = 0x01020311;
    r.Ms.Mode[0].Key[4][20].FunID = 0x05010203;
    r.Ms.Mode[0].Sys.nWheelLines = 0x03030303;
    r.Ms.Mode[0].Dpi[9].bDisabled = 0x71727374;
    r.Ms.Mode[0].bXYSeparate = 0x01010101;
    r.Ms.Mode[0].nDpiNum = 0x06060606;
    r.Ms.Mode[0].Led.nLedMode = 0x0D0D0D0D;
    r.Ms.Mode[0].Led.Mode[13].nColorCount = 0x0A0A0A0A;
    r.Ms.Mode[0].Led.byReserved[0] = 0x77;
    r.Ms.Mode[1].nGunOption = 1;
    r.Ms.Mode[2].nLod = 5;
    r.Pad.nLedMode = 0x0A0A0A01;
    r.Pad.Mode[10].nColorMask = 0x0101FFFF;
    r.byReserved54276[119] = 0x99;

    const std::vector<uint8_t> bytes = BytesOf(r);
    ASSERT_EQ(bytes.size(), 54396u);
    size_t nWidths = 0;
    for (const Field& f : fields) {
        EXPECT_EQ(ReadLE(bytes, f.nOffset, f.nWidth), f.value) << "offset " << f.nOffset;
        nWidths += f.nWidth;
    }
    size_t nNonZero = 0;
    for (const uint8_t b : bytes) nNonZero += b != 0;
    EXPECT_EQ(nNonZero, nWidths);
}

// The two names of the last value of a mouse LED record are one field.
TEST(GvarLayout, MouseLedPackedValueSharesTheColourCount)
{
    MsLedMode mode{};
    mode.nPacked = 0x00030402;
    EXPECT_EQ(mode.nColorCount, 0x00030402);
    EXPECT_EQ(ReadLE(BytesOf(mode), 64, 4), 0x00030402u);
}

// The Fn-layer function at byte 40 is laid out exactly like bytes 0-35.
TEST(GvarLayout, FnLayerMirrorsTheFirstThirtySixBytes)
{
    KeyInfo key{};
    key.FunID = 0x020000A0;
    key.rcKey = {-1, 2, 300, 40};
    key.MatrixInx = 17;
    key.MacroID = 0xABCDEF;
    key.byModifier = 0x02;
    key.byKey1 = 0x41;
    key.byKey2 = 0x42;
    key.byModVk = 0xA0;
    key.dwParam = 0xDEADBEEF;

    KeyInfo withFn{};
    withFn.FnFun = {key.FunID, key.rcKey, key.MatrixInx, key.MacroID, key.byModifier,
                    key.byKey1, key.byKey2, key.byModVk, key.dwParam};
    const std::vector<uint8_t> base = BytesOf(key);
    const std::vector<uint8_t> fn = BytesOf(withFn);
    ASSERT_EQ(base.size(), 88u);
    EXPECT_TRUE(std::equal(base.begin(), base.begin() + 36, fn.begin() + 40));
    EXPECT_EQ(ReadLE(base, 4, 4), 0xFFFFFFFFu);  // rcKey.left, signed
    EXPECT_EQ(ReadLE(base, 29, 1), 0x41u);
}

TEST(GvarLayout, ClearingLeavesNoByteSet)
{
    gVar.clrTxt = 0x123456;
    gVar.Ms.Sensor[19].Key[2][20].dwReserved = 7;
    gVar.Ms.rcDpiText = {1, 2, 3, 4};
    gVar.Kb.LedOpt[23].clrDef[6] = 9;
    gVar.nColorIndex = 3;
    gVar.Pad.nLedMask = 1;
    gVar.pszTitle = u"title";
    gVar.bMultiDev = true;
    gVar.Skins[9].szDir[29] = u'x';
    gVar.nSkinsNum = 10;

    ClearGvar();

    const auto* p = reinterpret_cast<const unsigned char*>(&gVar);
    size_t nFirstSet = sizeof(GlobalVar);
    for (size_t i = 0; i < sizeof(GlobalVar); ++i)
        if (p[i] != 0) { nFirstSet = i; break; }
    EXPECT_EQ(nFirstSet, sizeof(GlobalVar)) << "byte " << nFirstSet << " still set";
    EXPECT_EQ(gVar.pszTitle, nullptr);
}
