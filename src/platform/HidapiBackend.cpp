#include "platform/HidapiBackend.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <hidapi.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Log.h"
#include "device/HidReportDescriptor.h"

namespace {

constexpr std::string_view kCollectionMark = "#col";
constexpr int kMaxCollectionNumber = 999;

// The descriptor of an open hidraw node, as the kernel gives it to the owner
// of a descriptor: what the node is now, even when the list was made before
// a replug put another device on it.
bool ReadDescriptorIoctl(int fd, std::vector<uint8_t>& out)
{
    int nSize = 0;
    if (ioctl(fd, HIDIOCGRDESCSIZE, &nSize) < 0 || nSize < 0 || nSize > HID_MAX_DESCRIPTOR_SIZE) return false;
    auto pDesc = std::make_unique<hidraw_report_descriptor>();
    pDesc->size = uint32_t(nSize);
    if (ioctl(fd, HIDIOCGRDESC, pDesc.get()) < 0) return false;
    out.assign(pDesc->value, pDesc->value + nSize);
    return true;
}

}  // namespace

// ---- handle ----

CHidapiHandle::CHidapiHandle(hid_device_* hDev, std::unique_ptr<CHidInputReader> pReader)
    : m_hDev(hDev), m_pReader(std::move(pReader))
{
}

CHidapiHandle::~CHidapiHandle() { hid_close(m_hDev); }

bool CHidapiHandle::Done(int nResult, size_t nWanted, const char* pszWhat)
{
    const int nErr = errno;  // straight after the call
    if (nResult >= 0 && size_t(nResult) == nWanted) return true;
    // A short transfer has no error number of its own.
    m_nLastError = nResult < 0 && nErr ? nErr : EIO;
    if (nResult >= 0) LogPrintf("HID: %s moved %d of %zu bytes", pszWhat, nResult, nWanted);
    return false;
}

bool CHidapiHandle::SetFeature(std::span<const uint8_t> report)
{
    if (report.empty()) return Refuse();
    errno = 0;
    return Done(hid_send_feature_report(m_hDev, report.data(), report.size()), report.size(), "set feature");
}

bool CHidapiHandle::GetFeature(std::span<uint8_t> buf)
{
    // Only a whole report counts: a short answer would leave stale bytes in
    // the tail, and the device code writes blocks it read back to the device.
    if (buf.empty()) return Refuse();
    errno = 0;
    return Done(hid_get_feature_report(m_hDev, buf.data(), buf.size()), buf.size(), "get feature");
}

bool CHidapiHandle::WriteOutput(std::span<const uint8_t> report)
{
    if (report.empty()) return Refuse();
    errno = 0;
    return Done(hid_write(m_hDev, report.data(), report.size()), report.size(), "write");
}

bool CHidapiHandle::Refuse()
{
    m_nLastError = EINVAL;  // no report id, nothing to move
    return false;
}

int CHidapiHandle::ReadInput(std::span<uint8_t> buf, std::chrono::milliseconds timeout)
{
    const int n = m_pReader->Read(buf, timeout);
    if (n < 0) m_nLastError = m_pReader->LastError();
    return n;
}

void CHidapiHandle::CancelRead() { m_pReader->Cancel(); }

int CHidapiHandle::LastError() const { return m_nLastError; }

// ---- backend ----

CHidapiBackend::CHidapiBackend(HidSysRoots roots) : m_roots(std::move(roots))
{
    hid_init();  // sets up hidapi's locale for its strings; nothing to undo
}

std::vector<HidDevInfo> CHidapiBackend::Enumerate()
{
    std::vector<HidDevInfo> list;
    for (const HidrawNode& node : ScanHidrawNodes(m_roots)) {
        std::vector<uint8_t> desc;
        if (!ReadHidrawDescriptor(m_roots, node.strName, desc)) {
            LogPrintf("HID: %s: no report descriptor, skipped", node.strDevPath.c_str());
            continue;
        }
        for (HidDevInfo& info : MakeHidDevInfos(node, desc)) list.push_back(std::move(info));
    }
    return list;
}

