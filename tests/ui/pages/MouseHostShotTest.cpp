// Pictures of the DPI and settings views of the mouse page in every skin of
// the assembled program at scales 1 and 1.5, for looking at: written when
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
#include "ui/pages/mouse/MsSettingDlg.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

TEST(MouseHostShots, DpiAndSettingsViewsInEverySkinAndScale)
{
    const char* pszOut = std::getenv("ZV_SHOT_DIR");
    if (!pszOut) GTEST_SKIP() << "ZV_SHOT_DIR not set";
    const auto saved = std::make_unique<GlobalVar>(gVar);
    const auto savedDir = g_szAppDir;
    const skin::SkinTheme savedTheme = skin::Theme();
    g_szAppDir = test::AppDir();
    CRecordingPrompt prompt;
    LogConfig quiet;
    quiet.debugOut = [](const std::string&) {};
    ASSERT_TRUE(DataInit(CIniFile::Load(test::AppDir() / "cfg.ini"), prompt, quiet));
    ASSERT_TRUE(PostInit(prompt));
    // The skin list as start-up reads it (the user's language file has none here).
    LoadLangAndSkins(CIniFile::Load(test::AppDir() / "cfg.ini"), CIniFile(), prompt);
    gVar.Ms.nShowDpiColor = 1;
    gVar.Ms.nShowUsbRate = 1;

    test::CTempDir dir;
    CProList list;
    auto pro = std::make_unique<ProfileRecord>();
    pro->dwMagic = kProfileMagic;
    pro->nID = 1;
    mouse::FillDefault(*pro);
    ProfileRecord* pCurrent = list.Add(std::move(pro));
    CProfileStore store(dir.Path(), prompt);
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
            CMsSettingDlg page(ctx, nullptr);
            page.resize(int(1063 * fScale), int(672 * fScale));
            page.Reskin();
            page.Reload();
            for (PageId id : {PageId::MouseDpi, PageId::MouseSettings}) {
                page.ShowView(id);
                const QImage img = page.grab().toImage();
                const QString strName = QStringLiteral("%1/mouse-%2-%3-%4.png")
                                            .arg(QString::fromLocal8Bit(pszOut),
                                                 id == PageId::MouseDpi ? QStringLiteral("dpi") : QStringLiteral("settings"))
                                            .arg(strSkin)
                                            .arg(fScale == 1.0 ? QStringLiteral("1x") : QStringLiteral("1.5x"));
                EXPECT_TRUE(img.save(strName)) << strName.toStdString();
            }
        }
    }
    skin::SetInterfaceScale(1.0);
    skin::SetTheme(savedTheme);
    skin::ClearImageCache();
    g_szAppDir = savedDir;
    gVar = *saved;
}
