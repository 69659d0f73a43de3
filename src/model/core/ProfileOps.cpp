#include "core/ProfileOps.h"

#include "core/Log.h"
#include "core/Utf.h"
#include "keys/MacroFile.h"
#include "text/TextCatalogue.h"

namespace {

constexpr size_t kProfileNameMax = std::size(ProfileRecord{}.szName) - 1;

ProfileOpResult Refuse(std::u16string text)
{
    ProfileOpResult r;
    r.strMessage = std::move(text);
    return r;
}

std::u16string NameTakenText()
{
    const std::u16string* p = FindText("tc_msg20");
    return p && !p->empty() ? *p : u"A profile with this name already exists.";
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000; }

// The name to store, or the message that refuses it.
std::u16string CheckName(const CProList& list, std::u16string_view typed, const ProfileRecord* pExcept,
                         std::u16string& strRefusal)
{
    const std::u16string name = ProfileNameOf(typed);
    if (name.empty())
        strRefusal = u"Please enter a name for the profile.";
    else if (ProfileNameTaken(list, name, pExcept))
        strRefusal = NameTakenText();
    return name;
}

}  // namespace

std::u16string ProfileNameOf(std::u16string_view typed)
{
    size_t b = 0, e = typed.size();
    while (b < e && IsSpace(typed[b])) ++b;
    while (e > b && IsSpace(typed[e - 1])) --e;
    std::u16string name(typed.substr(b, std::min(e - b, kProfileNameMax)));
    // A cut must not leave half of a surrogate pair behind.
    if (!name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF) name.pop_back();
    while (!name.empty() && IsSpace(name.back())) name.pop_back();
    return name;
}

bool ProfileNameTaken(const CProList& list, std::u16string_view name, const ProfileRecord* pExcept)
{
    for (const auto& p : list)
        if (p.get() != pExcept && SameNameIgnoringCase(FixedView(p->szName), name)) return true;
    return false;
}

ProfileOpResult AddProfile(CProList& list, const CProfileStore& store, std::u16string_view typed,
                           const ProfileDefaults& defaults)
{
    if (list.Count() >= kProfileSlotNum) return Refuse(u"The number of profile has reached it's maximum");
    std::u16string strRefusal;
    const std::u16string name = CheckName(list, typed, nullptr, strRefusal);
    if (!strRefusal.empty()) return Refuse(strRefusal);
    ProfileOpResult r;
    r.pProfile = list.Add(store.NewProfile(name, list, defaults));
    r.bOk = true;
    LogPrintf("Add profile 0x%x", r.pProfile->nID);
    return r;
}

ProfileOpResult RenameProfile(CProList& list, ProfileRecord& pro, std::u16string_view typed)
{
    std::u16string strRefusal;
    const std::u16string name = CheckName(list, typed, &pro, strRefusal);
    if (!strRefusal.empty()) return Refuse(strRefusal);
    CopyToFixed(pro.szName, name);
    ProfileOpResult r;
    r.pProfile = &pro;
    r.bOk = true;
    return r;
}

ProfileOpResult DeleteProfile(CProList& list, ProfileRecord& pro)
{
    if (list.IndexOf(&pro) < 0) return Refuse(u"This profile is not in the list.");
    if (list.Count() <= 1) return Refuse(u"The last profile cannot be deleted.");
    LogPrintf("Delete profile 0x%x", pro.nID);
    list.Remove(&pro);
    ProfileOpResult r;
    r.pProfile = list.At(0);
    r.bOk = true;
    return r;
}

int ModeForCurrentProfile(const MouseModeState& s)
{
    if (!s.bMouseOpen) return -1;
    if (s.bSingleMode) return 0;
    if (s.bWirelessKind) return s.bThroughReceiver ? 1 : 0;
    return s.nReportedMode >= 1 && s.nReportedMode <= kMsModeNum ? s.nReportedMode - 1 : -1;
}

ProfileRecord* SetAsCurProfile(CProList& list, uint32_t id, ProfileRecord*& pCurrent, const MouseModeState& mouse)
{
    ProfileRecord* p = list.Find(id);
    if (!p) {
        LogPrintf("SetAsCurProfile(0x%x), pFile=0", id);
        return nullptr;
    }
    if (const int nMode = ModeForCurrentProfile(mouse); nMode >= 0) p->Ms.ProMirex.nMode = nMode;
    LogPrintf("SetAsCurProfile(0x%x), pFile->Ms.ProMirex.nMode=%d", id, p->Ms.ProMirex.nMode);
    pCurrent = p;
    return p;
}

bool StoreProfiles(CProfileStore& store, const CProList& list, const ProfileRecord* pCurrent, std::string& strErr)
{
    return store.SaveProfiles(list, strErr) && store.WriteCurrentId(pCurrent, strErr);
}
