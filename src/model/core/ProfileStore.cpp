#include "core/ProfileStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/AtomicFile.h"
#include "core/FileAccess.h"
#include "core/Log.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

namespace {

constexpr char16_t kCaption[] = u"Warning";

// Reads at most nMax bytes; a file that is longer shows as nMax bytes, which the
// callers take as the wrong size (they pass one more than the size they want).
FileRead ReadPrefix(const fs::path& path, size_t nMax, std::string& out) { return ReadRegularFile(path, nMax, out); }

uint32_t NextFreeId(uint32_t id, const CProList& list)
{
    do {
        ++id;
    } while (id == 0 || list.Find(id));
    return id;
}

std::u16string U16(const std::string& s) { return Utf8ToU16(s); }

std::u16string Number(long long n) { return U16(std::to_string(n)); }

}  // namespace

std::u16string ProDctProblemText(const FileRead& read, const ProDctDecode& dec)
{
    if (!read.Ok()) return u"The profile file pro.dct could not be read (" + U16(read.Reason()) + u").";
    std::u16string what = dec.bWrongSize       ? u"it has the wrong size"
                          : dec.nBadSlots > 0 ? u"some of its records are unreadable"
                                              : u"it holds no valid profile";
    return u"The profile file pro.dct is damaged (" + what + u"). " + Number(dec.nLoaded) +
           u" profiles could be recovered.";
}

// ---- bytes ---------------------------------------------------------------------------

bool IsUsedProfileSlot(const ProfileRecord& rec) { return rec.dwMagic == kProfileMagic && rec.nID != 0; }

ProDctDecode DecodeProDct(std::string_view bytes, CProList& list)
{
    ProDctDecode r;
    r.bWrongSize = bytes.size() != kProDctSize;
    const size_t nSlots = bytes.size() / sizeof(ProfileRecord);
    auto pRec = std::make_unique<ProfileRecord>();
    for (size_t k = 0; k < nSlots; ++k) {
        const char* pSlot = bytes.data() + k * sizeof(ProfileRecord);
        std::memcpy(pRec.get(), pSlot, sizeof(ProfileRecord));
        if (!IsUsedProfileSlot(*pRec)) {
            if (std::any_of(pSlot, pSlot + sizeof(ProfileRecord), [](char c) { return c != 0; })) ++r.nBadSlots;
            continue;
        }
        if (r.nLoaded >= kProfileSlotNum) {
            ++r.nBadSlots;
            continue;
        }
        if (list.Find(pRec->nID)) {
            pRec->nID = NextFreeId(pRec->nID, list);
            ++r.nRenumbered;
        }
        list.Add(std::move(pRec));
        pRec = std::make_unique<ProfileRecord>();
        ++r.nLoaded;
    }
    return r;
}

std::string EncodeProDct(const CProList& list, int& nSaved)
{
    std::string img(kProDctSize, '\0');
    nSaved = 0;
    for (const auto& p : list) {
        if (p->nID == 0) continue;
        if (nSaved >= kProfileSlotNum) break;
        std::memcpy(img.data() + size_t(nSaved) * sizeof(ProfileRecord), p.get(), sizeof(ProfileRecord));
        ++nSaved;
    }
    return img;
}

int CountAssignedKeys(const KeyInfo* pKeys, int nCount)
{
    int n = 0;
    for (int i = 0; i < nCount; ++i)
        if (pKeys[i].FunID != 0) ++n;
    return n;
}

// ---- the store -------------------------------------------------------------------------

CProfileStore::CProfileStore(fs::path userDir, IPrompt& prompt, TimeOfDayClock clock)
    : m_userDir(std::move(userDir)), m_prompt(prompt), m_clock(std::move(clock))
{
}

void CProfileStore::TellDamaged(const fs::path& file, const std::u16string& what, bool bKept, const std::string& strErr)
{
    std::u16string text = what;
    if (bKept)
        text += u" The damaged file was kept as " + U16(KeptAsidePath(file).filename().string()) + u".";
    else
        text += u" It could not be kept aside (" + U16(strErr) + u"), so it will not be overwritten.";
    m_prompt.ShowMessage(text, kCaption);
}

bool CProfileStore::KeepProDctAside(std::string& strErr)
{
    if (KeepAside(ProDctPath(), strErr)) return true;
    m_bHoldProDct = true;
    LogPrintf("pro.dct is kept as it is: %s", strErr.c_str());
    return false;
}

