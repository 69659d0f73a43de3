#include "core/ProfileExport.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "core/AtomicFile.h"
#include "core/FileAccess.h"
#include "core/Gvar.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/ProfileOps.h"
#include "core/ProfileStore.h"
#include "core/Utf.h"
#include "keys/FunId.h"
#include "keys/MacroCodec.h"
#include "keys/MacroFile.h"
#include "text/TextCatalogue.h"

namespace fs = std::filesystem;

static_assert(kProfileExportSize == sizeof(ProfileRecord) + kProfileExportMacros * kMacroRecordSize);
static_assert(kKeyCfgExportMacros == kKeyCfgMacroNum);

namespace {

constexpr char16_t kCaption[] = u"Zorvik";

std::u16string Text(const char* key, std::u16string_view fallback)
{
    const std::u16string* p = FindText(key);
    return p && !p->empty() ? *p : std::u16string(fallback);
}

MacroKind KindOfClass(uint8_t byClass) { return byClass == FUN_BULLET ? MacroKind::Bullet : MacroKind::Macro; }
uint8_t ExportKind(MacroKind kind) { return kind == MacroKind::Bullet ? kExportKindBullet : kExportKindMacro; }

// A record as it travels in an export: kind in byte 100, change flags cleared.
MacroRecord ExportCopy(const MacroRecord& rec, MacroKind kind)
{
    MacroRecord out = rec;
    out.bySlot = ExportKind(kind);
    out.dwFlags &= ~kMacroChangeFlags;
    return out;
}

void StoreSlot(std::string& bytes, size_t nOffset, const MacroRecord& rec)
{
    const MacroFileBytes enc = EncodeMacroFile(rec);
    std::memcpy(bytes.data() + nOffset, enc.data(), enc.size());
}

// Every mouse key of the profile (3 modes x 5 sets x 21), then the keyboard's.
template <typename Pro, typename Fn>
void ForEachKey(Pro& pro, bool bMouse, bool bKeyboard, Fn&& fn)
{
    if (bMouse)
        for (int m = 0; m < kMsModeNum; ++m)
            for (int t = 0; t < kMsKeySetNum; ++t)
                for (int k = 0; k < kMsKeyNum; ++k) fn(pro.Ms.Mode[m].Key[t][k], m, k, false);
    if (bKeyboard)
        for (int k = 0; k < kKbKeyNum; ++k) fn(pro.Kb.Key[k], 0, k, true);
}

const MacroRecord* FindPlayed(const KeyInfo& key, const ProfileExportEnv& env, MacroKind& kind)
{
    const uint8_t byClass = FunClass(key.FunID);
    if (!IsMacroClass(byClass) || key.MacroID == 0) return nullptr;
    kind = KindOfClass(byClass);
    const CMacroList* pList = kind == MacroKind::Bullet ? env.pBullets : env.pMacros;
    return pList ? pList->FindById(key.MacroID) : nullptr;
}

// An identifier no record of either list has and none handed out in this run.
uint32_t FreshId(const ProfileExportEnv& env, std::set<uint32_t>& taken)
{
    const TimeOfDayClock clock = env.clock ? env.clock : TimeOfDayClock(SystemTimeOfDay);
    const uint32_t id = NewStampId(clock, [&](uint32_t n) {
        return taken.count(n & 0xFFFFFF) || (env.pMacros && env.pMacros->FindById(n)) ||
               (env.pBullets && env.pBullets->FindById(n));
    });
    taken.insert(id & 0xFFFFFF);
    return id;
}

ExportResult WriteExport(const fs::path& file, const ExportBuild& build, std::u16string_view failText)
{
    ExportResult r;
    r.nLeftOut = build.nLeftOut;
    std::string strErr;
    if (!WriteFileAtomic(file, build.bytes, strErr)) {
        LogPrintf("Export to %s failed: %s", file.string().c_str(), strErr.c_str());
        r.strMessage = std::u16string(failText);
        return r;
    }
    if (build.nLeftOut > 0)
        LogPrintf("Export to %s: %d macros did not fit and were left out", file.string().c_str(), build.nLeftOut);
    r.bOk = true;
    return r;
}

// The file a record from a key layout goes to: "name", else "name 2", "name 3",
// ...: the first that is free or holds the same macro (the same identifier), so
// importing a layout again replaces its own files and never another macro's.
fs::path FileForRecord(const fs::path& folder, const std::u16string& name, const MacroRecord& rec, MacroKind kind)
{
    for (int n = 1;; ++n) {
        std::u16string candidate = name;
        if (n > 1) {
            const std::u16string suffix = u" " + Utf8ToU16(std::to_string(n));
            candidate = name.substr(0, kMacroNameMax - suffix.size()) + suffix;
        }
        const fs::path file = folder / MacroFileName(candidate, kind);
        const fs::path existing = FindInFolderIgnoringCase(folder, file.filename());
        if (existing.empty()) return file;
        const MacroFileRead old = ReadMacroFile(existing);
        if (old.bOpened && IsMacroRecord(old.rec) && (old.rec.MacroID & 0xFFFFFF) == (rec.MacroID & 0xFFFFFF))
            return existing;
    }
}

}  // namespace

