#include "keys/MacroFolder.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "core/AtomicFile.h"
#include "core/FileAccess.h"
#include "core/Log.h"
#include "core/Utf.h"
#include "keys/BulletSteps.h"
#include "keys/MacroId.h"
#include "text/TextCatalogue.h"

namespace fs = std::filesystem;

namespace {

std::u16string Format(const char* pszFormat, unsigned n)
{
    char sz[160];
    std::snprintf(sz, sizeof sz, pszFormat, n);
    return Utf8ToU16(sz);
}

std::u16string FullListText(MacroKind kind)
{
    return kind == MacroKind::Bullet ? u"The number of bullet is up to the maximum"
                                     : u"The number of macro is up to the maximum";
}

MacroOpResult Fail(std::u16string strMessage)
{
    MacroOpResult r;
    r.strMessage = std::move(strMessage);
    return r;
}

MacroOpResult FailWrite(const std::string& strErr) { return Fail(u"The macro file could not be written: " + Utf8ToU16(strErr)); }

bool SkippedName(const fs::path& p)
{
    const std::string name = p.filename().string();
    return name.empty() || name[0] == '.' || name[0] == '$';
}

// The folder's entries in name order, so scans and copies do the same thing on
// every file system. False when the folder cannot be listed.
bool ListFolder(const fs::path& dir, std::vector<fs::directory_entry>& out)
{
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) return false;
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) return false;
        out.push_back(*it);
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    return true;
}

bool IsRealFolder(const fs::directory_entry& e)
{
    std::error_code ec;
    return !e.is_symlink(ec) && e.is_directory(ec);
}

// A loaded record made consistent before it joins a list: the name ends within
// its field, the identifier is non-zero and used once. True when the record
// was given a new identifier because its own was 0 or taken.
bool RepairLoaded(MacroRecord& rec, MacroKind kind, const MacroContext& ctx, bool bNewId)
{
    rec.szName[kMacroNameMax] = 0;
    if (kind == MacroKind::Bullet && RepairBulletRecord(rec))
        LogPrintf("Bullet %s: values out of range were corrected", U16ToUtf8(FixedView(rec.szName)).c_str());
    const bool bTaken = (rec.MacroID & kStampIdMask) == 0 || ctx.pMacros->FindById(rec.MacroID) ||
                        ctx.pBullets->FindById(rec.MacroID);
    if (bNewId || bTaken) {
        if (!bNewId) LogPrintf("Macro %s: identifier 0x%x taken, a new one is given", U16ToUtf8(FixedView(rec.szName)).c_str(), unsigned(rec.MacroID));
        rec.MacroID = ctx.NewId();
        rec.dwFlags |= kMacroSettingsChanged;
    }
    return bTaken && !bNewId;
}

