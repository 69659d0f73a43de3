#include "core/AppOptions.h"

#include "core/Ini.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

bool g_bPlaySound = false;

std::u16string ProfileSoundPath(const ProfileRecord& pro) { return std::u16string(FixedView(pro.szSound)); }

AppOptionsResult ConfirmAppOptions(const AppOptionsChoice& choice, ProfileRecord* pCurrent, bool bPlaySoundBefore,
                                   const fs::path& langIni, const std::function<bool(const fs::path&)>& isFile)
{
    AppOptionsResult r;
    r.bPlaySound = bPlaySoundBefore;
    if (!pCurrent) {
        r.bClose = true;
        return r;
    }
    if (!choice.strSoundPath.empty()) {
        if (choice.strSoundPath.size() >= std::size(pCurrent->szSound) || !isFile(fs::path(choice.strSoundPath))) {
            r.strMessage = u"Invalid File Path.";
            return r;
        }
        if (choice.strSoundPath != ProfileSoundPath(*pCurrent)) {
            CopyToFixed(pCurrent->szSound, choice.strSoundPath);
            r.bProfileChanged = true;
        }
    }
    r.bClose = true;
    r.bPlaySound = choice.bPlaySound;
    std::string strErr;
    bool bOk = WriteIniInt(langIni, "OPT", "LangIndex", choice.nLangIndex, strErr) &&
               WriteIniInt(langIni, "OPT", "SkinsIndex", choice.nSkinsIndex, strErr);
    if (bOk && choice.bPlaySound != bPlaySoundBefore)
        bOk = WriteIniInt(langIni, "OPT", "PlaySound", choice.bPlaySound ? 1 : 0, strErr);
    if (!bOk) r.strMessage = u"The settings could not be saved: " + Utf8ToU16(strErr);
    return r;
}
