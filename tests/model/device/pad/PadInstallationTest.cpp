// The pad-only installation end to end without a window: its virtual pad
// from the emulator's rig, the device hub and its apply worker, the stored
// profiles, apply and reset, the pad's state kept for the next run.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/ProfileStore.h"
#include "device/DeviceHub.h"
#include "device/DeviceSession.h"
#include "emu/EmuRig.h"
#include "model/device/pad/PadTestSupport.h"

using namespace padtest;
namespace fs = std::filesystem;

namespace {

class PadInstallation : public PadFixture {
protected:
    void SetUp() override
    {
        PadFixture::SetUp();
        g_szUserDir = m_dir / "user";
        fs::create_directories(g_szUserDir);
    }
    void TearDown() override
    {
        PadFixture::TearDown();
        g_szUserDir.clear();
    }
    template <typename Fn>
    void EditCurrentProfile(Fn&& fn)
    {
        StoredProfiles stored = ListStoredProfiles(g_szUserDir);
        ASSERT_TRUE(stored.pCurrent) << "no stored profile";
        ProfileRecord* p = stored.records.Find(stored.pCurrent->nID);
        ASSERT_NE(p, nullptr);
        fn(*p);
        int nSaved = 0;
        test::WriteBytes(g_szUserDir / "pro.dct", EncodeProDct(stored.records, nSaved));
    }
    test::CTempDir m_dir;
};

}  // namespace

TEST_F(PadInstallation, ApplyAndResetThroughTheHub)
{
    std::vector<std::string> notes;
    CRecordingPrompt prompt;
    {
        CEmuRig rig(m_clock);
        rig.AddConfigured(gVar, m_dir / "emu", notes);
        CDeviceHub hub(rig.Backend(), m_clock, m_notices, nullptr);
        hub.Open();
        ASSERT_EQ(hub.Count(), 1u);
        EXPECT_STREQ(hub.Name(0), "mouse pad");
        ASSERT_EQ(hub.FindNow(0), 1);
        hub.Publish(0, prompt);

        // The first run makes the profiles from the description's default lighting.
        ApplyRunResult r = ApplyCurrentProfile(hub, prompt, 0, false);
        ASSERT_TRUE(r.Ok()) << r.strProblem << r.strSaveError;
        EXPECT_NE(rig.Describe().find("lighting: effect 2, speed 3, brightness 100 % (code 4)"), std::string::npos)
            << rig.Describe();

        // A changed profile reaches the pad; the job's flags do not matter.
        EditCurrentProfile([](ProfileRecord& pro) {
            pro.Pad.nLedMode = 3;
            pro.Pad.Mode[3].nSpeed = 7;
            pro.Pad.Mode[3].nBright = 0x50;
            pro.Pad.Mode[3].nColorMask = 0x01;
        });
        rig.Backend().Journal()->Clear();
        r = ApplyCurrentProfile(hub, prompt, kApplyLed, false);
        ASSERT_TRUE(r.Ok()) << r.strProblem << r.strSaveError;
        const std::vector<std::string> lines = rig.Backend().Journal()->Lines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].rfind("getf general 30 a1 02 02 43 00 ", 0), 0u) << lines[0];
        EXPECT_EQ(lines[1], "setf general 30 a1 02 04 27 01 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                            "00 00");

        // Reset: the defaults on the pad and in the stored profile.
        r = ApplyCurrentProfile(hub, prompt, 0, true);
        ASSERT_TRUE(r.Ok()) << r.strProblem << r.strSaveError;
        EXPECT_NE(rig.Describe().find("lighting: effect 2, speed 3, brightness 100 % (code 4)"), std::string::npos);
        const StoredProfiles stored = ListStoredProfiles(g_szUserDir);
        ASSERT_TRUE(stored.pCurrent);
        EXPECT_EQ(stored.pCurrent->Pad.nLedMode, 1);
        EXPECT_EQ(stored.pCurrent->Pad.Mode[1].nSpeed, 3);

        hub.Close();
        ASSERT_TRUE(rig.Finish({}, notes));
    }
    EXPECT_TRUE(notes.empty()) << notes.front();
    EXPECT_TRUE(m_notices.Entries().empty());

    // The next run finds what this one left on the pad.
    CEmuRig again(m_clock);
    again.AddConfigured(gVar, m_dir / "emu", notes);
    EXPECT_NE(again.Describe().find("lighting: effect 2, speed 3, brightness 100 % (code 4)"), std::string::npos);
}