bool ScanLevel(const fs::path& folder, int nDepth, MacroKind kind, const MacroScanOptions& opt, const MacroContext& ctx,
               const MacroScanVisitor& visit)
{
    std::error_code ec;
    if (nDepth == 0 && !fs::exists(folder, ec)) return true;  // no macros yet
    std::vector<fs::directory_entry> entries;
    if (!ListFolder(folder, entries)) {
        LogPrintf("ScanMacroFolder: cannot list %s", folder.string().c_str());
        return false;
    }
    for (const fs::directory_entry& e : entries) {
        if (SkippedName(e.path())) continue;
        if (e.is_directory(ec)) {
            if (!opt.bGroups || !IsRealFolder(e)) continue;
            if (nDepth + 1 > kMacroFolderDepthMax) {
                LogPrintf("ScanMacroFolder: %s is nested too deep", e.path().string().c_str());
                continue;
            }
            MacroScanItem item;
            item.bGroup = true;
            item.nDepth = nDepth;
            item.strName = Utf8ToU16(e.path().filename().string());
            item.path = e.path();
            item.pathIcon = e.path() / (e.path().filename().string() + ".png");
            if (visit) visit(item);
            if (!ScanLevel(e.path(), nDepth + 1, kind, opt, ctx, visit)) return false;
            continue;
        }
        if (!HasMacroFileExt(e.path(), kind) || !e.is_regular_file(ec)) continue;
        const MacroFileRead read = ReadMacroFile(e.path());
        if (!read.bOpened || !IsMacroRecord(read.rec)) {
            LogPrintf("ScanMacroFolder: %s skipped: not a readable macro file", e.path().string().c_str());
            // A file that opens but holds no record is moved aside, so the user can be told.
            if (read.bOpened && opt.pKeptAside) {
                const fs::path aside = KeepMacroFileAside(e.path());
                if (!aside.empty()) opt.pKeptAside->push_back(aside);
            }
            continue;
        }
        if (kind == MacroKind::Macro && !MouseCodesAllowed(read.rec, ctx.nMacroHasMsKey)) {
            LogPrintf("ScanMacroFolder: %s skipped: a mouse key MacroHasMsKey does not allow", e.path().string().c_str());
            continue;
        }

        MacroScanItem item;
        item.nDepth = nDepth;
        item.path = e.path();
        item.strName = MacroDisplayName(e.path());
        item.record = read.rec;
        if (opt.bNameFromFile && !SameNameIgnoringCase(FixedView(item.record.szName), item.strName))
            CopyToFixed(item.record.szName, item.strName);
        if (opt.bAddToList) {
            CMacroList& list = ctx.List(kind);
            if (list.IsFull()) {
                LogPrintf("ScanMacroFolder: %s not loaded: %s", e.path().string().c_str(), U16ToUtf8(FullListText(kind)).c_str());
                continue;
            }
            // A repeated identifier is given up by the later file, once: its new
            // one is written at once, so the next load finds the same numbering
            // and the keys that name the first file keep playing it.
            std::string strErr;
            if (RepairLoaded(item.record, kind, ctx, opt.bNewIds) && opt.bSaveRenumbered &&
                !FlushDirtyMacro(e.path(), item.record, strErr))
                LogPrintf("ScanMacroFolder: %s keeps its new identifier unsaved: %s", e.path().string().c_str(),
                          strErr.c_str());
            item.pRecord = list.Add(item.record);
            if (!item.pRecord) continue;
        } else if (opt.bNewIds) {
            item.record.MacroID = ctx.NewId();
            item.record.dwFlags |= kMacroSettingsChanged;
        }
        if (visit) visit(item);
    }
    return true;
}

std::u16string TakenText()
{
    return gText.tc_macro_msg8.empty() ? std::u16string(u"This name already exists.") : gText.tc_macro_msg8;
}

// Pictures beside the macros are small; anything larger is not one of ours.
constexpr size_t kMaxPlainFileBytes = size_t(16) << 20;

bool CopyPlainFile(const fs::path& dest, const fs::path& src, std::string& strErr)
{
    std::string bytes;
    const FileRead read = ReadRegularFile(src, kMaxPlainFileBytes, bytes);
    if (!read.Ok()) { strErr = "cannot read " + src.string() + ": " + read.Reason(); return false; }
    if (read.bMore) { strErr = src.string() + " is larger than 16 MiB"; return false; }
    return MakeSureFolderExist(dest.parent_path(), strErr) && WriteFileAtomic(dest, bytes, strErr);
}

struct TreeCopy {
    int nSkipped = 0;
    int nFailed = 0;
    std::string strFirstError;
    std::vector<fs::path> macroFiles;  // macro files written, in order
};

void CopyTree(const fs::path& srcDir, const fs::path& destDir, int nDepth, bool bLock, bool bSetOwner, MacroKind kind,
              const MacroContext& ctx, TreeCopy& out)
{
    std::vector<fs::directory_entry> entries;
    if (!ListFolder(srcDir, entries)) {
        ++out.nFailed;
        if (out.strFirstError.empty()) out.strFirstError = "cannot list " + srcDir.string();
        return;
    }
    std::error_code ec;
    for (const fs::directory_entry& e : entries) {
        if (SkippedName(e.path())) continue;
        const fs::path dest = destDir / e.path().filename();
        if (e.is_directory(ec)) {
            if (IsRealFolder(e) && nDepth + 1 <= kMacroFolderDepthMax)
                CopyTree(e.path(), dest, nDepth + 1, bLock, bSetOwner, kind, ctx, out);
            else ++out.nSkipped;
            continue;
        }
        std::string strErr;
        switch (MyCopyFile(dest, e.path(), bLock, bSetOwner, kind, ctx, strErr)) {
        case CopyOutcome::Copied:
            if (HasMacroFileExt(dest, kind)) out.macroFiles.push_back(dest);
            break;
        case CopyOutcome::Skipped:
            ++out.nSkipped;
            break;
        case CopyOutcome::Failed:
            ++out.nFailed;
            if (out.strFirstError.empty()) out.strFirstError = strErr;
            break;
        }
    }
}

