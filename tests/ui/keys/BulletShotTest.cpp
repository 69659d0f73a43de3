// Pictures of the bullet page and the gun presets window in every skin of the
// assembled program at scales 1 and 1.5, for looking at: written when
// ZV_SHOT_DIR names a folder (skipped otherwise).
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QStringList>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/Options.h"
#include "core/ProfileStore.h"
#include "device/mouse/MouseDefaults.h"
#include "keys/FunId.h"
#include "keys/MacroFile.h"
#include "keys/MacroList.h"
#include "text/TextCatalogue.h"
#include "ui/keys/BulletDlg.h"
#include "ui/keys/ChijiDlg.h"
#include "ui/keys/NewBulletDlg.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/TreeCtrlEx.h"

namespace fs = std::filesystem;

TEST(BulletShots, BulletPageAndGunWindowInEverySkinAndScale)
{
    const char* pszOut = std::getenv("ZV_SHOT_DIR");
    if (!pszOut) GTEST_SKIP() << "ZV_SHOT_DIR not set";
    const auto saved = std::make_unique<GlobalVar>(gVar);
    const auto savedDir = g_szAppDir, savedUser = g_szUserDir;
    const skin::SkinTheme savedTheme = skin::Theme();
    g_szAppDir = test::AppDir();
    CRecordingPrompt prompt;
    LogConfig quiet;
    quiet.debugOut = [](const std::string&) {};
    ASSERT_TRUE(DataInit(CIniFile::Load(test::AppDir() / "cfg.ini"), prompt, quiet));
    ASSERT_TRUE(PostInit(prompt));
    LoadLangAndSkins(CIniFile::Load(test::AppDir() / "cfg.ini"), CIniFile(), prompt);
    ASSERT_TRUE(LoadTextCatalogue(test::AppDir() / "text" / "en" / "text.xml").bRead);
    gVar.nMsFw = 17;
    gVar.nMacroDir = 1;
    gVar.Ms.nShootFudu = 1;
    gVar.Ms.nShootSpeed = 1;

    // A folder with a group and three bullets, one of them locked.
    test::CTempDir dir;
    g_szUserDir = dir.Path();
    g_BulletList.Clear();
    const fs::path folder = BulletFolder(dir.Path(), 0);
    fs::create_directories(folder / "Rifles");
    std::string strErr;
    const struct {
        const char16_t* name;
        fs::path sub;
        int nShots;
        bool bLock;
    } files[] = {{u"Default", "", 5, false}, {u"Spray30", "Rifles", 30, false}, {u"Vendor", "", 10, true}};
    uint32_t id = 0x10100;
    for (const auto& f : files) {
        MacroRecord rec = BuildBulletRecord({f.nShots, f.name, 20, 20, 10, false}, ++id);
        rec.byLock = f.bLock ? MACRO_LOCK : 0;
        ASSERT_TRUE(save_macro_to_file_mcb(folder / f.sub / (std::u16string(f.name) + u".mcb"), rec, false, strErr));
        g_BulletList.Add(rec);
    }

    CProList list;
    auto pro = std::make_unique<ProfileRecord>();
    pro->dwMagic = kProfileMagic;
    pro->nID = 1;
    mouse::FillDefault(*pro);
    ProfileRecord* pCurrent = list.Add(std::move(pro));
    CProfileStore store(dir.Path() / "pro", prompt);
    CProfileEditor editor(list, pCurrent, store, nullptr);
    PageContext ctx;
    ctx.pProfile = &editor;
    ctx.pPrompt = &prompt;

    QStringList done;
    for (int nSkin = 0; nSkin < kLangSkinMax; ++nSkin) {
        gVar.nSkinsIndex = nSkin;
        const QString strSkin = QFileInfo(skin::ThemeFromOptions().strSkinDir).fileName();
        if (strSkin.isEmpty() || done.contains(strSkin)) continue;
        done << strSkin;
        for (double fScale : {1.0, 1.5}) {
            skin::SetInterfaceScale(fScale);
            skin::SetTheme(skin::ThemeFromOptions());
            skin::ClearImageCache();
            const QString strTail =
                QStringLiteral("%1-%2.png").arg(strSkin, fScale == 1.0 ? QStringLiteral("1x") : QStringLiteral("1.5x"));
            const QString strDir = QString::fromLocal8Bit(pszOut);
            {
                CBulletDlg page(ctx, nullptr);
                page.resize(int(1063 * fScale), int(672 * fScale));
                page.show();
                page.Tree()->Expand(TreeExpand::Expand, page.Tree()->topLevelItem(1));
                page.ClickTree(page.FindBulletItem(0x10101));
                page.ClickStep(2);
                EXPECT_TRUE(page.grab().toImage().save(strDir + QStringLiteral("/bullet-") + strTail));
            }
            {
                CNewBulletDlg dlg(nullptr);
                dlg.show();
                EXPECT_TRUE(dlg.grab().toImage().save(strDir + QStringLiteral("/newbullet-") + strTail));
            }
            KeyInfo key{};
            key.FunID = kFunGunPreset;
            key.dwParam = 0x19280012;
            key.dwColor = 0x00FF00;
            for (bool bBullet : {false, true}) {
                CChijiDlg dlg(nullptr, key, *pCurrent, &prompt);
                dlg.SetBulletMode(bBullet);
                if (bBullet) dlg.SelectBullet(0x10101);
                dlg.show();
                const QString strName = strDir + (bBullet ? QStringLiteral("/gun-bullet-") : QStringLiteral("/gun-")) + strTail;
                EXPECT_TRUE(dlg.grab().toImage().save(strName));
            }
        }
    }
    g_BulletList.Clear();
    skin::SetInterfaceScale(1.0);
    skin::SetTheme(savedTheme);
    skin::ClearImageCache();
    g_szAppDir = savedDir;
    g_szUserDir = savedUser;
    gVar = *saved;
}
