// The keyboard's default key table (KBKEY) and its Fn layer (FN): lines in,
// g_defKEY records and the messages shown out.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "KbDescTestSupport.h"
#include "core/Gvar.h"
#include "core/KeyboardDesc.h"

namespace {

using kbtest::Msg;
using kbtest::Msgs;

// Keys on matrix positions 1, 2, ... with LED = matrix, each a letter.
std::string Keys(int nCount, int nFirstMatrix = 1)
{
    std::string s = "[KBKEY]\n";
    for (int i = 0; i < nCount; ++i)
        s += "K" + std::to_string(i + 1) + "=0,0,10,10,2,41,0," + std::to_string(nFirstMatrix + i) + "\n";
    return s;
}

class KeyTableTest : public kbtest::CDescTest {
protected:
    void SetUp() override
    {
        CDescTest::SetUp();
        gVar.nKbFw = 22;
    }
    void Load(const std::string& text) { LoadKeyboardDescription(CIniFile::FromBytes(text), m_prompt); }
    void LoadFn(const std::string& text) { BuildFnTable(CIniFile::FromBytes(text), m_prompt); }
    std::vector<int> Matrix() const
    {
        std::vector<int> out;
        for (int i = 0; i < gVar.Kb.nKeyNum; ++i) out.push_back(g_defKEY[i].MatrixInx);
        return out;
    }
};

struct LineCase {
    const char* pszLine;
    uint32_t dwFunID;
    uint8_t byModifier, byKey1, byModVk;
    uint32_t dwParam;
    int nMatrix, nLed;
};

}  // namespace

TEST_F(KeyTableTest, LineFillsTheKeyRecord)
{
    const LineCase cases[] = {
        // Eight numbers: the LED position is the matrix position.
        {"10,20,30,30,2,41,0,17", 0x020000A0, 0, 0x41, 0, 0, 17, 17},
        {"0,0,10,10,2,41,3,5,9", 0x020000A0, 0x03, 0x41, 0, 0, 5, 9},
        {"0,0,10,10,2,FA,0,131,0", 0x020000A0, 0, 250, 0, 0, 131, 0},
        // Lone modifiers: the bit, no key, the modifier's own code (left keys by
        // their generic code, as the key records keep them everywhere).
        {"0,0,10,10,2,10,0,1", 0x020000A0, 0x02, 0, 16, 0, 1, 1},
        {"0,0,10,10,2,A0,0,1", 0x020000A0, 0x02, 0, 16, 0, 1, 1},
        {"0,0,10,10,2,11,0,1", 0x020000A0, 0x01, 0, 17, 0, 1, 1},
        {"0,0,10,10,2,A2,0,1", 0x020000A0, 0x01, 0, 17, 0, 1, 1},
        {"0,0,10,10,2,12,0,1", 0x020000A0, 0x04, 0, 18, 0, 1, 1},
        {"0,0,10,10,2,A4,0,1", 0x020000A0, 0x04, 0, 18, 0, 1, 1},
        {"0,0,10,10,2,5B,0,1", 0x020000A0, 0x08, 0, 91, 0, 1, 1},
        {"0,0,10,10,2,5C,0,1", 0x020000A0, 0x80, 0, 92, 0, 1, 1},
        {"0,0,10,10,2,A1,0,1", 0x020000A0, 0x20, 0, 161, 0, 1, 1},
        {"0,0,10,10,2,A3,0,1", 0x020000A0, 0x10, 0, 163, 0, 1, 1},
        {"0,0,10,10,2,A5,0,1", 0x020000A0, 0x40, 0, 165, 0, 1, 1},
        // Hardware functions keep the parameter; other classes do not.
        {"0,0,10,10,9,2,1234,3", 0x09000002, 0, 0, 0, 0x1234, 3, 3},
        {"0,0,10,10,4,26,5,4", 0x04000026, 0, 0, 0, 0, 4, 4},
        {"0,0,10,10,0x8,0xB5,0,6,-1", 0x080000B5, 0, 0, 0, 0, 6, -1},
        {" 1 , 2 , 3 , 4 , 2 , 20 , 0 , 0 , 0 ", 0x020000A0, 0, 0x20, 0, 0, 0, 0},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.pszLine);
        m_prompt.Clear();
        Load(std::string("[KBKEY]\nK1=") + c.pszLine + "\n");
        EXPECT_EQ(Messages(), Msgs{});
        ASSERT_EQ(gVar.Kb.nKeyNum, 1);
        const KeyInfo& k = g_defKEY[0];
        EXPECT_EQ(k.FunID, c.dwFunID);
        EXPECT_EQ(k.byModifier, c.byModifier);
        EXPECT_EQ(k.byKey1, c.byKey1);
        EXPECT_EQ(k.byKey2, 0);
        EXPECT_EQ(k.byModVk, c.byModVk);
        EXPECT_EQ(k.dwParam, c.dwParam);
        EXPECT_EQ(k.MatrixInx, c.nMatrix);
        EXPECT_EQ(k.LedInx, c.nLed);
        EXPECT_EQ(k.nFnIndex, -1);
        EXPECT_EQ(k.MacroID, 0u);
    }
}

