// uhidbridge: a virtual device as a kernel HID device.
//   uhidbridge --app-dir D --user-dir U --journal FILE [--device mouse|kb|pad] [--state FILE] [--name N]
//              [--ready FILE]
// Loads the installation like the program does, makes the same virtual device
// as `zorvikctl --emulate` does for cfg.ini's wired mouse (the default), its
// RGB keyboard (types 22 and 23) or its pad, and creates a uhid device with
// the device's interfaces as top-level collections. Feature
// requests that reach the kernel device (HIDIOCGFEATURE/HIDIOCSFEATURE on the
// hidraw node) are answered by the virtual firmware; its input reports go
// back to the kernel. Every transfer goes into the emulator's journal, which
// is rewritten to FILE after each one, so the journal on disk is whole
// whenever the bridge is stopped. --state gets the firmware's readable state
// the same way, for reading back what the host wrote. SIGTERM or SIGINT
// destroys the kernel device (an unplug) and ends the bridge.
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <linux/uhid.h>
#include <map>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "MirexDescriptor.h"
#include "core/Gvar.h"
#include "core/Startup.h"
#include "core/StreamPrompt.h"
#include "device/IClock.h"
#include "emu/EmuBackend.h"
#include "emu/mirex/EmuMirex.h"
#include "emu/pad/EmuPad.h"
#include "emu/varorgb/EmuVaroRgb.h"

namespace fs = std::filesystem;

namespace {

volatile sig_atomic_t g_bStop = 0;
void OnSignal(int) { g_bStop = 1; }

struct Options {
    fs::path appDir, userDir, journal, state, ready;
    std::string strDevice = "mouse";
    std::string strName;  // the device's own name when empty
};

int Usage()
{
    std::cerr << "usage: uhidbridge --app-dir D --user-dir U --journal FILE [--device mouse|kb|pad] [--state FILE]\n"
                 "                  [--name N] [--ready FILE]\n";
    return 2;
}

bool WriteEvent(int fd, const uhid_event& ev)
{
    const ssize_t n = write(fd, &ev, sizeof ev);
    if (n == ssize_t(sizeof ev)) return true;
    std::cerr << "uhidbridge: writing to /dev/uhid: " << (n < 0 ? std::strerror(errno) : "short write") << '\n';
    return false;
}

// Writes text to a file in one step, so a reader never sees half of it.
bool WriteWhole(const fs::path& path, const std::string& text)
{
    fs::path tmp = path;
    tmp += ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!(f << text) || !f.flush()) return false;
    }
    std::error_code ec;
    fs::rename(tmp, path, ec);
    return !ec;
}

struct Bridge {
    std::shared_ptr<CEmuDevice> dev;
    CEmuBackend backend;
    std::vector<BridgeCollection> cols;
    std::map<int, std::unique_ptr<IHidHandle>> handles;  // by kernel report id
    Options opt;

    const BridgeCollection* ById(int nId) const
    {
        for (const BridgeCollection& c : cols)
            if (c.nReportId == nId) return &c;
        return nullptr;
    }

    void Record()
    {
        std::string strErr;
        if (!backend.Journal()->WriteFile(opt.journal, strErr))
            std::cerr << "uhidbridge: journal: " << strErr << '\n';
        if (!opt.state.empty() && !WriteWhole(opt.state, dev->DescribeState()))
            std::cerr << "uhidbridge: cannot write " << opt.state.string() << '\n';
    }
};

bool ParseArgs(int argc, char** argv, Options& opt)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return false;
        const char* v = argv[++i];
        if (a == "--app-dir") opt.appDir = v;
        else if (a == "--user-dir") opt.userDir = v;
        else if (a == "--journal") opt.journal = v;
        else if (a == "--state") opt.state = v;
        else if (a == "--ready") opt.ready = v;
        else if (a == "--name") opt.strName = v;
        else if (a == "--device") opt.strDevice = v;
        else return false;
    }
    return !opt.appDir.empty() && !opt.userDir.empty() && !opt.journal.empty() &&
           (opt.strDevice == "mouse" || opt.strDevice == "kb" || opt.strDevice == "pad");
}