// ---- export --------------------------------------------------------------------------

ExportBuild BuildProfileExport(const ProfileRecord& pro, const ProfileExportEnv& env)
{
    ExportBuild b;
    b.bytes.assign(kProfileExportSize, '\0');
    std::memcpy(b.bytes.data(), &pro, sizeof pro);
    std::set<uint32_t> stored;
    ForEachKey(pro, env.bMouse, true, [&](const KeyInfo& key, int, int, bool bKeyboard) {
        MacroKind kind{};
        const MacroRecord* pRec = FindPlayed(key, env, kind);
        if (!pRec || (bKeyboard && kind != MacroKind::Macro)) return;
        if (!stored.insert(pRec->MacroID).second) return;
        if (b.nMacros == kProfileExportMacros) {
            ++b.nLeftOut;
            return;
        }
        StoreSlot(b.bytes, sizeof(ProfileRecord) + size_t(b.nMacros) * kMacroRecordSize, ExportCopy(*pRec, kind));
        ++b.nMacros;
    });
    return b;
}

ExportBuild BuildKeyCfgExport(const ProfileRecord& pro, const ProfileExportEnv& env)
{
    KeyCfgFile file{};
    file.dwMagic = kKeyCfgMagic;
    for (int m = 0; m < kKeyCfgModeNum; ++m)
        std::copy_n(pro.Ms.Mode[m].Key[0], kKeyCfgKeyNum, file.Key[m]);
    ExportBuild b;
    std::set<uint32_t> taken;
    for (int m = 0; m < kKeyCfgModeNum; ++m)
        for (KeyInfo& key : file.Key[m]) {
            MacroKind kind{};
            const MacroRecord* pRec = FindPlayed(key, env, kind);
            if (!pRec) continue;
            if (b.nMacros == kKeyCfgExportMacros) {
                ++b.nLeftOut;
                continue;
            }
            MacroRecord copy = ExportCopy(*pRec, kind);
            copy.MacroID = FreshId(env, taken);
            key.MacroID = copy.MacroID;
            const MacroFileBytes enc = EncodeMacroFile(copy);
            std::memcpy(file.byMacro[b.nMacros], enc.data(), enc.size());
            ++b.nMacros;
        }
    b.bytes = EncodeKeyCfg(file);
    return b;
}

ExportResult ExportProfile(const fs::path& file, const ProfileRecord& pro, const ProfileExportEnv& env)
{
    return WriteExport(file, BuildProfileExport(pro, env), u"Create profile failed.");
}

ExportResult ExportKeyCfg(const fs::path& file, const ProfileRecord& pro, const ProfileExportEnv& env)
{
    return WriteExport(file, BuildKeyCfgExport(pro, env), u"Create keycfg failed.");
}

// ---- profile import ----------------------------------------------------------------------