int CProfileStore::LoadProfiles(CProList& list)
{
    list.Clear();
    m_lastLoad = {};
    std::string bytes;
    const FileRead read = ReadPrefix(ProDctPath(), kProDctSize + 1, bytes);
    if (read.status == ReadStatus::Missing) return 0;
    if (read.status == ReadStatus::NotRegular && read.nErrno != EISDIR) {
        // A pipe or a device holds no profile: out of the way with it, as with a damaged file.
        LogPrintf("pro.dct is not a regular file");
        m_lastLoad.bWrongSize = true;
        std::string strErr;
        const bool bKept = KeepProDctAside(strErr);
        TellDamaged(ProDctPath(), ProDctProblemText(read, {}) + u" Default profiles are used.", bKept, strErr);
        return 0;
    }
    if (!read.Ok()) {
        LogPrintf("Open pro file err=%d (%s)", read.nErrno, read.Reason().c_str());
        m_bHoldProDct = true;  // what it holds is unknown: never overwrite it
        m_prompt.ShowMessage(ProDctProblemText(read, {}) +
                                 u" Default profiles are used; changes are not saved until the file can be read.",
                             kCaption);
        return 0;
    }
    m_lastLoad = DecodeProDct(bytes, list);
    if (m_lastLoad.bWrongSize) LogPrintf("Profile has wrong size");
    if (m_lastLoad.nRenumbered > 0) LogPrintf("pro.dct: %d profiles repeated an identifier and got a new one", m_lastLoad.nRenumbered);
    if (m_lastLoad.Damaged()) {
        LogPrintf("pro.dct is damaged: %zu bytes, %d profiles recovered, %d slots unreadable", bytes.size(),
                  m_lastLoad.nLoaded, m_lastLoad.nBadSlots);
        std::string strErr;
        const bool bKept = KeepProDctAside(strErr);
        TellDamaged(ProDctPath(),
                    ProDctProblemText(read, m_lastLoad) +
                        (m_lastLoad.nLoaded == 0 ? u" Default profiles are used." : u""),
                    bKept, strErr);
    }
    return m_lastLoad.nLoaded;
}

bool CProfileStore::SaveProfiles(const CProList& list, std::string& strErr)
{
    int nSaved = 0;
    const std::string img = EncodeProDct(list, nSaved);
    if (nSaved == 0) return true;  // nothing to store: the file stays as it was
    if (m_bHoldProDct) {
        strErr = "pro.dct could not be read or kept aside and is not overwritten";
        LogPrintf("Save pro: %s", strErr.c_str());
        return false;
    }
    if (!WriteFileAtomic(ProDctPath(), img, strErr)) {
        LogPrintf("Save pro: WriteFile failed, %s", strErr.c_str());
        return false;
    }
    const auto nWithId = std::count_if(list.begin(), list.end(), [](const auto& p) { return p->nID != 0; });
    if (nWithId > kProfileSlotNum) {
        strErr = std::to_string(nWithId - kProfileSlotNum) + " profiles were not saved: pro.dct holds 12";
        LogPrintf("Save pro: %s", strErr.c_str());
        return false;
    }
    return true;
}

uint32_t CProfileStore::ReadCurrentId()
{
    std::string bytes;
    const FileRead read = ReadPrefix(CurIdPath(), kCurIdSize + 1, bytes);
    if (read.status == ReadStatus::Missing) return 0;
    if (read.Ok() && bytes.size() == kCurIdSize) {
        const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
        const uint32_t id = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        if (id != 0) return id;  // 0 names no profile and is never written: zeros left by a power cut
    }
    LogPrintf("curid.dct cannot be used (%zu bytes, %s)", bytes.size(),
              !read.Ok() ? read.Reason().c_str() : bytes.size() == kCurIdSize ? "identifier 0" : "wrong size");
    std::string strErr;
    const bool bKept = KeepAside(CurIdPath(), strErr);
    TellDamaged(CurIdPath(), u"The file curid.dct, which remembers the current profile, is damaged; the first profile is used.",
                bKept, strErr);
    return 0;
}

bool CProfileStore::WriteCurrentId(const ProfileRecord* pProfile, std::string& strErr)
{
    if (!pProfile) return true;
    const uint32_t id = pProfile->nID;
    const char bytes[4] = {char(id), char(id >> 8), char(id >> 16), char(id >> 24)};
    if (!WriteFileAtomic(CurIdPath(), std::string_view(bytes, 4), strErr)) {
        LogPrintf("Save curid: %s", strErr.c_str());
        return false;
    }
    return true;
}