// A report the kernel asks for: the firmware's answer, the report id first.
void OnGetReport(Bridge& b, int fd, const uhid_get_report_req& req)
{
    uhid_event ev{};
    ev.type = UHID_GET_REPORT_REPLY;
    ev.u.get_report_reply.id = req.id;
    ev.u.get_report_reply.err = EIO;
    const BridgeCollection* c = b.ById(req.rnum);
    if (req.rtype == UHID_FEATURE_REPORT && c && c->info.nFeatureLen > 0 &&
        size_t(c->info.nFeatureLen) <= sizeof ev.u.get_report_reply.data) {
        std::vector<uint8_t> buf(size_t(c->info.nFeatureLen), 0);
        buf[0] = uint8_t(c->info.nReportId);
        if (b.handles[req.rnum]->GetFeature(buf)) {
            // The kernel's report carries its own id.
            buf[0] = req.rnum;
            std::memcpy(ev.u.get_report_reply.data, buf.data(), buf.size());
            ev.u.get_report_reply.size = uint16_t(buf.size());
            ev.u.get_report_reply.err = 0;
        }
    }
    WriteEvent(fd, ev);
    b.Record();
}

void OnSetReport(Bridge& b, int fd, const uhid_set_report_req& req)
{
    uhid_event ev{};
    ev.type = UHID_SET_REPORT_REPLY;
    ev.u.set_report_reply.id = req.id;
    ev.u.set_report_reply.err = EIO;
    const BridgeCollection* c = b.ById(req.rnum);
    if (req.rtype == UHID_FEATURE_REPORT && c && req.size >= 1 && req.size <= sizeof req.data) {
        std::vector<uint8_t> buf(req.data, req.data + req.size);
        buf[0] = uint8_t(c->info.nReportId);
        if (b.handles[req.rnum]->SetFeature(buf)) ev.u.set_report_reply.err = 0;
    }
    WriteEvent(fd, ev);
    b.Record();
}

void OnOutput(Bridge& b, const uhid_output_req& req)
{
    if (req.size < 1) return;
    const BridgeCollection* c = b.ById(req.data[0]);
    if (!c) return;
    std::vector<uint8_t> buf(req.data, req.data + req.size);
    buf[0] = uint8_t(c->info.nReportId);
    b.handles[c->nReportId]->WriteOutput(buf);
    b.Record();
}

