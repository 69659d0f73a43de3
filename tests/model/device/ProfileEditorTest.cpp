// The profile editor the pages edit through: every edit is saved, and with
// ApplyNow only what changed goes to the device at once.
#include <gtest/gtest.h>

#include "FakeHid.h"
#include "TestSupport.h"
#include "device/DeviceHub.h"
#include "device/ProfileEditor.h"
#include "emu/EmuBackend.h"
#include "emu/VirtualClock.h"
#include "emu/mirex/EmuMirex.h"
#include "mirex/MirexTestSupport.h"

namespace {

struct EditorRig {
    test::CTempDir dir;
    CRecordingPrompt prompt;
    CVirtualClock clock;
    CEmuBackend backend;
    std::shared_ptr<CEmuMirex> mouse = std::make_shared<CEmuMirex>(MirexConfigFor(0x258A, 0x1007, 0x3360), clock);
    CNoticeQueue notices;
    CDeviceHub hub{backend, clock, notices, nullptr};
    CProfileStore store{dir.Path(), prompt};
    CProList list;
    ProfileRecord* pCurrent = nullptr;
    CProfileEditor editor{list, pCurrent, store, &hub};

    EditorRig()
    {
        backend.AddDevice(mouse);
        hub.Open();
        hub.FindNow(0);
        hub.Publish(0, prompt);
        ProfileDefaults d;
        d.fill = [this](ProfileRecord& pro) { hub.Device(0).FillDefault(pro); };
        pCurrent = list.Add(store.NewProfile(u"Profile 1", list, d));
    }
    ~EditorRig() { hub.Close(); }
    int RateCode() { return mouse->GetState().block[0][2] & 0x0F; }
};

}  // namespace

TEST(ProfileEditor, AnEditIsSavedAndWithApplyNowWrittenAtOnce)
{
    mirextest::LoadMouse(1);
    EditorRig r;
    const int nRateBefore = r.RateCode();
    for (MsModeSettings& m : r.pCurrent->Ms.Mode) m.nRate = nRateBefore == 1 ? 0x250 : 0x125;
    const int nWanted = nRateBefore == 1 ? 2 : 1;

    r.editor.SetApplyNow(false);
    EXPECT_EQ(r.editor.Changed(0, r.hub.FullApply(0)), CProfileEditor::Result::Saved);
    r.hub.WaitIdle(0);
    EXPECT_EQ(r.RateCode(), nRateBefore);  // waits for the Apply button
    EXPECT_TRUE(std::filesystem::exists(r.dir.Path() / "pro.dct"));
    EXPECT_EQ(r.editor.PartialApplies(), 0);

    r.editor.SetApplyNow(true);
    EXPECT_EQ(r.editor.Changed(0, r.hub.FullApply(0)), CProfileEditor::Result::Applying);
    r.hub.WaitIdle(0);
    EXPECT_EQ(r.RateCode(), nWanted);
    EXPECT_EQ(r.editor.PartialApplies(), 1);
    // Nothing goes to a family that is not there, nor without flags.
    EXPECT_EQ(r.editor.Changed(kNoFamily, 1), CProfileEditor::Result::Saved);
    EXPECT_EQ(r.editor.Changed(0, 0), CProfileEditor::Result::Saved);
    EXPECT_EQ(r.editor.PartialApplies(), 1);
}

TEST(ProfileEditor, AFailedSaveIsReportedAndTheDeviceStillGetsTheEdit)
{
    mirextest::LoadMouse(1);
    EditorRig r;
    std::string strReported;
    r.editor.OnSaveFailed([&](const std::string& s) { strReported = s; });
    // The profile file's place is taken by a folder: it cannot be written.
    std::filesystem::create_directories(r.dir.Path() / "pro.dct" / "x");
    r.editor.SetApplyNow(true);
    EXPECT_EQ(r.editor.Changed(0, r.hub.FullApply(0)), CProfileEditor::Result::NotSaved);
    EXPECT_FALSE(strReported.empty());
    r.hub.WaitIdle(0);
    EXPECT_EQ(r.editor.PartialApplies(), 1);
}
