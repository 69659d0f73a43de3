// The macro page as a user drives it, on the emulator behind a device hub: a
// sequence typed while recording becomes the macro's actions by the keys'
// places, a delay is edited, the file is saved and read again, and the macro
// bound to a mouse button or a keyboard key reaches the device's macro buffer
// byte for byte, again after every change. Also the limits of the devices,
// damaged files and folder imports that must not overwrite or leave the folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>
#include <memory>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/Options.h"
#include "core/ProfileStore.h"
#include "core/Utf.h"
#include "device/ApplySnapshot.h"
#include "device/DeviceHub.h"
#include "device/ProfileEditor.h"
#include "device/kb/KbDefaults.h"
#include "device/kb/KbDescSnap.h"
#include "emu/EmuRig.h"
#include "emu/VirtualClock.h"
#include "keys/FunId.h"
#include "keys/MacroFile.h"
#include "keys/MouseKeyRules.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/pages/macro/MacroAmountDlg.h"
#include "ui/pages/macro/MacroDlg.h"
#include "ui/skin/TreeCtrlEx.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

namespace fs = std::filesystem;

namespace {

// X11 and Wayland scan codes: the kernel's key number + 8.
constexpr quint32 kScanH = 35 + 8, kScanI = 23 + 8, kScanY = 21 + 8, kScanA = 30 + 8, kScanB = 48 + 8;

struct Installation {
    const char* pszCfg;
    DevKind kind;
};

class MacroPage : public ::testing::Test {
protected:
    void Load(const Installation& inst)
    {
        m_pSaved = std::make_unique<GlobalVar>(gVar);
        m_savedAppDir = g_szAppDir;
        m_savedUserDir = g_szUserDir;
        m_savedTheme = skin::Theme();
        m_savedText = gText;
        g_szAppDir = test::AppDir();
        g_szUserDir = m_dir / "user";
        CRecordingPrompt loadPrompt;
        LogConfig quiet;
        quiet.debugOut = [](const std::string&) {};
        ASSERT_TRUE(DataInit(CIniFile::Load(test::FixtureDir() / "cfg" / inst.pszCfg), loadPrompt, quiet));
        ASSERT_TRUE(PostInit(loadPrompt));
        LoadLangAndSkins(CIniFile::Load(test::AppDir() / "cfg.ini"), CIniFile(), loadPrompt);
        ASSERT_TRUE(LoadTextCatalogue(test::AppDir() / "text" / "en" / "text.xml").bRead);
        gVar.nSkinsIndex = 0;
        gVar.nMacroHasMsKey = 0x7F;
        gVar.nAutoSaveMacro = 1;
        gVar.nMacroDir = 1;
        skin::SetTheme(skin::ThemeFromOptions());
        skin::ClearImageCache();
        g_MacroList.Clear();
        m_kind = inst.kind;

        std::vector<std::string> notes;
        m_rig = std::make_unique<CEmuRig>(m_clock);
        m_rig->AddConfigured(gVar, m_dir / "emu", notes);
        ASSERT_TRUE(notes.empty()) << notes.front();
        m_hub = std::make_unique<CDeviceHub>(m_rig->Backend(), m_clock, m_notices, nullptr, nullptr);
        m_hub->Open();
        ASSERT_EQ(m_hub->Count(), 1u);
        ASSERT_EQ(m_hub->FindNow(0), 1);
        m_hub->Publish(0, m_prompt);

        auto pro = std::make_unique<ProfileRecord>();
        pro->dwMagic = kProfileMagic;
        pro->nID = 0x4321;
        m_hub->Device(0).FillDefault(*pro);
        m_pCurrent = m_list.Add(std::move(pro));
        fs::create_directories(g_szUserDir);
        m_store = std::make_unique<CProfileStore>(g_szUserDir, m_prompt);
        m_editor = std::make_unique<CProfileEditor>(m_list, m_pCurrent, *m_store, m_hub.get());
        m_editor->SetApplyNow(false);
        m_ctx.pHub = m_hub.get();
        m_ctx.pProfile = m_editor.get();
        m_ctx.pPrompt = &m_prompt;
        const DevKind kind = inst.kind;
        m_ctx.familyOf = [kind](DevKind k) { return k == kind ? size_t(0) : kNoFamily; };
        m_ctx.currentDevice = [kind] { return kind; };
    }
    void TearDown() override
    {
        m_page.reset();
        if (m_hub) m_hub->Close();
        m_hub.reset();
        m_rig.reset();
        g_MacroList.Clear();
        if (m_pSaved) {
            gVar = *m_pSaved;
            g_szAppDir = m_savedAppDir;
            g_szUserDir = m_savedUserDir;
            skin::SetTheme(m_savedTheme);
            skin::ClearImageCache();
            gText = m_savedText;
        }
    }

