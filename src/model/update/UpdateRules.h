// The decisions of the update check, as pure functions: which entry of the
// description applies, whether the program or the firmware is out of date,
// what the user is asked, where a download goes and whether a downloaded file
// may be started. The check itself (UpdateCheck.h) only carries them out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/UpdateDesc.h"

// What a run looks for (bit 0 program, bit 1 firmware).
constexpr int kUpdateProgram = 1;
constexpr int kUpdateFirmware = 2;
constexpr int kUpdateBoth = 3;

// The file the update location serves.
constexpr char kUpdateDescName[] = "update_version.xml";

// A downloaded installer smaller than this is refused (and kept); a firmware
// file smaller than its minimum is refused and deleted. Both are far below any
// real file, so a smaller one is an error page or a broken transfer.
constexpr uint64_t kMinProgramBytes = 0x100000;
constexpr uint64_t kMinFirmwareBytes = 102400;
// Downloads larger than these are cut off as failed.
constexpr uint64_t kMaxDescBytes = 1u << 20;
constexpr uint64_t kMaxProgramBytes = uint64_t(1) << 30;
constexpr uint64_t kMaxFirmwareBytes = 64u << 20;

// What the check compares against, taken when the run starts.
struct UpdateQuery {
    int nType = kUpdateBoth;
    bool bUserCheck = false;  // started by the user: questions and every outcome; else marks only
    int32_t nVer = 0;         // the installed program (Ver option)
    uint16_t nVid = 0, nPid = 0;  // the keyboard the entries are matched against
    int32_t nKbVer = 0;       // the keyboard's firmware, major in the high byte; 0 without a keyboard
};

// Where the walk over the entries stands: an entry and which of its parts.
struct UpdateCursor {
    size_t iEntry = 0;
    bool bFirmware = false;
    bool operator==(const UpdateCursor&) const = default;
};

enum class UpdateAction {
    Finish,            // no entry left: nothing more to say
    ProgramUpToDate,   // the user is told the program is current; the run ends
    ProgramMark,       // a newer program: mark it, go on at next
    AskProgram,        // ask whether to download the newer program; on no go on at next
    FirmwareUpToDate,  // the user is told the firmware is current; the run ends
    FirmwareMark,      // a newer firmware: mark it, go on at next
    AskFirmware,       // ask whether to download the newer firmware; on no go on at next
};

struct UpdateStep {
    UpdateAction action = UpdateAction::Finish;
    size_t iEntry = 0;              // the entry that decided
    UpdateCursor next;              // where the walk goes on after a mark or a no
    std::string strUrl;             // what to download after a yes
    std::vector<std::string> logs;  // log lines of the entries passed and of this step, in order
};

// The next thing the check does, walking the entries from where. Entries for
// other keyboards are passed over; an entry with a value that is not
// hexadecimal is logged and passed over.
//
// The program part decides alone when only the program is looked for: an
// up-to-date program ends the run. When both are looked for, an up-to-date
// program goes on to the firmware part of the same entry, so that a current
// program never hides a newer firmware.
UpdateStep NextUpdateStep(const UpdateDesc& desc, const UpdateQuery& q, UpdateCursor where);

// fwver as the keyboard reports its version: 0x12 -> 0x0102. Values above one
// byte are not firmware versions; the caller treats them as a format error.
constexpr int32_t NetFirmwareVersion(uint32_t nFwVer)
{
    return int32_t(((nFwVer & 0xF0) << 4) | (nFwVer & 0x0F));
}

// The address of the description: the configured location, with "/" added when
// it lacks one, and the file name. nullopt when no usable location is set (an
// empty option, or one that is not an http or https address), which turns the
// check off instead of fetching a relative address.
std::optional<std::string> UpdateDescUrl(std::string_view base);

// The file name a download is stored under: the last path segment of the
// address, without query or fragment, percent-decoded. nullopt when that is no
// plain file name (empty, "." or "..", a separator, a control character,
// invalid UTF-8, longer than 200 bytes), or the address has no path.
std::optional<std::string> UpdateFileName(std::string_view url);

// The folder of a keyboard's firmware files: the entry's pid in the upper and
// a model code of the keyboard in the lower 16 bits, as 8 hexadecimal digits.
std::string FirmwareFolderName(uint32_t nPid, uint16_t nModel);

enum class UpdateFile { Program, Firmware };
enum class SizeVerdict { Start, RefuseKeep, RefuseDelete };
// Whether a downloaded file may be started; nSize nullopt when its status
// cannot be read (nothing is started then).
SizeVerdict JudgeDownloadedSize(UpdateFile kind, std::optional<uint64_t> nSize);
