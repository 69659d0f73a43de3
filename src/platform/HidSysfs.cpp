#include "platform/HidSysfs.h"

#include <algorithm>
#include <charconv>
#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxDescriptor = 65536;  // the kernel keeps at most 4 KiB; anything more is not a descriptor
constexpr size_t kMaxTextFile = 16384;
constexpr int kMaxParentSteps = 8;        // hid device -> usb interface -> usb device is two
constexpr int kBusUsb = 0x03;

bool ReadFileCapped(const fs::path& path, size_t nMax, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(nMax, '\0');
    in.read(out.data(), std::streamsize(nMax));
    out.resize(size_t(in.gcount()));
    return !in.bad();
}

bool ParseHex(std::string_view str, int& nOut)
{
    unsigned n = 0;
    const auto res = std::from_chars(str.data(), str.data() + str.size(), n, 16);
    if (res.ec != std::errc() || res.ptr != str.data() + str.size() || str.empty()) return false;
    nOut = int(n);
    return true;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.remove_suffix(1);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return s;
}

// The value of KEY= in a uevent file, empty when absent.
std::string_view UeventValue(std::string_view text, std::string_view key)
{
    size_t nPos = 0;
    while (nPos < text.size()) {
        size_t nEnd = text.find('\n', nPos);
        if (nEnd == std::string_view::npos) nEnd = text.size();
        const std::string_view line = text.substr(nPos, nEnd - nPos);
        if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=')
            return Trim(line.substr(key.size() + 1));
        nPos = nEnd + 1;
    }
    return {};
}

// hidraw followed by digits only; the number, -1 for anything else.
long NodeNumber(std::string_view name)
{
    constexpr std::string_view kPrefix = "hidraw";
    if (name.size() <= kPrefix.size() || name.substr(0, kPrefix.size()) != kPrefix) return -1;
    long n = 0;
    const auto digits = name.substr(kPrefix.size());
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) return -1;
    return n;
}

bool IsUnder(const fs::path& path, const fs::path& root)
{
    auto it = path.begin();
    for (const auto& part : root) {
        if (part.empty()) continue;  // a trailing separator
        if (it == path.end() || *it != part) return false;
        ++it;
    }
    return true;
}

// The release number of the USB device above a HID device: the first parent
// holding bcdDevice, never looking outside the sysfs root.
int UsbRelease(const fs::path& hidDir, const fs::path& sysRoot)
{
    std::error_code ec;
    const fs::path root = fs::weakly_canonical(sysRoot, ec);
    fs::path dir = hidDir.parent_path();
    for (int i = 0; i < kMaxParentSteps && !dir.empty() && dir != dir.root_path(); ++i, dir = dir.parent_path()) {
        if (!ec && !IsUnder(dir, root)) break;
        std::string text;
        int nVersion = 0;
        if (ReadFileCapped(dir / "bcdDevice", 64, text) && ParseHex(Trim(text), nVersion)) return nVersion;
    }
    return 0;
}

}  // namespace

bool ParseHidId(std::string_view str, int& nBus, int& nVID, int& nPID)
{
    str = Trim(str);
    const size_t n1 = str.find(':');
    if (n1 == std::string_view::npos) return false;
    const size_t n2 = str.find(':', n1 + 1);
    if (n2 == std::string_view::npos) return false;
    int nB = 0, nV = 0, nP = 0;
    if (!ParseHex(str.substr(0, n1), nB) || !ParseHex(str.substr(n1 + 1, n2 - n1 - 1), nV) ||
        !ParseHex(str.substr(n2 + 1), nP))
        return false;
    if (nV > 0xFFFF || nP > 0xFFFF) return false;
    nBus = nB;
    nVID = nV;
    nPID = nP;
    return true;
}

bool ReadHidrawNode(const HidSysRoots& roots, const std::string& strName, HidrawNode& node)
{
    if (NodeNumber(strName) < 0) return false;  // never a path of another shape
    const fs::path devLink = roots.sysfs / "class" / "hidraw" / strName / "device";
    std::string uevent;
    if (!ReadFileCapped(devLink / "uevent", kMaxTextFile, uevent)) return false;  // gone meanwhile
    node = {};
    if (!ParseHidId(UeventValue(uevent, "HID_ID"), node.nBus, node.nVID, node.nPID)) return false;
    node.strName = strName;
    node.strDevPath = (roots.dev / strName).string();
    std::error_code ec;
    const fs::path hidDir = fs::canonical(devLink, ec);
    if (!ec) {
        node.strDevKey = hidDir.filename().string();
        if (node.nBus == kBusUsb) node.nVersion = UsbRelease(hidDir, roots.sysfs);
    }
    return true;
}

std::vector<HidrawNode> ScanHidrawNodes(const HidSysRoots& roots)
{
    std::vector<std::pair<long, HidrawNode>> found;
    std::error_code ec;
    const fs::path classDir = roots.sysfs / "class" / "hidraw";
    for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string strName = it->path().filename().string();
        HidrawNode node;
        if (ReadHidrawNode(roots, strName, node)) found.emplace_back(NodeNumber(strName), std::move(node));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<HidrawNode> nodes;
    nodes.reserve(found.size());
    for (auto& f : found) nodes.push_back(std::move(f.second));
    return nodes;
}

bool ReadHidrawDescriptor(const HidSysRoots& roots, const std::string& strName, std::vector<uint8_t>& out)
{
    if (NodeNumber(strName) < 0) return false;
    std::string bytes;
    if (!ReadFileCapped(roots.sysfs / "class" / "hidraw" / strName / "device" / "report_descriptor", kMaxDescriptor,
                        bytes))
        return false;
    out.assign(bytes.begin(), bytes.end());
    return true;
}