// Brings copied files into the list as new records (new identifier, name from
// the file) and writes them back with those.
void LoadCopiedFiles(const std::vector<fs::path>& files, MacroKind kind, const MacroContext& ctx, MacroOpResult& r,
                     TreeCopy& copy)
{
    for (const fs::path& file : files) {
        MacroFileRead read = ReadMacroFile(file);
        if (!read.bOpened || !IsMacroRecord(read.rec) ||
            (kind == MacroKind::Macro && !MouseCodesAllowed(read.rec, ctx.nMacroHasMsKey))) {
            ++copy.nSkipped;
            continue;
        }
        if (ctx.List(kind).IsFull()) {
            ++copy.nSkipped;
            LogPrintf("%s not loaded: the list is full", file.string().c_str());
            continue;
        }
        CopyToFixed(read.rec.szName, MacroDisplayName(file));
        RepairLoaded(read.rec, kind, ctx, true);
        std::string strErr;
        if (!FlushDirtyMacro(file, read.rec, strErr)) {
            ++copy.nFailed;
            if (copy.strFirstError.empty()) copy.strFirstError = strErr;
            continue;
        }
        MacroRecord* p = ctx.List(kind).Add(read.rec);
        if (!r.pRecord) r.pRecord = p;
    }
}

bool IsInside(const fs::path& inner, const fs::path& outer)
{
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    const fs::path b = fs::weakly_canonical(outer, ec);
    auto ia = a.begin();
    for (auto ib = b.begin(); ib != b.end(); ++ib, ++ia) {
        if (ib->empty()) continue;  // trailing separator
        if (ia == a.end() || *ia != *ib) return false;
    }
    return true;
}

MacroOpResult FinishFolderImport(MacroOpResult r, const TreeCopy& copy)
{
    r.nSkipped = copy.nSkipped;
    if (copy.nFailed > 0) {
        r.bOk = false;
        r.strMessage = Format("%u files could not be imported: ", unsigned(copy.nFailed)) + Utf8ToU16(copy.strFirstError);
        return r;
    }
    r.bOk = true;
    if (copy.nSkipped > 0)
        r.strMessage = Format("%u files were not imported: not macro files, of another owner, or a name that exists.",
                              unsigned(copy.nSkipped));
    return r;
}

}  // namespace

fs::path KeepMacroFileAside(const fs::path& file)
{
    std::error_code ec;
    for (int n = 1; n < 100; ++n) {
        fs::path aside = file;
        aside += n == 1 ? std::string(".bad") : ".bad" + std::to_string(n);
        if (fs::exists(fs::symlink_status(aside, ec))) continue;
        fs::rename(file, aside, ec);
        if (ec) {
            LogPrintf("KeepMacroFileAside: %s, %s", file.string().c_str(), ec.message().c_str());
            return {};
        }
        LogPrintf("KeepMacroFileAside: %s moved to %s", file.string().c_str(), aside.string().c_str());
        return aside;
    }
    return {};
}

uint32_t MacroContext::NewId() const { return NewMacroId(clock, *pMacros, *pBullets); }

bool ScanMacroFolder(const fs::path& folder, MacroKind kind, const MacroScanOptions& opt, const MacroContext& ctx,
                     const MacroScanVisitor& visit)
{
    return ScanLevel(folder, 0, kind, opt, ctx, visit);
}

MacroOpResult AddMacroFile(const fs::path& folder, const MacroRecord& rec, MacroKind kind, const MacroContext& ctx)
{
    if (ctx.List(kind).IsFull()) return Fail(FullListText(kind));
    const std::u16string_view name = FixedView(rec.szName);
    if (!IsSafeMacroName(name)) return Fail(u"Invalid name.");
    const fs::path fileName = MacroFileName(name, kind);
    if (!FindInFolderIgnoringCase(folder, fileName).empty()) return Fail(TakenText());

    MacroRecord copy = rec;
    copy.dwFlags |= kMacroChangeFlags;
    std::string strErr;
    if (!FlushDirtyMacro(folder / fileName, copy, strErr)) return FailWrite(strErr);
    MacroOpResult r;
    r.path = folder / fileName;
    r.pRecord = ctx.List(kind).Add(copy);
    r.bOk = r.pRecord != nullptr;
    if (!r.bOk) r.strMessage = FullListText(kind);
    return r;
}