namespace {

struct IncomingMacro {
    MacroRecord rec{};
    MacroKind kind = MacroKind::Macro;
    uint32_t nOldId = 0;
    fs::path target;
    bool bTake = true;       // false: the user kept the existing file
    uint32_t nReplacedId = 0;  // identifier of the record in the file it replaces
};

ProfileImportResult Refuse(std::u16string text)
{
    ProfileImportResult r;
    r.strMessage = std::move(text);
    return r;
}

}  // namespace

ProfileImportResult ImportProfile(const fs::path& file, CProList& list, IPrompt& prompt, const ProfileExportEnv& env)
{
    // The name first, cut to what the record holds, so the check sees the name that is stored.
    std::u16string name = ProfileNameOf(file.stem().u16string());
    if (name.empty()) name = u"Profile";
    if (ProfileNameTaken(list, name)) return Refuse(Text("tc_msg20", u"A profile with this name already exists."));
    if (list.Count() >= kProfileSlotNum) return Refuse(u"The number of profile has reached it's maximum");

    std::string bytes;
    const FileRead read = ReadRegularFile(file, kProfileExportSize + 1, bytes);
    if (!read.bOpened) return Refuse(u"Open profile failed");
    if (!read.Ok()) return Refuse(u"Open profile failed.");
    if (bytes.size() != kProfileExportSize) return Refuse(u"Check profile failed.");

    auto pro = std::make_unique<ProfileRecord>();
    std::memcpy(pro.get(), bytes.data(), sizeof(ProfileRecord));
    if (pro->dwMagic != kProfileMagic || pro->nID == 0) return Refuse(u"This is not a valid profile");

    // Every slot is looked at before anything is written.
    std::vector<IncomingMacro> incoming;
    for (int i = 0; i < kProfileExportMacros; ++i) {
        const auto* pSlot = reinterpret_cast<const uint8_t*>(bytes.data()) + sizeof(ProfileRecord) + i * kMacroRecordSize;
        uint32_t dwFirst = 0;
        std::memcpy(&dwFirst, pSlot, sizeof dwFirst);
        if (dwFirst == 0) continue;
        IncomingMacro in;
        in.rec = DecodeMacroFile({pSlot, kMacroRecordSize});
        if (!IsMacroRecord(in.rec)) {
            LogPrintf("Import profile: slot %d holds no macro, skipped", i);
            continue;
        }
        if (in.rec.byOwner != 0 && in.rec.byOwner != uint8_t(env.nMid))
            return Refuse(u"This profile is unsupported.");
        in.kind = in.rec.bySlot == kExportKindBullet ? MacroKind::Bullet : MacroKind::Macro;
        in.rec.bySlot = 0;
        in.rec.dwFlags &= ~kMacroChangeFlags;
        in.nOldId = in.rec.MacroID;
        incoming.push_back(in);
    }
    for (const MacroKind kind : {MacroKind::Macro, MacroKind::Bullet}) {
        const CMacroList* pList = kind == MacroKind::Bullet ? env.pBullets : env.pMacros;
        const auto nNew = std::count_if(incoming.begin(), incoming.end(), [&](const auto& in) { return in.kind == kind; });
        if (pList && pList->Count() + nNew > kMacroListMax)
            return Refuse(u"The macro list is full; the profile's macros cannot be added.");
    }

    // Where each record goes, and whether an existing file may be replaced.
    const std::u16string folderName = SafeMacroName(name, pro->nID, MacroKind::Macro);
    std::set<uint32_t> taken;
    for (IncomingMacro& in : incoming) {
        const std::u16string recName = SafeMacroName(FixedView(in.rec.szName), in.nOldId, in.kind);
        CopyToFixed(in.rec.szName, recName);
        fs::path folder = FolderOf(in.kind, env.userDir, env.nMid);
        if (env.bGroups) folder /= fs::path(folderName);
        in.target = folder / MacroFileName(recName, in.kind);
        const fs::path existing = FindInFolderIgnoringCase(folder, in.target.filename());
        if (!existing.empty()) {
            in.target = existing;
            const std::u16string q = Text("tc_macro_msg8", u"A macro of this name exists:") + u"  " + recName + u",  " +
                                     Text("tc_macro_msg35", u"replace it with the imported macro?");
            in.bTake = prompt.AskYesNo(q, kCaption);
            if (in.bTake) {
                const MacroFileRead old = ReadMacroFile(existing);
                if (old.bOpened && IsMacroRecord(old.rec)) in.nReplacedId = old.rec.MacroID;
            }
        }
        if (in.bTake) in.rec.MacroID = FreshId(env, taken);
    }

    ProfileImportResult r;
    ForEachKey(*pro, env.bMouse, env.bKeyboard, [&](KeyInfo& key, int nMode, int nKey, bool bKeyboard) {
        const uint8_t byClass = FunClass(key.FunID);
        if (!IsMacroClass(byClass)) return;
        for (const IncomingMacro& in : incoming) {
            if (key.MacroID != in.nOldId) continue;
            if (in.bTake) {
                key.MacroID = in.rec.MacroID;
            } else if (bKeyboard ? bool(env.keyboardDefault) : bool(env.mouseDefault)) {
                key = bKeyboard ? env.keyboardDefault(nKey) : env.mouseDefault(nMode, nKey);
            } else {
                key = KeyInfo{};
            }
            r.bKeysChanged = true;
            return;
        }
    });

    // The files, then the lists: a record joins a list only when its file was written.
    std::vector<std::pair<MacroRecord*, MacroKind>> added;
    for (const IncomingMacro& in : incoming) {
        if (!in.bTake) continue;
        std::string strErr;
        const bool bOk = MakeSureFolderExist(in.target.parent_path(), strErr) &&
                         save_macro_to_file_mcb(in.target, in.rec, in.rec.byLock == MACRO_LOCK, strErr);
        if (!bOk) {
            LogPrintf("Import profile: %s not written: %s", in.target.string().c_str(), strErr.c_str());
            for (auto& [pRec, kind] : added) (kind == MacroKind::Bullet ? env.pBullets : env.pMacros)->Remove(pRec);
            r.strMessage = u"The macro " + std::u16string(FixedView(in.rec.szName)) +
                           u" could not be written: " + Utf8ToU16(strErr);
            r.bKeysChanged = false;
            return r;
        }
        r.written.push_back(in.target);
        CMacroList* pList = in.kind == MacroKind::Bullet ? env.pBullets : env.pMacros;
        if (pList) {
            // The record of the file that was replaced leaves the list with its file.
            if (in.nReplacedId != 0)
                if (MacroRecord* pOld = pList->FindById(in.nReplacedId)) pList->Remove(pOld);
            if (MacroRecord* p = pList->Add(in.rec)) added.emplace_back(p, in.kind);
        }
    }

    pro->nID = NewStampId(env.clock ? env.clock : TimeOfDayClock(SystemTimeOfDay),
                          [&](uint32_t id) { return list.Find(id) != nullptr; });
    CopyToFixed(pro->szName, name);
    r.pProfile = list.Add(std::move(pro));
    r.bOk = true;
    const int nKept = int(std::count_if(incoming.begin(), incoming.end(), [](const auto& in) { return !in.bTake; }));
    if (nKept > 0)
        r.strMessage = Utf8ToU16(std::to_string(nKept)) +
                       u" existing macro files were kept; the keys that used the imported ones now have their default functions.";
    LogPrintf("Import profile %s: %d macros written, %d kept", file.string().c_str(), int(r.written.size()), nKept);
    return r;
}

