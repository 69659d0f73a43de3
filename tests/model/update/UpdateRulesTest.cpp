#include <gtest/gtest.h>

#include "update/UpdateRules.h"

namespace {

constexpr uint16_t kVid = 0x1A2B, kPid = 0x3C4D;

UpdateEntry Entry(uint32_t nDrvVer, uint32_t nFwVer, std::string strTag = "a", uint32_t nVid = kVid, uint32_t nPid = kPid)
{
    UpdateEntry e;
    e.vid = {nVid, true};
    e.pid = {nPid, true};
    e.drvver = {nDrvVer, true};
    e.fwver = {nFwVer, true};
    e.strDriver = "http://h/" + strTag + "/setup.bin";
    e.strFw = "http://h/" + strTag + "/fw.bin";
    return e;
}

// Walks the steps as the check does: marks go on, a question is answered from
// answers (a yes downloads and ends the run), up to date and the end stop.
// The trace names each step: P= / F= up to date, PM / FM mark, P? / F? a
// question with the answer, then the entry number; "end" when no entry is left.
std::string Walk(const UpdateDesc& desc, const UpdateQuery& q, std::vector<bool> answers = {})
{
    std::string trace;
    UpdateCursor at;
    for (int nGuard = 0; nGuard < 50; ++nGuard) {
        const UpdateStep s = NextUpdateStep(desc, q, at);
        const std::string n = std::to_string(s.iEntry);
        if (!trace.empty()) trace += ' ';
        switch (s.action) {
        case UpdateAction::Finish: return trace + "end";
        case UpdateAction::ProgramUpToDate: return trace + "P=" + n;
        case UpdateAction::FirmwareUpToDate: return trace + "F=" + n;
        case UpdateAction::ProgramMark: trace += "PM" + n; break;
        case UpdateAction::FirmwareMark: trace += "FM" + n; break;
        case UpdateAction::AskProgram:
        case UpdateAction::AskFirmware: {
            const bool bYes = !answers.empty() && answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            trace += (s.action == UpdateAction::AskProgram ? "P?" : "F?") + n + (bYes ? ":yes " + s.strUrl : ":no");
            if (bYes) return trace;
            break;
        }
        }
        at = s.next;
    }
    return trace + " (no end)";
}

UpdateQuery Query(int nType, bool bUser, int32_t nVer = 0x15, int32_t nKbVer = 0x0105)
{
    return {nType, bUser, nVer, kVid, kPid, nKbVer};
}

TEST(UpdateRules, Decisions)
{
    const UpdateEntry other = Entry(0x99, 0x99, "o", kVid, 0x1111);
    struct Case {
        const char* what;
        std::vector<UpdateEntry> entries;
        UpdateQuery q;
        std::vector<bool> answers;
        std::string trace;
    };
    const Case cases[] = {
        {"program current", {Entry(0x15, 0x15)}, Query(1, true), {}, "P=0"},
        {"program newer, yes", {Entry(0x16, 0x15)}, Query(1, true), {true}, "P?0:yes http://h/a/setup.bin"},
        {"program newer, no", {Entry(0x16, 0x15)}, Query(1, true), {false}, "P?0:no end"},
        {"equal program hides firmware for the program check", {Entry(0x15, 0x20)}, Query(1, true), {}, "P=0"},
        {"firmware 15 against 0x0105", {Entry(0x15, 0x15)}, Query(2, true), {}, "F=0"},
        {"firmware 15 against 0x0104", {Entry(0x15, 0x15)}, Query(2, true, 0x15, 0x0104), {true},
         "F?0:yes http://h/a/fw.bin"},
        {"no keyboard: any firmware is new", {Entry(0x15, 0x01)}, Query(2, true, 0x15, 0), {false}, "F?0:no end"},
        {"start-up, both newer: marks only", {Entry(0x16, 0x16)}, Query(3, false), {}, "PM0 FM0 end"},
        {"start-up, program current, firmware newer", {Entry(0x15, 0x16)}, Query(3, false), {}, "FM0 end"},
        {"start-up, both current", {Entry(0x15, 0x15)}, Query(3, false), {}, "F=0"},
        {"both, no to the program asks the firmware", {Entry(0x16, 0x16)}, Query(3, true), {false, true},
         "P?0:no F?0:yes http://h/a/fw.bin"},
        {"two entries: the first decides", {Entry(0x15, 0x15, "a"), Entry(0x16, 0x16, "b")}, Query(1, true), {}, "P=0"},
        {"two entries: no to the first asks the second", {Entry(0x16, 0x15, "a"), Entry(0x17, 0x15, "b")},
         Query(1, true), {false, true}, "P?0:no P?1:yes http://h/b/setup.bin"},
        {"two firmware entries: no to the first asks the second", {Entry(0, 0x16, "a"), Entry(0, 0x17, "b")},
         Query(2, true), {false, false}, "F?0:no F?1:no end"},
        {"other keyboards are passed over", {other, Entry(0x16, 0x15, "b")}, Query(1, true), {true},
         "P?1:yes http://h/b/setup.bin"},
        {"no entry for the keyboard", {other}, Query(3, true), {}, "end"},
        {"no entries at all", {}, Query(3, false), {}, "end"},
        // Versions are unsigned: a net version with the top bit set is newer, not negative.
        {"top bit set is newer", {Entry(0x80000000, 0x15)}, Query(1, true), {false}, "P?0:no end"},
        {"older net version", {Entry(0x14, 0x14)}, Query(3, true), {}, "F=0"},
    };
    for (const Case& c : cases) {
        UpdateDesc desc{c.entries};
        EXPECT_EQ(Walk(desc, c.q, c.answers), c.trace) << c.what;
    }
}

TEST(UpdateRules, FormatErrorsSkipTheEntryAndAreLogged)
{
    UpdateEntry badVid = Entry(0x16, 0x15, "v");
    badVid.vid.bValid = false;
    UpdateEntry badPid = Entry(0x16, 0x15, "p");
    badPid.pid.bValid = false;
    UpdateEntry badDrv = Entry(0x16, 0x15, "d");
    badDrv.drvver.bValid = false;
    UpdateEntry badFw = Entry(0x15, 0x15, "f");
    badFw.fwver.bValid = false;
    UpdateEntry wideFw = Entry(0x15, 0x115, "w");  // more than one byte is no firmware version
    const UpdateDesc desc{{badVid, badPid, badDrv, badFw, wideFw, Entry(0x16, 0x16, "ok")}};

    const UpdateStep s = NextUpdateStep(desc, Query(3, true), {});
    EXPECT_EQ(s.action, UpdateAction::AskProgram);
    EXPECT_EQ(s.iEntry, 5u);
    const std::vector<std::string> logs{"paser vid err", "paser pid err", "paser drvver err",
                                        "Local Drv Ver=0x15, Net Drv Ver=0x15", "paser fwver err",
                                        "Local Drv Ver=0x15, Net Drv Ver=0x15", "paser fwver err",
                                        "Local Drv Ver=0x15, Net Drv Ver=0x16", "Driver has new version"};
    EXPECT_EQ(s.logs, logs);
    EXPECT_EQ(s.next, (UpdateCursor{5, true}));

    const UpdateStep f = NextUpdateStep(desc, Query(3, true), s.next);
    EXPECT_EQ(f.action, UpdateAction::AskFirmware);
    EXPECT_EQ(f.logs, (std::vector<std::string>{"KbVer=0x105, NetVer=0x106", "FW has new version"}));
    EXPECT_EQ(f.next, (UpdateCursor{6, false}));
}

TEST(UpdateRules, NetFirmwareVersion)
{
    EXPECT_EQ(NetFirmwareVersion(0x12), 0x0102);
    EXPECT_EQ(NetFirmwareVersion(0x15), 0x0105);
    EXPECT_EQ(NetFirmwareVersion(0xFF), 0x0F0F);
    EXPECT_EQ(NetFirmwareVersion(0x00), 0);
}

TEST(UpdateRules, DescriptionAddress)
{
    struct Case { std::string_view base; std::optional<std::string> url; };
    const Case cases[] = {
        {"http://h.test/upd/", "http://h.test/upd/update_version.xml"},
        {"http://h.test/upd", "http://h.test/upd/update_version.xml"},  // the separator is added
        {"https://h.test/", "https://h.test/update_version.xml"},
        {"HTTPS://h.test/", "HTTPS://h.test/update_version.xml"},
        {"www.h.test/upd/", "http://www.h.test/upd/update_version.xml"},
        {"  http://h.test/  ", "http://h.test/update_version.xml"},
        {"", std::nullopt},              // off
        {"   ", std::nullopt},
        {"/upd/", std::nullopt},         // relative
        {"h.test/upd/", std::nullopt},
        {"ftp://h.test/", std::nullopt},
        {"file:///etc/", std::nullopt},
        {"http://", std::nullopt},
        {"http:///x/", std::nullopt},
        {"http://h.test/a b/", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(UpdateDescUrl(c.base), c.url) << c.base;
}

TEST(UpdateRules, FileNameFromAddress)
{
    struct Case { std::string url; std::optional<std::string> name; };
    const Case cases[] = {
        {"http://h.test/files/setup.bin", "setup.bin"},
        {"http://h.test/setup.bin?x=1&y=/../z", "setup.bin"},
        {"http://h.test/setup.bin#part/2", "setup.bin"},
        {"http://h.test/My%20Setup%201.2.bin", "My Setup 1.2.bin"},
        {"https://h.test/a/b/c/fw_v1.5.hex", "fw_v1.5.hex"},
        {"http://h.test/files/", std::nullopt},       // no name: the folder itself
        {"http://h.test", std::nullopt},              // no path at all
        {"http://h.test/..", std::nullopt},
        {"http://h.test/.", std::nullopt},
        {"http://h.test/%2e%2e", std::nullopt},
        {"http://h.test/x%2f..%2f..%2fetc%2fpasswd", std::nullopt},
        {"http://h.test/..%5c..%5cevil.exe", std::nullopt},
        {"http://h.test/a%00b", std::nullopt},
        {"http://h.test/a%0Ab", std::nullopt},
        {"http://h.test/a%zz", std::nullopt},
        {"http://h.test/a%4", std::nullopt},
        {"http://h.test/%ff%fe", std::nullopt},      // not UTF-8
        {"setup.bin", std::nullopt},                  // no address
        {"http://h.test/" + std::string(201, 'a'), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(UpdateFileName(c.url), c.name) << c.url;
}

TEST(UpdateRules, FirmwareFolder)
{
    EXPECT_EQ(FirmwareFolderName(0x3C4D, 22), "3C4D0016");
    EXPECT_EQ(FirmwareFolderName(0x1, 0), "00010000");
    EXPECT_EQ(FirmwareFolderName(0xFFFF3C4D, 0xFFFF), "3C4DFFFF");  // the pid is 16 bits
}

TEST(UpdateRules, SizeThresholds)
{
    struct Case { UpdateFile kind; std::optional<uint64_t> size; SizeVerdict verdict; };
    const Case cases[] = {
        {UpdateFile::Program, 1048575, SizeVerdict::RefuseKeep},
        {UpdateFile::Program, 1048576, SizeVerdict::Start},
        {UpdateFile::Program, 0, SizeVerdict::RefuseKeep},
        {UpdateFile::Program, std::nullopt, SizeVerdict::RefuseKeep},  // status unreadable: nothing started
        {UpdateFile::Firmware, 102399, SizeVerdict::RefuseDelete},
        {UpdateFile::Firmware, 102400, SizeVerdict::Start},
        {UpdateFile::Firmware, std::nullopt, SizeVerdict::RefuseKeep},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JudgeDownloadedSize(c.kind, c.size), c.verdict) << int(c.kind) << " " << c.size.value_or(~0ull);
}

}  // namespace