MacroOpResult NewMacroFile(const fs::path& folder, std::u16string_view name, MacroKind kind, const MacroContext& ctx)
{
    if (ctx.List(kind).IsFull()) return Fail(FullListText(kind));
    if (!IsSafeMacroName(name)) return Fail(u"Invalid name.");
    return AddMacroFile(folder, MakeNewMacroRecord(name, ctx.NewId(), kind), kind, ctx);
}

MacroOpResult ImportMacroFile(const fs::path& src, const fs::path& folder, MacroKind kind, const MacroContext& ctx)
{
    if (ctx.List(kind).IsFull()) return Fail(FullListText(kind));
    const uint32_t id = ctx.NewId();
    const std::u16string name = SafeMacroName(MacroDisplayName(src), id, kind);
    if (!FindInFolderIgnoringCase(folder, MacroFileName(name, kind)).empty()) return Fail(TakenText());

    MacroFileRead read = ReadMacroFile(src);
    if (!read.bOpened) return Fail(Format("Open macro file failed. error=0x%x", unsigned(read.nErrno)));
    if (read.nErrno != 0 || (kind == MacroKind::Macro && read.nBytes < kMacroRecordSize))
        return Fail(Format("Read macro file failed. error=0x%x", unsigned(read.nErrno)));
    MacroRecord& rec = read.rec;
    if (!IsMacroRecord(rec)) return Fail(u"This is not a valid macro file.");
    if (kind == MacroKind::Macro) {
        if (!MouseCodesAllowed(rec, ctx.nMacroHasMsKey)) return Fail(u"This macro contains unsupported key.");
        if (rec.byLock == MACRO_LOCK) return Fail(u"The macro is encrypted.");
    }
    if (rec.byOwner != 0 && rec.byOwner != uint8_t(ctx.nMid)) return Fail(u"This macro is unsupported.");

    if (kind == MacroKind::Bullet) RepairBulletRecord(rec);
    CopyToFixed(rec.szName, name);
    rec.MacroID = id;
    return AddMacroFile(folder, rec, kind, ctx);
}

bool ExportMacro(const MacroRecord& rec, const fs::path& dest, bool bLock, const MacroContext& ctx, std::string& strErr)
{
    MacroRecord copy = rec;
    copy.MacroID = ctx.NewId();
    if (ctx.nMid != 0) copy.byOwner = uint8_t(ctx.nMid);
    return save_macro_to_file_mcb(dest, copy, bLock, strErr);
}

CopyOutcome MyCopyFile(const fs::path& dest, const fs::path& src, bool bLock, bool bSetOwner, MacroKind kind,
                       const MacroContext& ctx, std::string& strErr)
{
    std::error_code ec;
    if (fs::exists(fs::symlink_status(dest, ec))) {
        LogPrintf("MyCopyFile: %s exists, not overwritten", dest.string().c_str());
        return CopyOutcome::Skipped;
    }
    if (src.extension() == ".png") {
        if (CopyPlainFile(dest, src, strErr)) return CopyOutcome::Copied;
        LogPrintf("MyCopyFile: %s, %s", dest.string().c_str(), strErr.c_str());
        return CopyOutcome::Failed;
    }
    if (!HasMacroFileExt(src, kind)) return CopyOutcome::Skipped;

    MacroFileRead read = ReadMacroFile(src);
    if (!read.bOpened || read.nErrno != 0) {
        strErr = "cannot read " + src.string();
        LogPrintf("MyCopyFile: %s, error=0x%x", src.string().c_str(), unsigned(read.nErrno));
        return CopyOutcome::Failed;
    }
    if (!IsMacroRecord(read.rec)) return CopyOutcome::Skipped;
    if (bSetOwner && ctx.nMid != 0) read.rec.byOwner = uint8_t(ctx.nMid);
    else if (!bSetOwner && read.rec.byOwner != 0 && read.rec.byOwner != uint8_t(ctx.nMid)) return CopyOutcome::Skipped;
    if (!MakeSureFolderExist(dest.parent_path(), strErr) || !save_macro_to_file_mcb(dest, read.rec, bLock, strErr)) {
        LogPrintf("MyCopyFile: %s, %s", dest.string().c_str(), strErr.c_str());
        return CopyOutcome::Failed;
    }
    return CopyOutcome::Copied;
}