    // The page alone, or (pHost) placed in a window of the main window's size
    // where the main window puts its pages, over its piece of the background.
    CMacroDlg& Page(CMacroDlg::Hooks hooks = {}, QWidget* pHost = nullptr)
    {
        m_page = std::make_unique<CMacroDlg>(m_ctx, pHost, std::move(hooks));
        if (pHost) m_page->setGeometry(0, gVar.rcSubDlg.top, 1063, 672);
        else m_page->resize(1063, 672);
        m_page->show();
        return *m_page;
    }
    // A key event as the platform gives it: the key Qt read from the layout,
    // the scan code of the key's place, the repeat flag and the time.
    void Key(bool bDown, Qt::Key key, quint32 nScan, ulong tMs, bool bRepeat = false)
    {
        QKeyEvent e(bDown ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier, nScan, 0, 0, QString(),
                    bRepeat);
        e.setTimestamp(tMs);
        QWidget* pTarget = QWidget::keyboardGrabber() ? QWidget::keyboardGrabber() : m_page.get();
        QApplication::sendEvent(pTarget, &e);
    }
    std::vector<std::u16string> Messages() const
    {
        std::vector<std::u16string> v;
        for (const auto& e : m_prompt.Entries()) v.push_back(e.text);
        return v;
    }
    bool Said(const std::u16string& text) const
    {
        for (const auto& e : m_prompt.Entries())
            if (e.text.find(text) != std::u16string::npos) return true;
        return false;
    }
    // Makes a macro named strName through the page's new command.
    MacroRecord* NewMacro(const char16_t* pszName)
    {
        m_prompt.QueueText(std::u16string(pszName));
        m_page->RunCommand(CMacroDlg::kCmdNew);
        return m_page->CurrentMacro();
    }
    // Binds the macro to the mouse's fourth button, as the key page does.
    void BindToMouseButton(uint32_t nMacroId)
    {
        const AssignResult r = AssignKey(*m_pCurrent, 3, MacroKeyRecord(nMacroId), MouseKeyContext::FromGvar(*m_pCurrent));
        ASSERT_TRUE(r.bOk) << U16ToUtf8(r.strMessage);
        m_editor->Changed(0, kApplyKeys);
    }
    void ApplyAll()
    {
        const uint32_t nFull = m_kind == DevKind::Mouse ? kApplyFullMouse : kApplyFullKbPad;
        ASSERT_TRUE(m_hub->RequestApply(0, nFull & ~kApplyProgress, *m_pCurrent, false));
        m_hub->WaitIdle(0);
    }
    std::string Journal() const { return m_rig->Backend().Journal()->Text(); }
    void ClearJournal() { m_rig->Backend().Journal()->Clear(); }

    std::unique_ptr<GlobalVar> m_pSaved;
    fs::path m_savedAppDir, m_savedUserDir;
    skin::SkinTheme m_savedTheme;
    CTextTable m_savedText;
    test::CTempDir m_dir;
    CVirtualClock m_clock;
    CNoticeQueue m_notices;
    CRecordingPrompt m_prompt;
    std::unique_ptr<CEmuRig> m_rig;
    std::unique_ptr<CDeviceHub> m_hub;
    CProList m_list;
    ProfileRecord* m_pCurrent = nullptr;
    std::unique_ptr<CProfileStore> m_store;
    std::unique_ptr<CProfileEditor> m_editor;
    PageContext m_ctx;
    DevKind m_kind = DevKind::None;
    std::unique_ptr<CMacroDlg> m_page;
};

const Installation kMouse{"mouse-only.ini", DevKind::Mouse};
const Installation kKeyboard{"keyboard-only.ini", DevKind::Keyboard};

}  // namespace

