#include "core/KeyCfg.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/AtomicFile.h"
#include "core/FileAccess.h"
#include "core/Log.h"
#include "core/Utf.h"
#include "keys/MacroCodec.h"

namespace fs = std::filesystem;

KeyCfgFile g_KeyCfg{};

KeyCfgState DecodeKeyCfg(std::string_view bytes, KeyCfgFile& buf)
{
    if (bytes.size() != sizeof(KeyCfgFile)) return KeyCfgState::WrongSize;
    std::memcpy(&buf, bytes.data(), sizeof buf);
    return KeyCfgHasLayout(buf) ? KeyCfgState::Ok : KeyCfgState::WrongMagic;
}

std::string EncodeKeyCfg(const KeyCfgFile& buf)
{
    return std::string(reinterpret_cast<const char*>(&buf), sizeof buf);
}

std::optional<MacroRecord> KeyCfgMacro(const KeyCfgFile& buf, int nSlot)
{
    if (nSlot < 0 || nSlot >= kKeyCfgMacroNum) return std::nullopt;
    const MacroRecord rec = DecodeMacroFile(std::span<const uint8_t>(buf.byMacro[nSlot], kMacroRecordSize));
    if (!IsMacroRecord(rec)) return std::nullopt;
    return rec;
}

KeyCfgState ReadKeyCfg(const fs::path& userDir, KeyCfgFile& buf, IPrompt& prompt)
{
    const fs::path path = userDir / "keycfg.kyg";
    std::string bytes;
    const FileRead read = ReadRegularFile(path, sizeof(KeyCfgFile) + 1, bytes);  // one more, to see a longer file
    if (read.status == ReadStatus::Missing) return KeyCfgState::Missing;
    const KeyCfgState state = read.Ok() ? DecodeKeyCfg(bytes, buf) : KeyCfgState::Unreadable;
    const int nErrno = read.nErrno;
    if (state == KeyCfgState::Ok) return state;

    LogPrintf("keycfg.kyg cannot be used: %zu bytes, magic %s, err=%d", bytes.size(),
              state == KeyCfgState::WrongMagic ? "wrong" : "-", nErrno);
    std::string strErr;
    const bool bKept = KeepAside(path, strErr);
    std::u16string text = read.Ok() ? u"The mouse key configuration keycfg.kyg is damaged; the default key layout is used."
                                    : u"The mouse key configuration keycfg.kyg cannot be read (" +
                                          Utf8ToU16(read.Reason()) + u"); the default key layout is used.";
    text += bKept ? u" The damaged file was kept as keycfg.kyg.bad."
                  : u" It could not be kept aside (" + Utf8ToU16(strErr) + u").";
    prompt.ShowMessage(text, u"Warning");
    return state;
}

bool WriteKeyCfg(const fs::path& userDir, const KeyCfgFile& buf, std::string& strErr)
{
    if (!WriteFileAtomic(userDir / "keycfg.kyg", EncodeKeyCfg(buf), strErr)) {
        LogPrintf("Save keycfg: %s", strErr.c_str());
        return false;
    }
    return true;
}
