// Key names, combination texts and the keyboard-layout remaps.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "core/Utf.h"
#include "keys/KbLayout.h"
#include "keys/KeyNames.h"
#include "text/TextCatalogue.h"

namespace {

class KeyNames : public testing::Test {
protected:
    void SetUp() override { LoadTextCatalogue(test::SourceDir() / "data/text/en/text.xml"); }
};

std::string Name(uint32_t vk, int nKbType = 0) { return U16ToUtf8(GetKeyName(vk, nKbType)); }

TEST_F(KeyNames, NamesOfCodes)
{
    const std::pair<uint32_t, const char*> rows[] = {
        {8, "Backspace"},  {12, "Clr"},        {13, "Enter"},      {16, "Shift"},     {20, "CapsLock"},
        {27, "Esc"},       {32, "Space"},      {34, "PageDown"},   {40, "Down"},      {43, "Enter"},
        {44, "Print"},     {46, "Delete"},     {47, "Help"},       {48, "0"},         {57, "9"},
        {65, "A"},         {90, "Z"},          {91, "L_Win"},      {92, "R_Win"},     {93, "App"},
        {96, "Num 0"},     {105, "Num 9"},     {106, "Num *"},     {107, "Num +"},    {108, "\\"},
        {109, "Num -"},    {110, "Num ."},     {111, "Num /"},     {112, "F1"},       {123, "F12"},
        {144, "NumLock"},  {145, "Scroll Lock"}, {160, "L_Shift"}, {161, "R_Shift"},  {162, "L_Ctrl"},
        {163, "R_Ctrl"},   {164, "L_Alt"},     {165, "R_Alt"},     {253, "NumEnter"},
        // No fixed name: the US character without modifiers.
        {186, ";"},        {187, "="},         {188, ","},         {189, "-"},        {190, "."},
        {191, "/"},        {192, "`"},         {219, "["},         {220, "\\"},       {221, "]"},
        {222, "'"},        {226, "\\"},
        // Mouse buttons from the catalogue.
        {240, "Left Click"}, {241, "Right Click"}, {242, "Middle Click"}, {243, "Forward"}, {244, "Back"},
        // Codes that give no character, and the ends of the range.
        {0, ""},           {7, ""},            {124, ""},          {136, ""},         {245, ""},
        {250, ""},         {254, ""},          {255, ""},
        // Only the low byte counts.
        {0x141, "A"},      {0xFFFFFF0D, "Enter"},
    };
    for (const auto& [vk, name] : rows) EXPECT_EQ(Name(vk), name) << vk;
}

TEST_F(KeyNames, ComboTexts)
{
    struct Row {
        uint8_t mod, k1, k2;
        const char* compact;
        const char* detailed;
    };
    const Row rows[] = {
        {0x11, 65, 0, "Ctrl + A", "L-Ctrl + R-Ctrl + A"},
        {0x05, 46, 0, "Ctrl + Alt + Delete", "L-Ctrl + L-Alt + Delete"},
        {0xFF, 0, 0, "Ctrl + Alt + Shift + Win",
         "L-Ctrl + L-Alt + L-Shift + L-Win + R-Ctrl + R-Alt + R-Shift + R-Win"},
        {0xA0, 112, 113, "Shift + Win + F1 + F2", "R-Shift + R-Win + F1 + F2"},
        {0x00, 65, 66, "A + B", "A + B"},
        {0x00, 0, 66, "B", "B"},
        {0x01, 250, 0, "Ctrl + ", "L-Ctrl + "},  // a nameless key keeps its separator
        {0x00, 250, 65, "A", "A"},               // and a nameless first item adds nothing
        {0x00, 0, 0, "", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << int(r.mod) << "/" << int(r.k1) << "/" << int(r.k2));
        EXPECT_EQ(U16ToUtf8(GetComboText(r.mod, r.k1, r.k2, 0)), r.compact);
        EXPECT_EQ(U16ToUtf8(GetComboTextLR(r.mod, r.k1, r.k2, 0)), r.detailed);
    }
}

TEST_F(KeyNames, NamesFollowTheLayout)
{
    // A stored Y position is labelled Z on layout 1, and the other way round.
    EXPECT_EQ(Name(89, 1), "Z");
    EXPECT_EQ(Name(90, 1), "Y");
    EXPECT_EQ(Name(65, 2), "Q");
    EXPECT_EQ(Name(186, 2), "M");
    EXPECT_EQ(Name(89, 3), "Y");
    EXPECT_EQ(Name(186, 3), "`");
    EXPECT_EQ(U16ToUtf8(GetComboText(0x02, 89, 0, 1)), "Shift + Z");
    // An unknown layout number names keys as layout 0.
    EXPECT_EQ(Name(89, 4), "Y");
    EXPECT_EQ(Name(89, -1), "Y");
}

TEST(KbLayout, CaptureUndoesDisplay)
{
    // Every table pair has its way back; layout 2 names a stored 191 by 223,
    // a code no key stores, so that one alone does not come back.
    for (int nKbType = 0; nKbType < kKbTypeCount; ++nKbType) {
        for (int c = 0; c < 256; ++c) {
            const uint8_t vk = uint8_t(c);
            if (nKbType == 2 && vk == 223) continue;
            EXPECT_EQ(RemapFromCapture(RemapForDisplay(vk, nKbType), nKbType), vk) << nKbType << ":" << c;
        }
    }
}

TEST(KbLayout, SpotRemaps)
{
    struct Row {
        int nKbType;
        uint8_t vk, display, capture;
    };
    const Row rows[] = {
        {0, 89, 89, 89},    {1, 89, 90, 90},    {1, 90, 89, 89},    {1, 186, 192, 219},
        {1, 65, 65, 65},    {2, 77, 188, 186},  {2, 191, 223, 190}, {2, 223, 223, 191},
        {2, 222, 192, 192}, {3, 89, 89, 89},    {3, 220, 191, 192}, {7, 89, 89, 89},
        {-3, 186, 186, 186},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.nKbType << ":" << int(r.vk));
        EXPECT_EQ(RemapForDisplay(r.vk, r.nKbType), r.display);
        EXPECT_EQ(RemapFromCapture(r.vk, r.nKbType), r.capture);
    }
}

}  // namespace