TEST_F(MacroPage, RecordedMacroEditedSavedReopenedAndPlayedByTheMouse)
{
    ASSERT_NO_FATAL_FAILURE(Load(kMouse));
    CMacroDlg& page = Page();
    MacroRecord* pRec = NewMacro(u"Hello");
    ASSERT_NE(pRec, nullptr);
    const uint32_t id = pRec->MacroID;
    EXPECT_TRUE(fs::exists(g_szUserDir / "Mac" / "Hello.mcf"));

    page.ToggleRecording();
    ASSERT_TRUE(page.Recording());
    EXPECT_TRUE(page.HoldsFocus());
    EXPECT_EQ(QWidget::keyboardGrabber(), &page);
    // While recording nothing else acts; the key events belong to the recorder.
    m_prompt.Clear();
    page.RunCommand(CMacroDlg::kCmdNew);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{gText.tc_macro_msg17});
    EXPECT_EQ(g_MacroList.Count(), 1);

    // H, I held long enough to repeat, and the key right of T, which a German
    // layout reads as Z: stored by its place, Y.
    Key(true, Qt::Key_H, kScanH, 1000);
    Key(false, Qt::Key_H, kScanH, 1080);
    Key(true, Qt::Key_I, kScanI, 1200);
    Key(false, Qt::Key_I, kScanI, 1700, true);
    Key(true, Qt::Key_I, kScanI, 1700, true);
    Key(false, Qt::Key_I, kScanI, 1730, true);
    Key(true, Qt::Key_I, kScanI, 1730, true);
    Key(false, Qt::Key_I, kScanI, 1900);
    Key(true, Qt::Key_Z, kScanY, 2000);
    Key(false, Qt::Key_Z, kScanY, 2050);
    page.ToggleRecording();
    EXPECT_FALSE(page.Recording());
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    const MacroItems recorded{PressItem('H'), DelayItem(80),  ReleaseItem('H'), DelayItem(120), PressItem('I'),
                              DelayItem(700), ReleaseItem('I'), DelayItem(100), PressItem('Y'), DelayItem(50),
                              ReleaseItem('Y')};
    EXPECT_EQ(page.Items(), recorded);
    EXPECT_EQ(page.ActionList()->count(), int(recorded.size()));

    // The 700 ms pause becomes 300 ms.
    page.SelectActions({5});
    m_prompt.QueueText(u"300");
    page.RunCommand(CMacroDlg::kCmdEditAction);
    EXPECT_EQ(page.Items()[5], DelayItem(300));
    EXPECT_EQ(page.ActionList()->item(5)->text(), QStringLiteral("300 ms"));

    // Saved at once: the file holds the actions with their delays.
    const MacroFileRead read = ReadMacroFile(g_szUserDir / "Mac" / "Hello.mcf");
    ASSERT_TRUE(read.bOpened);
    ASSERT_TRUE(IsMacroRecord(read.rec));
    EXPECT_EQ(read.rec.MacroID, id);
    EXPECT_EQ(read.rec.dwFlags, 0u);
    ASSERT_EQ(MacroActionCount(read.rec), 6);
    EXPECT_EQ(read.rec.Action[2].byCode, 'I');
    EXPECT_EQ(read.rec.Action[2].Delay(), 300u);

    // A new page reads the folder again and shows the same macro.
    m_page.reset();
    g_MacroList.Clear();
    CMacroDlg& again = Page();
    ASSERT_TRUE(again.SelectMacro(id));
    const MacroItems saved{PressItem('H'), DelayItem(80),  ReleaseItem('H'), DelayItem(120), PressItem('I'),
                           DelayItem(300), ReleaseItem('I'), DelayItem(100), PressItem('Y'), DelayItem(50),
                           ReleaseItem('Y')};
    EXPECT_EQ(again.Items(), saved);

    // Bound to a button and applied: the mouse's buffer holds six key events,
    // usages 0b (H), 0c (I), 1c (Y); a zero delay goes out as 1.
    ASSERT_NO_FATAL_FAILURE(BindToMouseButton(id));
    ClearJournal();
    ASSERT_NO_FATAL_FAILURE(ApplyAll());
    EXPECT_NE(Journal().find("00 06 50 50 0b d0 78 0b 51 2c 0c d0 64 0c 50 32 1c d0 01 1c"), std::string::npos)
        << Journal();
    EXPECT_NE(m_rig->Describe().find("macro buffer 1: 6 events"), std::string::npos) << m_rig->Describe();
}

// A macro a button plays reaches the mouse with the next apply once changed;
// with ApplyNow at once, in the same buffer.
TEST_F(MacroPage, ChangedMacroReachesTheMouseWithTheNextApplyOrAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(Load(kMouse));
    CMacroDlg& page = Page([] {
        CMacroDlg::Hooks h;
        h.captureKey = [](QWidget*) { return std::optional<uint8_t>('A'); };
        return h;
    }());
    MacroRecord* pRec = NewMacro(u"Burst");
    ASSERT_NE(pRec, nullptr);
    page.RunCommand(CMacroDlg::kCmdInsert, 0xF7);  // A: press, 50 ms, release
    ASSERT_EQ(page.Items().size(), 3u);
    ASSERT_NO_FATAL_FAILURE(BindToMouseButton(pRec->MacroID));
    ASSERT_NO_FATAL_FAILURE(ApplyAll());
    const std::string strA = "00 02 50 32 04 d0 01 04";
    EXPECT_NE(Journal().find(strA), std::string::npos);

    // Without ApplyNow the change waits for the apply.
    ClearJournal();
    page.SelectActions({1});
    m_prompt.QueueText(u"70");
    page.RunCommand(CMacroDlg::kCmdEditAction);
    m_hub->WaitIdle(0);
    EXPECT_EQ(Journal(), "");
    ASSERT_NO_FATAL_FAILURE(ApplyAll());
    EXPECT_NE(Journal().find("00 02 50 46 04 d0 01 04"), std::string::npos) << Journal();

    // With ApplyNow the save sends it: a left click added after the key.
    m_editor->SetApplyNow(true);
    ClearJournal();
    page.SelectActions({2});
    page.RunCommand(CMacroDlg::kCmdInsert, 0xF0);
    m_hub->WaitIdle(0);
    EXPECT_NE(Journal().find("00 04 50 46 04 d0 01 04 10 32 01 90 01 01"), std::string::npos) << Journal();
    EXPECT_NE(m_rig->Describe().find("macro buffer 1: 4 events"), std::string::npos) << m_rig->Describe();

    // A macro no key plays sends nothing.
    ClearJournal();
    ASSERT_NE(NewMacro(u"Spare"), nullptr);
    page.RunCommand(CMacroDlg::kCmdInsert, 0xF1);
    m_hub->WaitIdle(0);
    EXPECT_EQ(Journal(), "");

    // Deleting the macro the button plays says so first; "no" keeps it.
    const uint32_t idBurst = pRec->MacroID;
    ASSERT_TRUE(page.SelectMacro(idBurst));
    m_prompt.Clear();
    page.RunCommand(CMacroDlg::kCmdDelete);
    EXPECT_TRUE(Said(u"plays this macro"));
    EXPECT_NE(g_MacroList.FindById(idBurst), nullptr);
    EXPECT_TRUE(fs::exists(g_szUserDir / "Mac" / "Burst.mcf"));
}