MacroOpResult ImportFolderAsGroup(const fs::path& srcDir, const fs::path& folder, MacroKind kind, const MacroContext& ctx)
{
    const fs::path src = srcDir.has_filename() ? srcDir : srcDir.parent_path();
    const std::u16string name = SafeMacroName(Utf8ToU16(src.filename().string()), ctx.NewId(), kind);
    if (!FindInFolderIgnoringCase(folder, U16ToUtf8(name)).empty()) return Fail(TakenText());
    const fs::path dest = folder / U16ToUtf8(name);
    if (IsInside(dest, src)) return Fail(u"A folder cannot be imported into itself.");

    std::string strErr;
    if (!MakeSureFolderExist(dest, strErr)) return FailWrite(strErr);
    TreeCopy copy;
    CopyTree(src, dest, 1, false, false, kind, ctx, copy);
    MacroOpResult r;
    r.path = dest;
    LoadCopiedFiles(copy.macroFiles, kind, ctx, r, copy);
    return FinishFolderImport(std::move(r), copy);
}

MacroOpResult ImportFolderContent(const fs::path& srcDir, const fs::path& folder, MacroKind kind, bool bLock,
                                  const MacroContext& ctx)
{
    if (IsInside(folder, srcDir)) return Fail(u"A folder cannot be imported into itself.");
    TreeCopy copy;
    CopyTree(srcDir, folder, 0, bLock, true, kind, ctx, copy);
    MacroOpResult r;
    r.path = folder;
    LoadCopiedFiles(copy.macroFiles, kind, ctx, r, copy);
    return FinishFolderImport(std::move(r), copy);
}

MacroOpResult RenameMacroFile(const fs::path& file, std::u16string_view newName, MacroRecord& rec, MacroKind kind)
{
    if (!IsSafeMacroName(newName)) return Fail(u"Invalid name.");
    const fs::path newFile = file.parent_path() / MacroFileName(newName, kind);
    const fs::path existing = FindInFolderIgnoringCase(file.parent_path(), newFile.filename());
    if (!existing.empty() && existing.filename() != file.filename()) return Fail(TakenText());

    CopyToFixed(rec.szName, newName);
    rec.dwFlags |= kMacroSettingsChanged;
    std::string strErr;
    if (!FlushDirtyMacro(file, rec, strErr)) return Fail(u"Rename failed. " + Utf8ToU16(strErr));
    std::error_code ec;
    fs::rename(file, newFile, ec);
    if (ec) return Fail(Format("Rename failed. err=0x%x", unsigned(ec.value())));
    MacroOpResult r;
    r.bOk = true;
    r.path = newFile;
    r.pRecord = &rec;
    return r;
}

MacroOpResult RenameMacroGroup(const fs::path& dir, std::u16string_view newName)
{
    if (!IsSafeMacroName(newName)) return Fail(u"Invalid name.");
    const fs::path parent = dir.parent_path();
    const std::string strOld = dir.filename().string();
    const std::string strNew = U16ToUtf8(newName);
    const fs::path existing = FindInFolderIgnoringCase(parent, strNew);
    if (!existing.empty() && existing.filename() != dir.filename()) return Fail(TakenText());

    std::error_code ec;
    const fs::path oldIcon = dir / (strOld + ".png");
    const fs::path newIcon = dir / (strNew + ".png");
    const bool bIcon = fs::exists(oldIcon, ec);  // groups made here have no icon
    if (bIcon) {
        fs::rename(oldIcon, newIcon, ec);
        if (ec) return Fail(Format("Rename failed. err=0x%x", unsigned(ec.value())));
    }
    fs::rename(dir, parent / strNew, ec);
    if (ec) {
        const unsigned nErr = unsigned(ec.value());
        if (bIcon) fs::rename(newIcon, oldIcon, ec);
        return Fail(Format("Rename failed. err=0x%x", nErr));
    }
    MacroOpResult r;
    r.bOk = true;
    r.path = parent / strNew;
    return r;
}

MacroOpResult DeleteMacroPath(const fs::path& path)
{
    MacroOpResult r;
    r.path = path;
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(path, ec);
    if (!fs::exists(st)) {
        r.bOk = true;
        return r;
    }
    if (fs::is_directory(st)) {
        fs::remove_all(path, ec);  // removes links, never what they point to
        if (ec && ec != std::errc::no_such_file_or_directory)
            return Fail(Format("Remove Directory failed, err = %d.", unsigned(ec.value())));
    } else {
        fs::remove(path, ec);
        if (ec && ec != std::errc::no_such_file_or_directory) {
            LogPrintf("DeleteFile %s, err=%d", path.string().c_str(), ec.value());
            return Fail(Format("Delete File failed, err = %d.", unsigned(ec.value())));
        }
    }
    r.bOk = true;
    return r;
}
