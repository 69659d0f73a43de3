#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "device/HidReportDescriptor.h"

namespace {

// Hex pairs; white space anywhere is ignored, so a descriptor can be written
// one item per line as adjacent string literals.
std::vector<uint8_t> Hex(const std::string& str)
{
    std::string digits;
    for (char c : str)
        if (!std::isspace(static_cast<unsigned char>(c))) digits += c;
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(uint8_t(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

// The boot mouse of the HID class definition: three buttons, X and Y, with
// the pointer as a physical collection inside the application collection.
const std::string kBootMouse =
    "05 01"        // Usage Page (Generic Desktop)
    "09 02"        // Usage (Mouse)
    "A1 01"        // Collection (Application)
    "09 01"        //   Usage (Pointer)
    "A1 00"        //   Collection (Physical)
    "05 09"        //     Usage Page (Button)
    "19 01 29 03"  //     Usage Minimum (1), Usage Maximum (3)
    "15 00 25 01"  //     Logical Minimum (0), Logical Maximum (1)
    "95 03 75 01"  //     Report Count (3), Report Size (1)
    "81 02"        //     Input (Data, Variable, Absolute)
    "95 01 75 05"  //     Report Count (1), Report Size (5)
    "81 01"        //     Input (Constant): padding
    "05 01"        //     Usage Page (Generic Desktop)
    "09 30 09 31"  //     Usage (X), Usage (Y)
    "15 81 25 7F"  //     Logical Minimum (-127), Logical Maximum (127)
    "75 08 95 02"  //     Report Size (8), Report Count (2)
    "81 06"        //     Input (Data, Variable, Relative)
    "C0"           //   End Collection
    "C0";          // End Collection

// The boot keyboard: modifier byte, reserved byte, six key codes in; five
// LEDs and three bits of padding out.
const std::string kBootKeyboard =
    "05 01 09 06 A1 01"              // Generic Desktop, Keyboard, Application
    "05 07 19 E0 29 E7"              //   Keyboard page, Usage 0xE0-0xE7 (modifiers)
    "15 00 25 01 75 01 95 08 81 02"  //   8 x 1 bit, Input (Data, Variable)
    "95 01 75 08 81 01"              //   1 x 8 bits, Input (Constant)
    "95 05 75 01 05 08 19 01 29 05"  //   LED page, Usage 1-5
    "91 02"                          //   Output (Data, Variable)
    "95 01 75 03 91 01"              //   Output (Constant): padding
    "95 06 75 08 15 00 25 65"        //   6 x 8 bits, 0-101
    "05 07 19 00 29 65 81 00"        //   Keyboard page, Input (Data, Array)
    "C0";

// The configuration interface of a gaming mouse: three vendor collections on
// page 0xFF00, usage 1 - a 6-byte command feature report (id 5), a 520-byte
// data feature report (id 4) and an 8-byte notification input report (id 7).
const std::string kGamingMouseVendor =
    "06 00 FF 09 01 A1 01"  // Usage Page (0xFF00), Usage (1), Application
    "85 05"                 //   Report ID (5)
    "15 00 26 FF 00"        //   Logical Minimum (0), Logical Maximum (255)
    "75 08 95 05"           //   Report Size (8), Report Count (5)
    "09 01 B1 02"           //   Usage (1), Feature (Data, Variable)
    "C0"
    "06 00 FF 09 01 A1 01"
    "85 04"                 //   Report ID (4)
    "15 00 26 FF 00"
    "75 08 96 07 02"        //   Report Size (8), Report Count (519)
    "09 01 B1 02"
    "C0"
    "06 00 FF 09 01 A1 01"
    "85 07"                 //   Report ID (7)
    "15 00 26 FF 00"
    "75 08 95 07"           //   Report Size (8), Report Count (7)
    "09 01 81 02"           //   Usage (1), Input (Data, Variable)
    "C0";

// The second interface of a keyboard: system control (id 2), consumer
// control (id 3), a mouse with wheel (id 1) and a vendor channel (id 6) with
// 64-byte input and output reports.
const std::string kCompositeKeyboard =
    "05 01 09 80 A1 01"                 // Generic Desktop, System Control
    "85 02 19 81 29 83 15 00 25 01"     //   Report ID (2), Usage 0x81-0x83
    "75 01 95 03 81 02"                 //   3 x 1 bit, Input
    "95 05 81 01"                       //   5 bits padding
    "C0"
    "05 0C 09 01 A1 01"                 // Consumer, Consumer Control
    "85 03 19 00 2A 3C 02"              //   Report ID (3), Usage 0-0x23C
    "15 00 26 3C 02 95 01 75 10 81 00"  //   1 x 16 bits, Input (Array)
    "C0"
    "05 01 09 02 A1 01"                 // Generic Desktop, Mouse
    "85 01 09 01 A1 00"                 //   Report ID (1), Pointer, Physical
    "05 09 19 01 29 05 15 00 25 01"     //     Buttons 1-5
    "95 05 75 01 81 02"                 //     5 x 1 bit, Input
    "95 01 75 03 81 01"                 //     3 bits padding
    "05 01 16 01 80 26 FF 7F"           //     -32767..32767
    "75 10 95 02 09 30 09 31 81 06"     //     X, Y: 2 x 16 bits, Input (Relative)
    "15 81 25 7F 75 08 95 01"           //     -127..127, 1 x 8 bits
    "09 38 81 06"                       //     Wheel, Input (Relative)
    "C0 C0"
    "06 00 FF 09 01 A1 01"              // Vendor 0xFF00, usage 1
    "85 06 09 01 15 00 26 FF 00"        //   Report ID (6)
    "75 08 95 3F 81 02"                 //   63 bytes, Input
    "09 02 95 3F 91 02"                 //   63 bytes, Output
    "C0";

struct Expected {
    int nUsagePage, nUsage, nInputLen, nOutputLen, nFeatureLen, nReportId;
    std::vector<uint8_t> ids;
};

void ExpectCollections(const std::string& strName, const std::string& strHex, const std::vector<Expected>& expected)
{
    SCOPED_TRACE(strName);
    const HidDescriptorInfo info = ParseHidReportDescriptor(Hex(strHex));
    EXPECT_TRUE(info.Ok()) << info.strError << " at " << info.nErrorOffset;
    ASSERT_EQ(info.collections.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("collection " + std::to_string(i));
        const HidTopCollection& c = info.collections[i];
        const Expected& e = expected[i];
        EXPECT_EQ(c.nUsagePage, e.nUsagePage);
        EXPECT_EQ(c.nUsage, e.nUsage);
        EXPECT_EQ(c.nInputLen, e.nInputLen);
        EXPECT_EQ(c.nOutputLen, e.nOutputLen);
        EXPECT_EQ(c.nFeatureLen, e.nFeatureLen);
        EXPECT_EQ(c.nReportId, e.nReportId);
        EXPECT_EQ(c.AllReportIds(), e.ids);
    }
}

TEST(HidReportDescriptor, RealDevices)
{
    // Without report ids the id byte is still counted (it is 0 in every buffer).
    ExpectCollections("boot mouse", kBootMouse, {{0x01, 0x02, 4, 0, 0, 0, {0}}});
    ExpectCollections("boot keyboard", kBootKeyboard, {{0x01, 0x06, 9, 2, 0, 0, {0}}});
    ExpectCollections("gaming mouse", kGamingMouseVendor,
                      {{0xFF00, 1, 0, 0, 6, 5, {5}}, {0xFF00, 1, 0, 0, 520, 4, {4}}, {0xFF00, 1, 8, 0, 0, 7, {7}}});
    ExpectCollections("composite keyboard", kCompositeKeyboard,
                      {{0x01, 0x80, 2, 0, 0, 2, {2}},
                       {0x0C, 0x01, 3, 0, 0, 3, {3}},
                       {0x01, 0x02, 7, 0, 0, 1, {1}},
                       {0xFF00, 0x01, 64, 64, 0, 6, {6}}});
    EXPECT_FALSE(ParseHidReportDescriptor(Hex(kBootMouse)).bUsesReportIds);
    EXPECT_TRUE(ParseHidReportDescriptor(Hex(kGamingMouseVendor)).bUsesReportIds);
}

TEST(HidReportDescriptor, ItemRules)
{
    struct Case { const char* pszName; std::string hex; std::vector<Expected> expected; };
    const Case cases[] = {
        {"a 3-bit field is rounded up to a byte", "05 01 09 00 A1 01 75 03 95 01 81 02 C0", {{1, 0, 2, 0, 0, 0, {0}}}},
        {"the largest report of a kind sets its length; feature ids before input ids",
         "06 00 FF 09 01 A1 01"
         "85 07 09 02 15 00 26 FF 00 75 08 95 07 81 02"  // input id 7, 7 bytes
         "85 05 09 03 95 05 B1 02"                       // feature id 5, 5 bytes
         "85 04 09 04 96 07 02 B1 02"                    // feature id 4, 519 bytes
         "C0",
         {{0xFF00, 1, 8, 0, 520, 5, {4, 5, 7}}}},
        {"input ids before output ids", "06 00 FF 09 01 A1 01 75 08 95 02 85 09 91 02 85 08 81 02 C0",
         {{0xFF00, 1, 3, 3, 0, 8, {8, 9}}}},
        {"a button capability comes before a value capability of the same kind",
         "05 01 09 05 A1 01 85 03 75 08 95 01 81 02 85 02 75 01 95 08 81 02 C0", {{1, 5, 2, 0, 0, 2, {2, 3}}}},
        {"padding is no capability", "06 00 FF 09 01 A1 01 85 03 75 08 95 04 B1 01 85 09 81 02 C0",
         {{0xFF00, 1, 5, 0, 5, 9, {3, 9}}}},
        {"a zero-sized field adds nothing", "06 00 FF 09 01 A1 01 85 03 75 08 95 00 B1 02 85 09 95 01 81 02 C0",
         {{0xFF00, 1, 2, 0, 0, 9, {9}}}},
        {"an extended usage carries its own page", "05 01 0B 01 00 0C 00 A1 01 75 08 95 01 81 02 C0",
         {{0x0C, 1, 2, 0, 0, 0, {0}}}},
        {"Push and Pop keep report id, size and count",
         "06 00 FF 09 01 A1 01 85 01 75 08 95 02 A4 85 02 95 04 81 02 B4 81 02 C0",
         {{0xFF00, 1, 5, 0, 0, 2, {1, 2}}}},
        {"a long item is skipped whole, even when its data look like items",
         "FE 04 10 A1 01 C0 C0 05 01 09 02 A1 01 75 08 95 03 81 06 C0", {{1, 2, 4, 0, 0, 0, {0}}}},
        {"usage page and size items of four bytes", "07 00 FF 00 00 09 01 A1 01 77 08 00 00 00 97 02 00 00 00 B1 02 C0",
         {{0xFF00, 1, 0, 0, 3, 0, {0}}}},
        {"items outside any collection keep their reports", "05 01 09 02 75 08 95 03 81 02",
         {{1, 2, 4, 0, 0, 0, {0}}}},
        {"a nested collection is no top-level collection",
         "05 01 09 02 A1 01 A1 02 A1 00 75 08 95 01 81 02 C0 C0 C0", {{1, 2, 2, 0, 0, 0, {0}}}},
        {"empty descriptor", "", {}},
    };
    for (const Case& c : cases) ExpectCollections(c.pszName, c.hex, c.expected);
}

TEST(HidReportDescriptor, MalformedDescriptorsGiveAnErrorAndWhatCameBefore)
{
    auto Nested = [](int nDepth) {
        std::string s;
        for (int i = 0; i < nDepth; ++i) s += "A1 02 ";
        for (int i = 0; i < nDepth; ++i) s += "C0 ";
        return s;
    };
    auto Pushes = [](int n) {
        std::string s = "A1 01 ";
        for (int i = 0; i < n; ++i) s += "A4 ";
        return s + "C0";
    };
    const size_t nMouse = Hex(kBootMouse).size();
    struct Case { const char* pszName; std::string hex; size_t nOffset; size_t nCollections; };
    const Case cases[] = {
        {"short item cut off", kBootMouse + "05", nMouse, 1},
        {"four-byte item cut off", kBootMouse + "07 00 FF", nMouse, 1},
        {"long item header cut off", kBootMouse + "FE 05", nMouse, 1},
        {"long item data cut off", kBootMouse + "FE 05 00 01 02", nMouse, 1},
        {"End Collection without Collection", kBootMouse + "C0", nMouse, 1},
        {"Pop without Push", kBootMouse + "B4", nMouse, 1},
        {"collection not closed", kBootMouse + "A1 01 75 08 95 01 81 02", nMouse + 8, 2},
        {"report id 0", kBootMouse + "85 00", nMouse, 1},
        {"report id above 255", kBootMouse + "86 00 01", nMouse, 1},
        {"report size above 256 bits", kBootMouse + "A1 01 76 01 01 95 01 81 02 C0", nMouse + 7, 2},
        {"report too long", kBootMouse + "A1 01 76 00 01 96 FF FF 81 02 C0", nMouse + 8, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        const HidDescriptorInfo info = ParseHidReportDescriptor(Hex(c.hex));
        EXPECT_FALSE(info.Ok());
        EXPECT_EQ(info.nErrorOffset, c.nOffset) << info.strError;
        ASSERT_EQ(info.collections.size(), c.nCollections);
        // The mouse before the fault is reported as it is.
        EXPECT_EQ(info.collections[0].nUsage, 2);
        EXPECT_EQ(info.collections[0].nInputLen, 4);
    }
    // A report refused as too long leaves no trace in the lengths.
    const HidDescriptorInfo tooLong = ParseHidReportDescriptor(Hex(kBootMouse + "A1 01 76 00 01 96 FF FF 81 02 C0"));
    ASSERT_EQ(tooLong.collections.size(), 2u);
    EXPECT_EQ(tooLong.collections[1].nInputLen, 0);

    struct Deep { const char* pszName; std::string hex; size_t nOffset; };
    const Deep deep[] = {
        {"nesting too deep", Nested(kHidMaxCollectionDepth + 1), size_t(kHidMaxCollectionDepth) * 2},
        {"Push too deep", Pushes(kHidMaxPushDepth + 1), size_t(2 + kHidMaxPushDepth)},
    };
    for (const Deep& d : deep) {
        SCOPED_TRACE(d.pszName);
        const HidDescriptorInfo info = ParseHidReportDescriptor(Hex(d.hex));
        EXPECT_FALSE(info.Ok());
        EXPECT_EQ(info.nErrorOffset, d.nOffset) << info.strError;
    }
    // The limits themselves are accepted.
    EXPECT_TRUE(ParseHidReportDescriptor(Hex(Nested(kHidMaxCollectionDepth))).Ok());
    EXPECT_TRUE(ParseHidReportDescriptor(Hex(Pushes(kHidMaxPushDepth))).Ok());
}

TEST(HidReportDescriptor, TooManyTopLevelCollectionsAreRefused)
{
    std::string s;
    for (size_t i = 0; i <= kHidMaxTopCollections; ++i) s += "A1 01 C0 ";
    const HidDescriptorInfo info = ParseHidReportDescriptor(Hex(s));
    EXPECT_FALSE(info.Ok());
    EXPECT_EQ(info.collections.size(), kHidMaxTopCollections);
    EXPECT_EQ(info.nErrorOffset, kHidMaxTopCollections * 3);
}

// Every prefix of a real descriptor: no read past the end (the sanitizers
// watch), what is found never exceeds what the whole descriptor gives, and a
// prefix accepted as whole gives exactly the collections it holds.
TEST(HidReportDescriptor, EveryTruncationIsSafeAndNeverOverstates)
{
    const std::vector<uint8_t> full = Hex(kCompositeKeyboard);
    const HidDescriptorInfo whole = ParseHidReportDescriptor(full);
    ASSERT_TRUE(whole.Ok());
    size_t nAccepted = 0;
    for (size_t n = 0; n < full.size(); ++n) {
        const std::vector<uint8_t> prefix(full.begin(), full.begin() + std::ptrdiff_t(n));
        const HidDescriptorInfo part = ParseHidReportDescriptor(prefix);
        ASSERT_LE(part.collections.size(), whole.collections.size()) << n;
        for (size_t i = 0; i < part.collections.size(); ++i) {
            const HidTopCollection& p = part.collections[i];
            const HidTopCollection& w = whole.collections[i];
            EXPECT_EQ(p.nUsagePage, w.nUsagePage) << n;
            EXPECT_EQ(p.nUsage, w.nUsage) << n;
            EXPECT_LE(p.nInputLen, w.nInputLen) << n;
            EXPECT_LE(p.nOutputLen, w.nOutputLen) << n;
            if (part.Ok()) {
                EXPECT_EQ(p.nInputLen, w.nInputLen) << n;
                EXPECT_EQ(p.nOutputLen, w.nOutputLen) << n;
                EXPECT_EQ(p.nReportId, w.nReportId) << n;
            }
        }
        if (part.Ok()) ++nAccepted;
    }
    // Accepted: the cuts between items at the top level, three before each of
    // the four collections (before its Usage Page, its Usage, its Collection).
    EXPECT_EQ(nAccepted, 4u * 3u);
}

}  // namespace