// The same on the keyboard of family 22: its 128-byte buffer, delays under
// 128 ms in two bytes, longer ones in six.
TEST_F(MacroPage, RecordedMacroReachesTheKeyboardBuffer)
{
    ASSERT_NO_FATAL_FAILURE(Load(kKeyboard));
    ASSERT_EQ(gVar.nKbFw, 22);
    CMacroDlg& page = Page();
    MacroRecord* pRec = NewMacro(u"Keys");
    ASSERT_NE(pRec, nullptr);
    page.ToggleRecording();
    Key(true, Qt::Key_A, kScanA, 500);
    Key(true, Qt::Key_B, kScanB, 540);
    Key(false, Qt::Key_B, kScanB, 600);
    Key(false, Qt::Key_A, kScanA, 900);
    page.ToggleRecording();
    ASSERT_EQ(page.Items().size(), 7u);

    // B plays the macro.
    const int nB = kb::SlotOfVk(kb::MakeKbDescSnap(gVar, g_defKEY), 'B');
    ASSERT_GE(nB, 0);
    m_pCurrent->Kb.Key[nB].FunID = kFunMacro;
    m_pCurrent->Kb.Key[nB].MacroID = pRec->MacroID;
    ClearJournal();
    ASSERT_NO_FATAL_FAILURE(ApplyAll());
    // Repeat count 1; A 40 ms, B 60 ms, B up for 300 ms (0 below 100 held at 3,
    // then 3 hundreds), A up (3 ms at least); zeros end it.
    EXPECT_NE(Journal().find("00 01 28 04 3c 05 83 05 00 03 00 03 83 04 00 00"), std::string::npos) << Journal();
    EXPECT_NE(m_rig->Describe().find("macro buffer 1"), std::string::npos) << m_rig->Describe();

    // Changed with ApplyNow: the keyboard gets the new buffer at once.
    m_editor->SetApplyNow(true);
    ClearJournal();
    page.SelectActions({1});
    m_prompt.QueueText(u"20");
    page.RunCommand(CMacroDlg::kCmdEditAction);
    m_hub->WaitIdle(0);
    EXPECT_NE(Journal().find("00 01 14 04 3c 05 83 05 00 03 00 03 83 04 00 00"), std::string::npos) << Journal();
}

// The devices' limits, with their messages: the keyboard's 128 bytes end the
// recording and refuse inserts; the mouse holds 168 events.
TEST_F(MacroPage, LimitsOfTheDevicesAreKeptWithTheirMessages)
{
    ASSERT_NO_FATAL_FAILURE(Load(kKeyboard));
    CMacroDlg& page = Page([] {
        CMacroDlg::Hooks h;
        h.captureKey = [](QWidget*) { return std::optional<uint8_t>('Q'); };
        return h;
    }());
    ASSERT_NE(NewMacro(u"Long"), nullptr);
    page.AutoDelayBox()->setChecked(false);
    page.ToggleRecording();
    for (int i = 0; i < 80; ++i) {
        Key(true, Qt::Key_A, kScanA, ulong(10 * i));
        Key(false, Qt::Key_A, kScanA, ulong(10 * i + 5));
    }
    page.ToggleRecording();
    EXPECT_EQ(page.Items().size(), 62u);  // 4 + 62 * 2 = 128 bytes
    m_prompt.Clear();
    page.RunCommand(CMacroDlg::kCmdInsert, 0xF7);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{gText.tc_macro_msg36});
    EXPECT_EQ(page.Items().size(), 62u);
    EXPECT_EQ(MacroActionCount(*page.CurrentMacro()), 62);

    // Room for one more release, not for a whole keystroke.
    page.SelectActions({61});
    page.RunCommand(CMacroDlg::kCmdDeleteAction);
    ASSERT_EQ(page.Items().size(), 61u);
    m_prompt.Clear();
    page.RunCommand(CMacroDlg::kCmdInsert, 0xF7);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{gText.tc_macro_msg36});
    EXPECT_EQ(page.Items().size(), 61u);

    // A bad name and a name taken.
    m_prompt.Clear();
    m_prompt.QueueText(u"x-y");
    page.RunCommand(CMacroDlg::kCmdNew);
    m_prompt.QueueText(u"long");
    page.RunCommand(CMacroDlg::kCmdNew);
    EXPECT_TRUE(Said(u"Invalid name."));
    EXPECT_TRUE(Said(gText.tc_macro_msg8));
    EXPECT_EQ(g_MacroList.Count(), 1);
}

