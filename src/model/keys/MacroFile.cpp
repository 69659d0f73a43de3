#include "keys/MacroFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/AtomicFile.h"
#include "core/FileAccess.h"
#include "core/Log.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

fs::path MacroFolder(const fs::path& userDir, int nMid)
{
    return userDir / (nMid > 0 ? "Mac" + std::to_string(nMid) : std::string("Mac"));
}

fs::path BulletFolder(const fs::path& userDir, int nMid)
{
    return userDir / (nMid > 0 ? "BMac" + std::to_string(nMid) : std::string("BMac"));
}

fs::path FolderOf(MacroKind kind, const fs::path& userDir, int nMid)
{
    return kind == MacroKind::Bullet ? BulletFolder(userDir, nMid) : MacroFolder(userDir, nMid);
}

fs::path OrgMacFolder(const fs::path& userDir) { return userDir / "OrgMac"; }

const char* MacroFileExt(MacroKind kind) { return kind == MacroKind::Bullet ? ".mcb" : ".mcf"; }

bool HasMacroFileExt(const fs::path& file, MacroKind kind)
{
    const std::string ext = file.filename().extension().string();  // ".mcfz"
    return ext.compare(0, 4, MacroFileExt(kind)) == 0;
}

// ---- names -----------------------------------------------------------------------

namespace {

char16_t FoldCase(char16_t c)
{
    if (c >= u'A' && c <= u'Z') return char16_t(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return char16_t(c + 0x20);   // Latin-1 capitals
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return char16_t(c + 0x20);  // Greek
    if (c >= 0x410 && c <= 0x42F) return char16_t(c + 0x20);               // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return char16_t(c + 0x50);
    return c;
}

bool IsRefusedChar(char16_t c)
{
    if (c < 0x20 || c == 0x7F) return true;
    switch (c) {
    case u'/': case u'\\': case u':': case u'*': case u'?': case u'"': case u'<': case u'>': case u'|':
        return true;
    default:
        return false;
    }
}

fs::path PathFromU16(std::u16string_view s) { return fs::path(U16ToUtf8(s)); }

}  // namespace

bool SameNameIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

bool IsSafeMacroName(std::u16string_view name)
{
    if (name.empty() || name.size() > size_t(kMacroNameMax)) return false;
    if (name.front() == u'.' || name.front() == u'$') return false;
    if (name.back() == u'.' || name.back() == u' ') return false;
    for (char16_t c : name)
        if (IsRefusedChar(c)) return false;
    return true;
}

std::u16string SafeMacroName(std::u16string_view name, uint32_t id, MacroKind kind)
{
    std::u16string s(name.substr(0, std::min(name.size(), size_t(kMacroNameMax))));
    for (char16_t& c : s)
        if (IsRefusedChar(c)) c = u'_';
    while (!s.empty() && (s.back() == u'.' || s.back() == u' ')) s.pop_back();
    if (!s.empty() && (s.front() == u'.' || s.front() == u'$')) s.front() = u'_';
    if (s.empty()) {
        char sz[32];
        std::snprintf(sz, sizeof sz, "%s_%06X", kind == MacroKind::Bullet ? "Bullet" : "Macro",
                      unsigned(id & 0xFFFFFF));
        s = Utf8ToU16(sz);
    }
    return s;
}

fs::path MacroFileName(std::u16string_view name, MacroKind kind)
{
    fs::path p = PathFromU16(name);
    p += MacroFileExt(kind);
    return p;
}

std::u16string MacroDisplayName(const fs::path& file)
{
    std::u16string s = Utf8ToU16(file.filename().stem().string());
    if (s.size() > size_t(kMacroNameMax)) s.resize(size_t(kMacroNameMax));
    return s;
}

fs::path MacroFilePath(const fs::path& folder, const std::vector<std::u16string>& groups, std::u16string_view name,
                       MacroKind kind)
{
    if (groups.size() > size_t(kMacroFolderDepthMax) || !IsSafeMacroName(name)) return {};
    fs::path p = folder;
    for (const std::u16string& g : groups) {
        if (!IsSafeMacroName(g)) return {};
        p /= PathFromU16(g);
    }
    return p / MacroFileName(name, kind);
}

fs::path FindInFolderIgnoringCase(const fs::path& folder, const fs::path& fileName)
{
    const std::u16string want = Utf8ToU16(fileName.string());
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (SameNameIgnoringCase(Utf8ToU16(it->path().filename().string()), want)) return it->path();
    }
    return {};
}

// ---- files -----------------------------------------------------------------------

MacroFileRead ReadMacroFile(const fs::path& file)
{
    MacroFileRead r;
    std::string bytes;
    const FileRead read = ReadRegularFile(file, kMacroRecordSize, bytes);
    r.nErrno = read.nErrno;
    if (!read.bOpened) {
        r.strWhy = read.Reason();
        if (r.nErrno == 0) r.nErrno = read.status == ReadStatus::Missing ? ENOENT : EINVAL;
        return r;
    }
    r.bOpened = true;
    if (!read.Ok()) {
        r.strWhy = read.Reason();
        if (r.nErrno == 0) r.nErrno = EIO;
    }
    r.nBytes = bytes.size();
    r.rec = DecodeMacroFile(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                            &r.form);
    return r;
}

bool MakeSureFolderExist(const fs::path& dir, std::string& strErr)
{
    std::error_code ec;
    if (fs::is_directory(dir, ec)) return true;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        LogPrintf("MakeSureFolderExist: create dir %s, err=0x%x", dir.string().c_str(), unsigned(ec.value()));
        strErr = "cannot create the folder " + dir.string() + (ec ? ": " + ec.message() : std::string());
        return false;
    }
    return true;
}

bool save_macro_to_file_mcb(const fs::path& file, const MacroRecord& rec, bool bLock, std::string& strErr)
{
    MacroRecord copy = rec;
    copy.dwFlags &= ~kMacroChangeFlags;
    if (bLock) copy.byLock = MACRO_LOCK;
    const MacroFileBytes bytes = EncodeMacroFile(copy);
    if (!WriteFileAtomic(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), strErr)) {
        LogPrintf("save_macro_to_file_mcb: WriteFile failed, %s", strErr.c_str());
        return false;
    }
    return true;
}

bool FlushDirtyMacro(const fs::path& file, MacroRecord& rec, std::string& strErr)
{
    if (!(rec.dwFlags & kMacroChangeFlags)) return true;
    if (file.empty()) {
        strErr = "no file path for the macro";
        LogPrintf("Flush_Dirty_Macro: TreeItem_To_FilePath failed");
        return false;
    }
    if (!MakeSureFolderExist(file.parent_path(), strErr) || !save_macro_to_file_mcb(file, rec, false, strErr)) {
        LogPrintf("Flush_Dirty_Macro: WriteFile failed, %s", strErr.c_str());
        return false;
    }
    rec.dwFlags &= ~kMacroChangeFlags;
    return true;
}

MacroRecord MakeNewMacroRecord(std::u16string_view name, uint32_t id, MacroKind kind)
{
    MacroRecord rec{};
    rec.dwMagic = MACRO_MAGIC;
    rec.MacroID = id;
    rec.dwFlags = kMacroChangeFlags;
    if (kind == MacroKind::Bullet) rec.nFireCode = kMacroCodeLButton;
    else rec.nAutoDelay = 1;
    rec.nRepeatMode = 0;
    rec.wLoopCount = 1;
    CopyToFixed(rec.szName, name.substr(0, std::min(name.size(), size_t(kMacroNameMax))));
    return rec;
}