TEST_F(KeyTableTest, RectangleIsWrittenAsPositionAndSize)
{
    Load("[KBKEY]\nK1=10,20,30,40,2,41,0,1\nK2=5,7,2147483647,1,2,42,0,2\n");
    EXPECT_EQ(g_defKEY[0].rcKey.left, 10);
    EXPECT_EQ(g_defKEY[0].rcKey.top, 20);
    EXPECT_EQ(g_defKEY[0].rcKey.right, 40);
    EXPECT_EQ(g_defKEY[0].rcKey.bottom, 60);
    // Held at the end of the range rather than wrapping round.
    EXPECT_EQ(g_defKEY[1].rcKey.right, 2147483647);
    EXPECT_EQ(g_defKEY[1].rcKey.bottom, 8);
}

TEST_F(KeyTableTest, BadLinesAreShownAndLeftOut)
{
    struct Case {
        const char* pszName;
        std::string text;
        Msgs msgs;
        std::vector<int> matrix;  // of the slots filled
    };
    const Msg kWrongIndex{"Wrong matrix index value!", "Warning"};
    const Msg kParse{"Data parse error!", "Error"};
    const std::string k123 = "K1=0,0,1,1,2,41,0,1\nK2=0,0,1,1,2,42,0,2\n";
    const Case cases[] = {
        // The next line takes the slot of the dropped one.
        {"matrix 140", k123 + "K3=0,0,1,1,2,43,0,140\nK4=0,0,1,1,2,44,0,4\n", {kWrongIndex}, {1, 2, 4}},
        {"matrix 132", k123 + "K3=0,0,1,1,2,43,0,132\n", {kWrongIndex}, {1, 2}},
        {"negative matrix", k123 + "K3=0,0,1,1,2,43,0,-1\n", {kWrongIndex}, {1, 2}},
        {"LED 132", k123 + "K3=0,0,1,1,2,43,0,3,132\n", {kWrongIndex}, {1, 2}},
        {"LED -2", k123 + "K3=0,0,1,1,2,43,0,3,-2\n", {kWrongIndex}, {1, 2}},
        // A bad LED item ends the line after the matrix position: the key stays.
        {"bad LED item", k123 + "K3=0,0,1,1,2,43,0,3,x\n", {kParse}, {1, 2, 3}},
        // A bad item before the matrix position leaves the key without one.
        {"bad code", k123 + "K3=0,0,1,1,2,4G,0,3\n", {kParse}, {1, 2}},
        {"bad x", k123 + "K3=1x,0,1,1,2,43,0,3\n", {kParse}, {1, 2}},
        {"short line", k123 + "K3=0,0,1,1,2,43,0\nK4=0,0,1,1,2,44,0,4\n", {}, {1, 2, 4}},
        // The table ends at the first missing or empty line.
        {"gap", k123 + "K4=0,0,1,1,2,44,0,4\n", {}, {1, 2}},
        {"empty line", k123 + "K3=\nK4=0,0,1,1,2,44,0,4\n", {}, {1, 2}},
        {"no table", "", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        m_prompt.Clear();
        Load("[KBKEY]\n" + c.text);
        EXPECT_EQ(Messages(), c.msgs);
        EXPECT_EQ(Matrix(), c.matrix);
        EXPECT_EQ(gVar.Kb.nKeyNum, int(c.matrix.size()));
        EXPECT_EQ(gVar.Kb.nUIKeyNum, gVar.Kb.nKeyNum);
        // Slots past the table stay empty.
        EXPECT_EQ(g_defKEY[c.matrix.size()].FunID, 0u);
    }
    EXPECT_TRUE(Logged("[KBKEY] K3: no matrix position, the key is left out"));
}

TEST_F(KeyTableTest, TableHoldsAtMost132Keys)
{
    Load(Keys(132, 0));
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(gVar.Kb.nKeyNum, 132);
    EXPECT_EQ(g_defKEY[131].MatrixInx, 131);
    EXPECT_FALSE(Logged("not read"));

    // A 133rd line is not read (there is no slot for it) and is logged.
    std::string text = "[KBKEY]\n";
    for (int i = 0; i < 133; ++i)
        text += "K" + std::to_string(i + 1) + "=0,0,10,10,2,41,0," + std::to_string(i % 132) + "," +
                std::to_string(i % 132) + "\n";
    m_prompt.Clear();
    Load(text);
    EXPECT_EQ(gVar.Kb.nKeyNum, 132);
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_TRUE(Logged("[KBKEY] K133: the key table holds 132 keys"));

    // 132 lines with one bad: 131 keys.
    text = Keys(132, 0);
    text.replace(text.find("K7=0,0,10,10,2,41,0,6"), 21, "K7=0,0,10,10,2,41,0,200");
    m_prompt.Clear();
    Load(text);
    EXPECT_EQ(gVar.Kb.nKeyNum, 131);
    EXPECT_EQ(Messages(), (Msgs{{"Wrong matrix index value!", "Warning"}}));
}

TEST_F(KeyTableTest, SharedPositionsAreShownOnce)
{
    struct Case {
        const char* pszName;
        std::string lines;
        Msgs msgs;
    };
    auto matrixMsg = [](int a, int b) {
        return Msg{"错误：Key" + std::to_string(a) + " 和 Key" + std::to_string(b) + " 的按键位置重复了", "Warning"};
    };
    auto ledMsg = [](int a, int b) {
        return Msg{"错误：Key" + std::to_string(a) + " 和 Key" + std::to_string(b) + " 的灯光位置重复了", "Warning"};
    };
    const Case cases[] = {
        {"three keys on matrix 12", "K1=0,0,1,1,2,41,0,12\nK2=0,0,1,1,2,42,0,5\nK3=0,0,1,1,2,43,0,12\n"
                                    "K4=0,0,1,1,2,44,0,12\n",
         {matrixMsg(1, 3)}},
        {"a key without a function may share", "K1=0,0,1,1,2,41,0,12,1\nK2=0,0,1,1,0,0,0,12,2\n", {}},
        {"shared LED", "K1=0,0,1,1,2,41,0,1,40\nK2=0,0,1,1,2,42,0,2,40\n", {ledMsg(1, 2)}},
        {"LED 0 is not checked", "K1=0,0,1,1,2,41,0,1,0\nK2=0,0,1,1,2,42,0,2,0\n", {}},
        {"keys without a light", "K1=0,0,1,1,2,41,0,1,-1\nK2=0,0,1,1,2,42,0,2,-1\n", {}},
        // Only the first problem is shown: keys 1 and 2 share an LED before
        // keys 1 and 3 share a matrix position.
        {"first problem only", "K1=0,0,1,1,2,41,0,1,9\nK2=0,0,1,1,2,42,0,2,9\nK3=0,0,1,1,2,43,0,1,3\n",
         {ledMsg(1, 2)}},
        // The numbers are those of the lines in the file.
        {"after a dropped line", "K1=0,0,1,1,2,41,0,7\nK2=0,0,1,1,2,42,0,999\nK3=0,0,1,1,2,43,0,7\n",
         {{"Wrong matrix index value!", "Warning"}, matrixMsg(1, 3)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        m_prompt.Clear();
        Load("[KBKEY]\n" + c.lines);
        EXPECT_EQ(Messages(), c.msgs);
    }
}

TEST_F(KeyTableTest, FnLinesJoinTheirKeys)
{
    Load(Keys(6));
    LoadFn("[FN]\n"
           "K1=4,26,0,5\n"    // entry given
           "K2=8,AD,77\n"     // no entry: the smallest free one; the parameter is kept
           "K3=2,41,1\n"      // a key with Ctrl
           "K4=2,A1,0\n"      // a lone modifier
           "K6=9,1,ABCD,255\n");  // 255 asks for a free entry too
    EXPECT_EQ(Messages(), Msgs{});

    EXPECT_EQ(g_defKEY[0].nFnIndex, 5);
    EXPECT_EQ(g_defKEY[0].FnFun.FunID, 0x04000026u);
    EXPECT_EQ(g_defKEY[1].nFnIndex, 0);
    EXPECT_EQ(g_defKEY[1].FnFun.FunID, 0x080000ADu);
    EXPECT_EQ(g_defKEY[1].FnFun.dwParam, 0x77u);
    EXPECT_EQ(g_defKEY[2].nFnIndex, 1);
    EXPECT_EQ(g_defKEY[2].FnFun.FunID, 0x02000000u);
    EXPECT_EQ(g_defKEY[2].FnFun.byKey1, 0x41);
    EXPECT_EQ(g_defKEY[2].FnFun.byModifier, 0x01);
    EXPECT_EQ(g_defKEY[3].nFnIndex, 2);
    EXPECT_EQ(g_defKEY[3].FnFun.byModifier, 0x20);
    EXPECT_EQ(g_defKEY[3].FnFun.byKey1, 0);
    EXPECT_EQ(g_defKEY[3].FnFun.byModVk, 161);
    EXPECT_EQ(g_defKEY[4].nFnIndex, -1);
    EXPECT_EQ(g_defKEY[4].FnFun.FunID, 0u);
    EXPECT_EQ(g_defKEY[5].nFnIndex, 3);
    EXPECT_EQ(g_defKEY[5].FnFun.dwParam, 0xABCDu);
    // The base layer is untouched.
    EXPECT_EQ(g_defKEY[0].FunID, 0x020000A0u);
    EXPECT_EQ(g_defKEY[0].MatrixInx, 1);
    EXPECT_EQ(FindFreeFnIndex(), 4);

    // A second build starts again from nothing.
    LoadFn("[FN]\nK5=4,22,0\n");
    EXPECT_EQ(g_defKEY[0].nFnIndex, -1);
    EXPECT_EQ(g_defKEY[0].FnFun.FunID, 0u);
    EXPECT_EQ(g_defKEY[4].nFnIndex, 0);
}

TEST_F(KeyTableTest, FnEntriesOutsideTheTablesOrTakenAreReplaced)
{
    Load("[KB]\nMaxFnNum=8\n" + Keys(6));
    LoadFn("[FN]\n"
           "K1=4,26,0,8\n"     // not below MaxFnNum
           "K2=4,27,0,-3\n"
           "K3=4,28,0,0\n"
           "K4=4,22,0,0\n"     // taken by key 3: logged, a free one is used
           "K5=4,23,0,7\n");
    EXPECT_EQ(Messages(), (Msgs{{"Wrong FN index value!", "Error"}, {"Wrong FN index value!", "Error"}}));
    EXPECT_EQ(g_defKEY[0].nFnIndex, 1);
    EXPECT_EQ(g_defKEY[1].nFnIndex, 2);
    EXPECT_EQ(g_defKEY[2].nFnIndex, 0);
    EXPECT_EQ(g_defKEY[3].nFnIndex, 3);
    EXPECT_EQ(g_defKEY[4].nFnIndex, 7);
    EXPECT_TRUE(Logged("[FN] K4: Fn entry already taken by another key"));
}

TEST_F(KeyTableTest, FnLinesThatCannotBeUsed)
{
    Load(Keys(4));
    LoadFn("[FN]\n"
           "K1=4,2G,0\n"       // no code: nothing
           "K2=4,26,0,x\n"     // the entry is bad: a free one
           "K3=4\n"            // class only
           "K9=4,26,0\n");     // no key 9 in the table
    EXPECT_EQ(Messages(), (Msgs{{"Data parse error!", "Error"}, {"Data parse error!", "Error"}}));
    EXPECT_EQ(g_defKEY[0].nFnIndex, -1);
    EXPECT_EQ(g_defKEY[1].nFnIndex, 0);
    EXPECT_EQ(g_defKEY[1].FnFun.FunID, 0x04000026u);
    EXPECT_EQ(g_defKEY[2].nFnIndex, -1);
    EXPECT_EQ(g_defKEY[8].nFnIndex, -1);
    EXPECT_EQ(g_defKEY[8].FnFun.FunID, 0u);
    EXPECT_TRUE(Logged("[FN] K9: no such key in the key table"));
}

TEST_F(KeyTableTest, AtMost64FnLinesAndNoMoreEntriesThanMaxFnNum)
{
    Load("[KB]\nMaxFnNum=62\n" + Keys(120, 0));
    std::string fn = "[FN]\n";
    for (int n = 1; n <= 70; ++n) fn += "K" + std::to_string(n) + "=4,26,0\n";
    LoadFn(fn);
    // Said once, not once per line.
    EXPECT_EQ(Messages(), (Msgs{{"k>=64", "Warning"}}));
    std::set<int> used;
    for (int i = 0; i < 62; ++i) used.insert(g_defKEY[i].nFnIndex);
    EXPECT_EQ(used.size(), 62u);
    EXPECT_EQ(*used.begin(), 0);
    EXPECT_EQ(*used.rbegin(), 61);
    // Lines 63 and 64 were read but no entry is left for them.
    EXPECT_EQ(g_defKEY[62].nFnIndex, -1);
    EXPECT_EQ(g_defKEY[63].nFnIndex, -1);
    EXPECT_EQ(g_defKEY[63].FnFun.FunID, 0u);
    EXPECT_TRUE(Logged("ERROR: Get wrong index for g_defKEY[62]"));
    EXPECT_TRUE(Logged("ERROR: Get wrong index for g_defKEY[63]"));
    // Lines after the 64th are not read.
    EXPECT_EQ(g_defKEY[64].nFnIndex, -1);
    EXPECT_EQ(g_defKEY[64].FnFun.FunID, 0u);
    EXPECT_EQ(FindFreeFnIndex(), -1);
}

TEST_F(KeyTableTest, NoFnEntriesWhenMaxFnNumIsZero)
{
    Load("[KB]\nMaxFnNum=0\n" + Keys(2));
    LoadFn("[FN]\nK1=4,26,0\nK2=4,26,0,0\n");
    EXPECT_EQ(Messages(), (Msgs{{"Wrong FN index value!", "Error"}}));
    EXPECT_EQ(g_defKEY[0].nFnIndex, -1);
    EXPECT_EQ(g_defKEY[1].nFnIndex, -1);
    EXPECT_EQ(FindFreeFnIndex(), -1);
}

TEST_F(KeyTableTest, FnLayerIsReadFromCfgIniInTheApplicationFolder)
{
    Load(Keys(3));
    test::WriteBytes(g_szAppDir / "cfg.ini", "[FN]\nK2=4,26,0,4\n");
    BuildFnTable(m_prompt);
    EXPECT_EQ(g_defKEY[1].nFnIndex, 4);
    EXPECT_EQ(g_defKEY[1].FnFun.FunID, 0x04000026u);

    // Without the file: no Fn layer, no message.
    std::filesystem::remove(g_szAppDir / "cfg.ini");
    BuildFnTable(m_prompt);
    EXPECT_EQ(g_defKEY[1].nFnIndex, -1);
    EXPECT_EQ(Messages(), Msgs{});
}