// A file in the macro folder that is no macro is set aside with a message;
// an import of one is refused and the picked file left alone.
TEST_F(MacroPage, DamagedFilesAreRefusedAndKeptAside)
{
    ASSERT_NO_FATAL_FAILURE(Load(kMouse));
    const fs::path mac = g_szUserDir / "Mac";
    fs::create_directories(mac);
    test::WriteBytes(mac / "broken.mcf", std::string(kMacroRecordSize, '\x33'));
    MacroRecord good = MakeNewMacroRecord(u"good", 0x123, MacroKind::Macro);
    std::string strErr;
    ASSERT_TRUE(save_macro_to_file_mcb(mac / "good.mcf", good, false, strErr)) << strErr;
    const fs::path outside = m_dir / "picked.mcf";
    test::WriteBytes(outside, std::string(kMacroRecordSize, '\x44'));

    CMacroDlg& page = Page([&] {
        CMacroDlg::Hooks h;
        h.pickOpenFile = [&](QWidget*) { return QString::fromStdString(outside.string()); };
        return h;
    }());
    EXPECT_TRUE(Said(u"broken.mcf"));
    EXPECT_FALSE(fs::exists(mac / "broken.mcf"));
    EXPECT_EQ(test::ReadBytes(mac / "broken.mcf.bad"), std::string(kMacroRecordSize, '\x33'));
    EXPECT_EQ(g_MacroList.Count(), 1);
    EXPECT_TRUE(page.SelectMacro(0x123));

    m_prompt.Clear();
    page.RunCommand(CMacroDlg::kCmdImport);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{u"This is not a valid macro file."});
    EXPECT_EQ(test::ReadBytes(outside), std::string(kMacroRecordSize, '\x44'));
    EXPECT_EQ(g_MacroList.Count(), 1);
    EXPECT_FALSE(fs::exists(mac / "picked.mcf"));
}

// Folder imports never overwrite a macro and never write outside the macro folder.
TEST_F(MacroPage, FolderImportsNeitherOverwriteNorEscape)
{
    ASSERT_NO_FATAL_FAILURE(Load(kMouse));
    const fs::path mac = g_szUserDir / "Mac";
    fs::create_directories(mac);
    MacroRecord mine = MakeNewMacroRecord(u"Hello", 0x111, MacroKind::Macro);
    std::string strErr;
    ASSERT_TRUE(save_macro_to_file_mcb(mac / "Hello.mcf", mine, false, strErr)) << strErr;
    const std::string before = test::ReadBytes(mac / "Hello.mcf");

    const fs::path src = m_dir / "incoming";
    fs::create_directories(src);
    MacroRecord theirs = MakeNewMacroRecord(u"Hello", 0x111, MacroKind::Macro);
    theirs.Action[0].byCode = 'X';
    theirs.Action[0].wState = 1;
    ASSERT_TRUE(save_macro_to_file_mcb(src / "Hello.mcf", theirs, false, strErr)) << strErr;
    MacroRecord other = MakeNewMacroRecord(u"Other", 0x111, MacroKind::Macro);
    ASSERT_TRUE(save_macro_to_file_mcb(src / "Other.mcf", other, false, strErr)) << strErr;
    // A link out of the picked folder is not followed.
    const fs::path away = m_dir / "away";
    fs::create_directories(away);
    fs::create_directory_symlink(away, src / "link");

    fs::path picked = src;
    CMacroDlg& page = Page([&] {
        CMacroDlg::Hooks h;
        h.pickFolder = [&](QWidget*) { return QString::fromStdString(picked.string()); };
        return h;
    }());
    m_prompt.Clear();
    page.RunCommand(CMacroDlg::kCmdImportContent);
    EXPECT_EQ(test::ReadBytes(mac / "Hello.mcf"), before) << "a macro of the same name stays as it was";
    ASSERT_TRUE(fs::exists(mac / "Other.mcf"));
    EXPECT_TRUE(Said(u"were not imported"));
    EXPECT_EQ(g_MacroList.Count(), 2);
    // The copied macro has an identifier of its own.
    const MacroFileRead copied = ReadMacroFile(mac / "Other.mcf");
    EXPECT_NE(copied.rec.MacroID & 0xFFFFFF, 0x111u);
    EXPECT_TRUE(fs::is_empty(away));
    EXPECT_FALSE(fs::exists(mac / "link"));

    // The folder itself, or one that holds it, cannot come in as a group.
    for (const fs::path& p : {mac, g_szUserDir}) {
        picked = p;
        m_prompt.Clear();
        page.RunCommand(CMacroDlg::kCmdImportGroup);
        EXPECT_EQ(Messages(), std::vector<std::u16string>{u"A folder cannot be imported into itself."}) << p;
    }
    // A group of the same name as an existing one is refused.
    fs::create_directories(mac / "incoming");
    picked = src;
    m_prompt.Clear();
    page.RunCommand(CMacroDlg::kCmdImportGroup);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{gText.tc_macro_msg8});
}