std::unique_ptr<IHidHandle> CHidapiBackend::Open(const std::string& strPath)
{
    std::string strNode;
    int nCollection = 0;
    if (!SplitCollectionPath(strPath, strNode, nCollection) || strNode.empty()) {
        m_nLastOpenError = EINVAL;
        return nullptr;
    }
    // Our own descriptor first: its errno tells "no permission" (EACCES) from
    // "gone" (ENOENT, ENODEV) reliably; hidapi keeps only a text.
    const int fd = open(strNode.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_nLastOpenError = errno;
        LogPrintf("HID: cannot open %s: %s", strNode.c_str(), std::strerror(m_nLastOpenError));
        return nullptr;
    }

    auto pReader = std::make_unique<CHidInputReader>(fd);  // owns fd from here
    if (!pReader->IsValid()) {
        m_nLastOpenError = pReader->LastError() ? pReader->LastError() : EMFILE;
        return nullptr;
    }
    // Only a node that answers the hidraw descriptor request goes on to
    // hidapi, whose own check of it is what a stray path would otherwise meet.
    std::vector<uint8_t> desc;
    struct stat st {};
    if (fstat(fd, &st) < 0 || !S_ISCHR(st.st_mode) || !ReadDescriptorIoctl(fd, desc)) {
        m_nLastOpenError = ENODEV;
        LogPrintf("HID: %s is not a hidraw node", strNode.c_str());
        return nullptr;
    }
    if (nCollection > 0) {
        const HidDescriptorInfo parsed = ParseHidReportDescriptor(desc);
        if (size_t(nCollection) > parsed.collections.size()) {
            m_nLastOpenError = ENODEV;  // another device on the node now
            LogPrintf("HID: %s has no collection %d", strNode.c_str(), nCollection);
            return nullptr;
        }
        // Several collections always use report ids; the reports of the
        // others arrive on this node too and are not this handle's.
        if (parsed.bUsesReportIds)
            pReader->AcceptOnly(parsed.collections[size_t(nCollection - 1)].ReportIds(HidReportKind::Input));
    }

    errno = 0;
    hid_device* hDev = hid_open_path(strNode.c_str());
    if (!hDev) {
        m_nLastOpenError = errno ? errno : EIO;
        LogPrintf("HID: hidapi cannot open %s: %ls", strNode.c_str(), hid_error(nullptr));
        return nullptr;
    }
    m_nLastOpenError = 0;
    return std::make_unique<CHidapiHandle>(hDev, std::move(pReader));
}

// ---- helpers ----

std::vector<HidDevInfo> MakeHidDevInfos(const HidrawNode& node, std::span<const uint8_t> desc)
{
    const HidDescriptorInfo parsed = ParseHidReportDescriptor(desc);
    if (!parsed.Ok())
        LogPrintf("HID: %s: report descriptor: %s at byte %zu", node.strDevPath.c_str(), parsed.strError.c_str(),
                  parsed.nErrorOffset);
    std::vector<HidDevInfo> list;
    const size_t nCount = parsed.collections.size();
    for (size_t i = 0; i < nCount; ++i) {
        const HidTopCollection& col = parsed.collections[i];
        HidDevInfo info;
        info.szPath = node.strDevPath;
        if (nCount > 1) info.szPath += std::string(kCollectionMark) + std::to_string(i + 1);
        info.nReportId = col.nReportId;
        info.nInputLen = col.nInputLen;
        info.nOutputLen = col.nOutputLen;
        info.nFeatureLen = col.nFeatureLen;
        info.nUsagePage = col.nUsagePage;
        info.nUsage = col.nUsage;
        info.nVID = node.nVID;
        info.nPID = node.nPID;
        info.nVersion = node.nVersion;
        list.push_back(std::move(info));
    }
    return list;
}

bool SplitCollectionPath(const std::string& strPath, std::string& strNode, int& nCollection)
{
    const size_t nMark = strPath.rfind(kCollectionMark);
    if (nMark == std::string::npos) {
        strNode = strPath;
        nCollection = 0;
        return true;
    }
    const char* pBegin = strPath.data() + nMark + kCollectionMark.size();
    const char* pEnd = strPath.data() + strPath.size();
    int n = 0;
    const auto res = std::from_chars(pBegin, pEnd, n);
    if (pBegin == pEnd || *pBegin == '0' || res.ec != std::errc() || res.ptr != pEnd || n < 1 ||
        n > kMaxCollectionNumber)
        return false;
    strNode = strPath.substr(0, nMark);
    nCollection = n;
    return true;
}