// Input reports the firmware queued, passed on to the kernel.
void PumpInput(Bridge& b, int fd)
{
    for (const BridgeCollection& c : b.cols) {
        if (c.info.nInputLen <= 0) continue;
        std::vector<uint8_t> buf(size_t(c.info.nInputLen));
        for (;;) {
            const int n = b.handles[c.nReportId]->ReadInput(buf, std::chrono::milliseconds(0));
            if (n <= 0) break;
            uhid_event ev{};
            ev.type = UHID_INPUT2;
            buf[0] = uint8_t(c.nReportId);
            std::memcpy(ev.u.input2.data, buf.data(), size_t(n));
            ev.u.input2.size = uint16_t(n);
            WriteEvent(fd, ev);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Bridge b;
    if (!ParseArgs(argc, argv, b.opt)) return Usage();

    CStreamPrompt prompt(std::cerr);
    StartupFolders folders;
    folders.appDir = b.opt.appDir;
    folders.userRoot = b.opt.userDir;
    folders.userDirOverride = b.opt.userDir;
    folders.logDir = b.opt.userDir;
    if (!RunStartupDataSteps(folders, prompt)) {
        std::cerr << "uhidbridge: the installation in " << b.opt.appDir.string() << " cannot be loaded\n";
        return 1;
    }
    // The same virtual device as `zorvikctl --emulate` makes for the family.
    static CSystemClock clock;
    if (b.opt.strDevice == "mouse") {
        if (gVar.nMsFw == 0) {
            std::cerr << "uhidbridge: cfg.ini configures no mouse\n";
            return 1;
        }
        EmuMirexConfig cfg = MirexConfigFor(gVar.Ms.nVID, gVar.Ms.nPID[0], gVar.Ms.nMsSensor);
        if (!b.opt.strName.empty()) cfg.strName = b.opt.strName;
        b.dev = std::make_shared<CEmuMirex>(cfg, clock);
    } else if (b.opt.strDevice == "kb") {
        if (gVar.nKbFw != 22 && gVar.nKbFw != 23) {
            std::cerr << "uhidbridge: cfg.ini configures no RGB keyboard (KbFw=22 or 23)\n";
            return 1;
        }
        EmuVaroRgbConfig cfg = VaroRgbConfigFor(gVar);
        if (!b.opt.strName.empty()) cfg.strName = b.opt.strName;
        b.dev = std::make_shared<CEmuVaroRgb>(cfg, clock);
    } else {
        if (gVar.nPadFw == 0) {
            std::cerr << "uhidbridge: cfg.ini configures no pad\n";
            return 1;
        }
        EmuPadConfig cfg = PadConfigFor(gVar.Pad.nVID, gVar.Pad.nPID);
        if (!b.opt.strName.empty()) cfg.strName = b.opt.strName;
        b.dev = std::make_shared<CEmuPad>(cfg, clock);
    }
    b.backend.AddDevice(b.dev);

    for (const HidDevInfo& info : b.dev->Interfaces()) {
        BridgeCollection c;
        c.strRole = b.dev->Role(b.dev->FindInterface(info.szPath));
        c.info = info;
        b.cols.push_back(std::move(c));
    }
    std::string strErr;
    if (!AssignReportIds(b.cols, strErr)) {
        std::cerr << "uhidbridge: " << strErr << '\n';
        return 1;
    }
    for (const BridgeCollection& c : b.cols) {
        auto h = b.backend.Open(c.info.szPath);
        if (!h) {
            std::cerr << "uhidbridge: cannot open " << c.info.szPath << '\n';
            return 1;
        }
        b.handles[c.nReportId] = std::move(h);
    }
    const std::vector<uint8_t> desc = MakeReportDescriptor(b.cols);
    if (desc.size() > HID_MAX_DESCRIPTOR_SIZE) {
        std::cerr << "uhidbridge: the report descriptor is too long for the kernel (" << desc.size() << " bytes)\n";
        return 1;
    }

    const int fd = open("/dev/uhid", O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        std::cerr << "uhidbridge: cannot open /dev/uhid: " << std::strerror(errno) << '\n';
        return 1;
    }
    uhid_event ev{};
    ev.type = UHID_CREATE2;
    std::snprintf(reinterpret_cast<char*>(ev.u.create2.name), sizeof ev.u.create2.name, "Zorvik virtual %s",
                  b.dev->Name().c_str());
    std::snprintf(reinterpret_cast<char*>(ev.u.create2.phys), sizeof ev.u.create2.phys, "uhidbridge/%s",
                  b.dev->Name().c_str());
    ev.u.create2.rd_size = uint16_t(desc.size());
    ev.u.create2.bus = BUS_USB;
    // Every interface of a virtual device carries the device's identifiers.
    const HidDevInfo& id = b.cols.front().info;
    ev.u.create2.vendor = uint32_t(id.nVID);
    ev.u.create2.product = uint32_t(id.nPID);
    ev.u.create2.version = uint32_t(id.nVersion);
    std::memcpy(ev.u.create2.rd_data, desc.data(), desc.size());
    if (!WriteEvent(fd, ev)) return 1;

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    b.Record();

    bool bStarted = false;
    while (!g_bStop) {
        pollfd pfd{fd, POLLIN, 0};
        const int r = poll(&pfd, 1, 10);
        if (r < 0 && errno != EINTR) break;
        if (r > 0) {
            uhid_event in{};
            const ssize_t n = read(fd, &in, sizeof in);
            if (n <= 0) {
                if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
                std::cerr << "uhidbridge: reading /dev/uhid: " << (n < 0 ? std::strerror(errno) : "end") << '\n';
                break;
            }
            switch (in.type) {
            case UHID_START:
                if (!bStarted && !b.opt.ready.empty()) WriteWhole(b.opt.ready, "started\n");
                bStarted = true;
                break;
            case UHID_GET_REPORT: OnGetReport(b, fd, in.u.get_report); break;
            case UHID_SET_REPORT: OnSetReport(b, fd, in.u.set_report); break;
            case UHID_OUTPUT: OnOutput(b, in.u.output); break;
            default: break;
            }
        }
        if (bStarted) PumpInput(b, fd);
    }
    uhid_event destroy{};
    destroy.type = UHID_DESTROY;
    WriteEvent(fd, destroy);
    close(fd);
    b.Record();
    for (const std::string& v : b.backend.Violations()) std::cerr << "uhidbridge: violation: " << v << '\n';
    return 0;
}