// The tree's commands keep the files, the macro list and the tree together:
// a group and a macro in it, renamed; an export imported again as a second
// macro with an identifier of its own; deleting a group takes its macros out
// of the list with their files.
TEST_F(MacroPage, TreeCommandsKeepFilesListAndTreeTogether)
{
    ASSERT_NO_FATAL_FAILURE(Load(kMouse));
    const fs::path mac = g_szUserDir / "Mac";
    const fs::path exported = m_dir / "out" / "Copy.mcf";
    fs::create_directories(exported.parent_path());
    CMacroDlg& page = Page([&] {
        CMacroDlg::Hooks h;
        h.captureKey = [](QWidget*) { return std::optional<uint8_t>('C'); };
        h.pickSaveFile = [&](QWidget*, const QString&) { return QString::fromStdString(exported.string()); };
        h.pickOpenFile = [&](QWidget*) { return QString::fromStdString(exported.string()); };
        return h;
    }());
    m_prompt.QueueText(u"Office");
    page.RunCommand(CMacroDlg::kCmdNewGroup);
    EXPECT_TRUE(fs::is_directory(mac / "Office"));  // made at once: an empty group survives a restart
    MacroRecord* pRec = NewMacro(u"Copy");
    ASSERT_NE(pRec, nullptr);
    EXPECT_TRUE(fs::exists(mac / "Office" / "Copy.mcf"));
    page.RunCommand(CMacroDlg::kCmdInsert, 0xF7);
    const uint32_t id = pRec->MacroID;

    m_prompt.QueueText(u"Paste");
    page.RunCommand(CMacroDlg::kCmdRename);
    EXPECT_FALSE(fs::exists(mac / "Office" / "Copy.mcf"));
    ASSERT_TRUE(fs::exists(mac / "Office" / "Paste.mcf"));
    EXPECT_EQ(ReadMacroFile(mac / "Office" / "Paste.mcf").rec.MacroID, id);  // renaming keeps the identifier
    EXPECT_EQ(FixedView(g_MacroList.FindById(id)->szName), u"Paste");

    page.RunCommand(CMacroDlg::kCmdExport);
    ASSERT_TRUE(fs::exists(exported));
    EXPECT_NE(ReadMacroFile(exported).rec.MacroID & 0xFFFFFF, id);
    m_prompt.Clear();
    page.RunCommand(CMacroDlg::kCmdImport);  // into the selected macro's group
    EXPECT_TRUE(m_prompt.Entries().empty());
    ASSERT_EQ(g_MacroList.Count(), 2);
    ASSERT_TRUE(fs::exists(mac / "Office" / "Copy.mcf"));
    const uint32_t idImported = ReadMacroFile(mac / "Office" / "Copy.mcf").rec.MacroID & 0xFFFFFF;
    EXPECT_NE(idImported, id);
    EXPECT_EQ(page.CurrentMacro()->MacroID & 0xFFFFFF, idImported);
    EXPECT_EQ(page.Items().size(), 3u);

    // The group, renamed, takes its macros along; deleted, it takes them out.
    ASSERT_NE(page.Tree()->SelectedItem(), nullptr);
    page.Tree()->Select(page.Tree()->SelectedItem()->parent());
    m_prompt.QueueText(u"Work");
    page.RunCommand(CMacroDlg::kCmdRename);
    ASSERT_TRUE(fs::exists(mac / "Work" / "Paste.mcf"));
    ASSERT_TRUE(page.SelectMacro(id));
    page.RunCommand(CMacroDlg::kCmdInsert, 0xF0);
    EXPECT_EQ(MacroActionCount(ReadMacroFile(mac / "Work" / "Paste.mcf").rec), 4);
    EXPECT_FALSE(fs::exists(mac / "Office"));

    page.Tree()->Select(page.Tree()->SelectedItem()->parent());
    m_prompt.QueueAnswer(true);
    page.RunCommand(CMacroDlg::kCmdDelete);
    EXPECT_FALSE(fs::exists(mac / "Work"));
    EXPECT_EQ(g_MacroList.Count(), 0);
    EXPECT_EQ(page.Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(page.CurrentMacro(), nullptr);
}

// Wheel steps and movements come from the amount window; keys whose platform
// gives no scan code are taken by what they type.
TEST_F(MacroPage, WheelMovementAndKeysWithoutScanCode)
{
    ASSERT_NO_FATAL_FAILURE(Load(kMouse));
    std::vector<std::pair<uint8_t, int>> answers = {{kMacroCodeMoveLeft, 10}, {kMacroCodeMoveLeft, 200},
                                                    {kMacroCodeMoveRight, 5}};
    CMacroDlg& page = Page([&] {
        CMacroDlg::Hooks h;
        h.askAmount = [&](QWidget*, bool, uint8_t& code, int& nAmount) {
            if (answers.empty()) return false;
            std::tie(code, nAmount) = answers.front();
            answers.erase(answers.begin());
            return true;
        };
        return h;
    }());
    ASSERT_NE(NewMacro(u"Moves"), nullptr);
    page.RunCommand(CMacroDlg::kCmdInsert, 0xFB);
    ASSERT_EQ(page.Items().size(), 1u);
    EXPECT_EQ(page.Items()[0], (MacroItem{MacroItemKind::Move, kMacroCodeMoveLeft | 10u << 8, 1}));
    EXPECT_EQ(page.ActionList()->item(0)->text(), ToQString(gText.tc_macro_msg25) + QStringLiteral(" 10"));
    m_prompt.Clear();
    page.RunCommand(CMacroDlg::kCmdInsert, 0xFB);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{u"Invalid value. 0~127"});
    EXPECT_EQ(page.Items().size(), 1u);
    page.SelectActions({0});
    page.RunCommand(CMacroDlg::kCmdEditAction);
    EXPECT_EQ(page.Items()[0], (MacroItem{MacroItemKind::Move, kMacroCodeMoveRight | 5u << 8, 1}));
    page.RunCommand(CMacroDlg::kCmdInsert, 0xF6);
    ASSERT_EQ(page.Items().size(), 2u);
    EXPECT_EQ(page.Items()[1], WheelStep(kMacroCodeWheelDown));
    // The Delete key in the list takes the selected action out.
    page.RunCommand(CMacroDlg::kCmdInsert, 0xF5);
    ASSERT_EQ(page.Items().size(), 3u);
    page.SelectActions({2});
    QKeyEvent del(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(page.ActionList(), &del);
    ASSERT_EQ(page.Items().size(), 2u);
    const MacroRecord saved = ReadMacroFile(g_szUserDir / "Mac" / "Moves.mcf").rec;
    EXPECT_EQ(saved.Action[0].CodeWord(), kMacroCodeMoveRight | 5 << 8);
    EXPECT_EQ(saved.Action[1].CodeWord(), kMacroCodeWheelDown);

    // No scan code: B is B, Return is Enter.
    page.ToggleRecording();
    Key(true, Qt::Key_B, 0, 10);
    Key(false, Qt::Key_B, 0, 20);
    Key(true, Qt::Key_Return, 0, 30);
    page.ToggleRecording();
    EXPECT_EQ(page.Items(), (MacroItems{PressItem('B'), DelayItem(10), ReleaseItem('B'), DelayItem(10), PressItem(13)}));
}

TEST_F(MacroPage, AmountWindowChecksTheAmount)
{
    ASSERT_NO_FATAL_FAILURE(Load(kMouse));
    CMacroAmountDlg dlg(nullptr, false, kMacroCodeMoveDown, 3, m_prompt);
    EXPECT_EQ(dlg.Direction()->currentData().toInt(), kMacroCodeMoveDown);
    EXPECT_EQ(dlg.Amount()->text(), QStringLiteral("3"));
    dlg.Amount()->setText(QStringLiteral("128"));
    EXPECT_FALSE(dlg.TryAccept());
    EXPECT_EQ(Messages(), std::vector<std::u16string>{u"Invalid value. 0~127"});
    dlg.Direction()->setCurrentIndex(dlg.Direction()->findData(int(kMacroCodeWheelUp)));
    dlg.Amount()->setText(QStringLiteral("127"));
    EXPECT_TRUE(dlg.TryAccept());
    EXPECT_EQ(dlg.Code(), kMacroCodeWheelUp);
    EXPECT_EQ(dlg.AmountValue(), 127);
    // A wheel item opens on a wheel direction when its code is none of the six.
    CMacroAmountDlg wheel(nullptr, true, 0, 1, m_prompt);
    EXPECT_EQ(wheel.Direction()->currentData().toInt(), kMacroCodeWheelUp);
}

// Without AutoSaveMacro a change waits for the save button; leaving the macro
// asks whether to keep it.
TEST_F(MacroPage, WithoutAutoSaveTheSaveButtonWritesAndLeavingAsks)
{
    ASSERT_NO_FATAL_FAILURE(Load(kMouse));
    gVar.nAutoSaveMacro = 0;
    CMacroDlg& page = Page([] {
        CMacroDlg::Hooks h;
        h.captureKey = [](QWidget*) { return std::optional<uint8_t>('K'); };
        return h;
    }());
    MacroRecord* pFirst = NewMacro(u"First");
    ASSERT_NE(pFirst, nullptr);
    const uint32_t idFirst = pFirst->MacroID;
    const fs::path file = g_szUserDir / "Mac" / "First.mcf";
    const std::string empty = test::ReadBytes(file);
    EXPECT_TRUE(page.SaveButton()->isHidden());

    page.RunCommand(CMacroDlg::kCmdInsert, 0xF7);
    EXPECT_FALSE(page.SaveButton()->isHidden());
    EXPECT_EQ(test::ReadBytes(file), empty);
    page.SaveButton()->click();
    EXPECT_TRUE(page.SaveButton()->isHidden());
    EXPECT_EQ(MacroActionCount(ReadMacroFile(file).rec), 2);

    // A change, then a new macro: "no" gives the change up; so does a
    // change left for another macro, in the list as in the file.
    page.RunCommand(CMacroDlg::kCmdInsert, 0xF7);
    m_prompt.QueueAnswer(false);
    MacroRecord* pSecond = NewMacro(u"Second");
    ASSERT_NE(pSecond, nullptr);
    const uint32_t idSecond = pSecond->MacroID;
    EXPECT_EQ(MacroActionCount(ReadMacroFile(file).rec), 2);
    EXPECT_TRUE(Said(gText.tc_macro_msg9));
    ASSERT_TRUE(page.SelectMacro(idFirst));
    EXPECT_EQ(page.Items().size(), 3u);
    EXPECT_EQ(MacroActionCount(*page.CurrentMacro()), 2);
    EXPECT_EQ(MacroActionCount(ReadMacroFile(file).rec), 2);

    // "Yes" keeps it.
    page.RunCommand(CMacroDlg::kCmdInsert, 0xF7);
    m_prompt.Clear();
    m_prompt.QueueAnswer(true);
    ASSERT_TRUE(page.SelectMacro(idSecond));
    EXPECT_TRUE(Said(gText.tc_macro_msg9));
    EXPECT_EQ(MacroActionCount(ReadMacroFile(file).rec), 4);
}

// Pictures of the page with a recorded macro, in each shipped skin.
TEST_F(MacroPage, ScreenshotsOfARecordedMacro)
{
    const char* pszOut = std::getenv("ZV_SHOT_DIR");
    if (!pszOut) GTEST_SKIP() << "ZV_SHOT_DIR not set";
    ASSERT_NO_FATAL_FAILURE(Load(kMouse));
    gVar.rcSubDlg = {0, 95, 1063, 767};  // as the shipped installation places its pages
    fs::create_directories(g_szUserDir / "Mac" / "Office");
    QStringList done;
    for (int nSkin = 0; nSkin < kLangSkinMax; ++nSkin) {
        gVar.nSkinsIndex = nSkin;
        const QString strSkin = QFileInfo(skin::ThemeFromOptions().strSkinDir).fileName();
        if (strSkin.isEmpty() || done.contains(strSkin)) continue;
        done << strSkin;
        skin::SetTheme(skin::ThemeFromOptions());
        skin::ClearImageCache();
        g_MacroList.Clear();
        m_page.reset();
        QWidget host;
        host.resize(1063, gVar.rcSubDlg.top + 672);
        host.show();
        CMacroDlg& page = Page({}, &host);
        if (g_MacroList.Count() == 0) {
            ASSERT_NE(NewMacro(u"Hello"), nullptr);
            page.ToggleRecording();
            const std::pair<Qt::Key, quint32> keys[] = {{Qt::Key_H, kScanH}, {Qt::Key_I, kScanI}, {Qt::Key_Y, kScanY}};
            ulong t = 100;
            for (const auto& [key, scan] : keys) {
                Key(true, key, scan, t);
                Key(false, key, scan, t += 60);
                t += 140;
            }
            page.ToggleRecording();
        } else {
            ASSERT_TRUE(page.SelectMacro((*g_MacroList.begin())->MacroID));
        }
        page.SelectActions({2});
        page.ActionList()->setFocus();
        const QImage img = page.grab().toImage();
        const QString strName = QStringLiteral("%1/macro-%2.png").arg(QString::fromLocal8Bit(pszOut), strSkin);
        EXPECT_TRUE(img.save(strName)) << strName.toStdString();
        m_page.reset();
    }
}