std::unique_ptr<ProfileRecord> CProfileStore::NewProfile(std::u16string_view name, const CProList& list,
                                                         const ProfileDefaults& defaults) const
{
    auto p = std::make_unique<ProfileRecord>();
    p->dwMagic = kProfileMagic;
    p->nID = NewStampId(m_clock, [&](uint32_t id) { return list.Find(id) != nullptr; });
    if (defaults.fill) defaults.fill(*p);
    CopyToFixed(p->szName, name);
    return p;
}

// ---- start-up ---------------------------------------------------------------------------

ProfileRecord* LoadOrCreateProfiles(CProfileStore& store, CProList& list, const ProfileStartup& startup, IPrompt& prompt)
{
    store.LoadProfiles(list);
    const uint32_t idCurrent = store.ReadCurrentId();
    bool bStore = store.LastLoad().Damaged() || store.LastLoad().nRenumbered > 0;

    if (!list.Empty() && startup.nKbAssignedKeys >= 0) {
        const int nKeys = CountAssignedKeys(list.At(0)->Kb.Key, kKbKeyNum);
        if (nKeys != startup.nKbAssignedKeys) {
            LogPrintf("Ref diff layout: nKeyNum=%d, gVar.Kb.nUIKeyNum=%d", nKeys, startup.nKbAssignedKeys);
            std::string strErr;
            const bool bKept = store.KeepProDctAside(strErr);
            std::u16string text = u"The keyboard layout has changed since the profiles were saved, so default profiles are used.";
            text += bKept ? u" The old profiles were kept in " + U16(KeptAsidePath(store.ProDctPath()).filename().string()) + u"."
                          : u" The old profile file could not be kept aside (" + U16(strErr) + u") and is not overwritten.";
            prompt.ShowMessage(text, kCaption);
            list.Clear();
        }
    }

    if (list.Empty()) {
        const int nNum = std::clamp(startup.nProfileNum, 1, kProfileSlotNum);
        const std::u16string word = startup.strNameWord.empty() ? std::u16string(u"Profile") : startup.strNameWord;
        for (int n = 1; n <= nNum; ++n) list.Add(store.NewProfile(word + u" " + Number(n), list, startup.defaults));
        bStore = true;
    }

    ProfileRecord* pCurrent = list.Find(idCurrent);
    if (!pCurrent) pCurrent = list.At(0);

    std::string strErr;
    if (bStore && !store.SaveProfiles(list, strErr))
        prompt.ShowMessage(u"The profiles could not be saved: " + U16(strErr), kCaption);
    if (pCurrent && pCurrent->nID != idCurrent && !store.WriteCurrentId(pCurrent, strErr))
        prompt.ShowMessage(u"The current profile could not be saved: " + U16(strErr), kCaption);
    return pCurrent;
}

// ---- listing -------------------------------------------------------------------------------

StoredProfiles ListStoredProfiles(const fs::path& userDir)
{
    StoredProfiles out;
    std::string bytes;
    const FileRead read = ReadPrefix(userDir / "pro.dct", kProDctSize + 1, bytes);
    if (read.status == ReadStatus::Missing) return out;
    out.bFound = true;
    if (!read.Ok()) {
        out.strProblem = U16ToUtf8(ProDctProblemText(read, {}));
        return out;
    }
    CProList& list = out.records;
    const ProDctDecode dec = DecodeProDct(bytes, list);
    if (dec.Damaged()) out.strProblem = U16ToUtf8(ProDctProblemText(read, dec));

    std::string idBytes;
    uint32_t idCurrent = 0;
    if (ReadPrefix(userDir / "curid.dct", kCurIdSize + 1, idBytes).Ok() && idBytes.size() == kCurIdSize) {
        const auto* p = reinterpret_cast<const uint8_t*>(idBytes.data());
        idCurrent = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    const ProfileRecord* pCurrent = list.Find(idCurrent);
    if (!pCurrent) pCurrent = list.At(0);
    for (const auto& p : list)
        out.profiles.push_back({p->nID, std::u16string(FixedView(p->szName)), p.get() == pCurrent});
    out.pCurrent = pCurrent;
    return out;
}