// ---- key layout import ---------------------------------------------------------------------

KeyCfgImportResult ImportKeyCfg(const fs::path& file, KeyCfgFile& cfg, ProfileRecord* pCurrent,
                                const ProfileExportEnv& env, const std::function<void()>& relayout)
{
    KeyCfgImportResult r;
    std::string bytes;
    const FileRead read = ReadRegularFile(file, sizeof(KeyCfgFile) + 1, bytes);
    if (!read.bOpened) {
        r.strMessage = u"Open keycfg failed";
        return r;
    }
    auto incoming = std::make_unique<KeyCfgFile>();
    if (!read.Ok() || DecodeKeyCfg(bytes, *incoming) == KeyCfgState::WrongSize) {
        r.strMessage = u"Read keycfg failed.";
        return r;
    }
    if (!KeyCfgHasLayout(*incoming)) {
        r.strMessage = u"This is not a valid keycfg";
        return r;
    }

    const fs::path folder = OrgMacFolder(env.userDir);
    std::string strErr;
    std::set<uint32_t> taken;
    for (int i = 0; i < kKeyCfgMacroNum; ++i) {
        std::optional<MacroRecord> rec = KeyCfgMacro(*incoming, i);
        if (!rec || !IsMacroRecord(*rec)) continue;
        const MacroKind kind = rec->bySlot == kExportKindBullet ? MacroKind::Bullet : MacroKind::Macro;
        rec->bySlot = 0;
        rec->dwFlags &= ~kMacroChangeFlags;
        CMacroList* pList = kind == MacroKind::Bullet ? env.pBullets : env.pMacros;
        const std::u16string name = SafeMacroName(FixedView(rec->szName), rec->MacroID, kind);
        // The same macro imported again replaces its file and its entry; another
        // macro of the same name keeps its file (this one gets a numbered name).
        const fs::path target = FileForRecord(folder, name, *rec, kind);
        MacroRecord* pSame = nullptr;
        if (fs::exists(target)) {
            pSame = pList ? pList->FindById(rec->MacroID) : nullptr;
        } else if ((env.pMacros && env.pMacros->FindById(rec->MacroID)) ||
                   (env.pBullets && env.pBullets->FindById(rec->MacroID))) {
            // An identifier one of this installation's macros has: the record
            // and the layout's keys that play it take a new one.
            const uint32_t nOld = rec->MacroID;
            rec->MacroID = FreshId(env, taken);
            for (auto& mode : incoming->Key)
                for (KeyInfo& key : mode)
                    if (IsMacroClass(FunClass(key.FunID)) && key.MacroID == nOld) key.MacroID = rec->MacroID;
            const MacroFileBytes enc = EncodeMacroFile(ExportCopy(*rec, kind));
            std::memcpy(incoming->byMacro[i], enc.data(), enc.size());
        }
        CopyToFixed(rec->szName, MacroDisplayName(target));
        if (!MakeSureFolderExist(folder, strErr) || !save_macro_to_file_mcb(target, *rec, false, strErr)) {
            LogPrintf("Import keycfg: %s not written: %s", target.string().c_str(), strErr.c_str());
            r.strMessage += u"The macro " + name + u" could not be written: " + Utf8ToU16(strErr) + u"\n";
            continue;
        }
        r.written.push_back(target);
        ++r.nMacros;
        if (pSame)
            *pSame = *rec;
        else if (pList)
            pList->Add(*rec);
    }

    if (!WriteKeyCfg(env.userDir, *incoming, strErr)) {
        r.strMessage = u"The key layout could not be stored: " + Utf8ToU16(strErr);
        return r;
    }
    cfg = *incoming;
    if (relayout) relayout();
    if (pCurrent && env.mouseDefault)
        for (int m = 0; m < kMsModeNum; ++m)
            for (int t = 0; t < kMsKeySetNum; ++t)
                for (int k = 0; k < kMsKeyNum; ++k) pCurrent->Ms.Mode[m].Key[t][k] = env.mouseDefault(m, k);
    LogPrintf("Import keycfg %s: %d macros", file.string().c_str(), r.nMacros);
    r.bOk = true;
    return r;
}

ProfileExportEnv InstalledExportEnv()
{
    ProfileExportEnv env;
    env.userDir = g_szUserDir;
    env.nMid = gVar.nMid;
    env.bMouse = gVar.nMsFw != 0;
    env.bKeyboard = gVar.nKbFw != 0;
    env.bGroups = gVar.nMacroDir != 0;
    env.mouseDefault = [](int nMode, int nKey) {
        return nMode >= 0 && nMode < kMsModeCount && nKey >= 0 && nKey < kMsKeyCount ? g_MsKeyLayout[nMode][nKey]
                                                                                     : KeyInfo{};
    };
    env.keyboardDefault = [](int nSlot) { return nSlot >= 0 && nSlot < kKbDefKeyNum ? g_defKEY[nSlot] : KeyInfo{}; };
    return env;
}
