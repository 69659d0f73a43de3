#include "device/HidReportDescriptor.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

// Item types and tags of the short item prefix byte: tag in the high four
// bits, type in bits 2-3, data size code in bits 0-1 (3 means four bytes).
constexpr uint8_t kTypeMain = 0, kTypeGlobal = 1, kTypeLocal = 2;
constexpr uint8_t kLongItemPrefix = 0xFE;

constexpr uint8_t kMainInput = 0x8, kMainOutput = 0x9, kMainFeature = 0xB;
constexpr uint8_t kMainCollection = 0xA, kMainEndCollection = 0xC;

constexpr uint8_t kGlobalUsagePage = 0x0, kGlobalReportSize = 0x7, kGlobalReportId = 0x8;
constexpr uint8_t kGlobalReportCount = 0x9, kGlobalPush = 0xA, kGlobalPop = 0xB;

constexpr uint8_t kLocalUsage = 0x0, kLocalUsageMinimum = 0x1;

// Main item data bits.
constexpr uint32_t kFlagConstant = 0x01;
constexpr uint32_t kFlagVariable = 0x02;

struct GlobalState {
    uint32_t nUsagePage = 0;
    uint32_t nReportSize = 0;
    uint32_t nReportCount = 0;
    uint8_t byReportId = 0;
};

// Local items last until the next main item. Only the first usage matters
// here: it names the collection that follows. A four-byte usage carries its
// own page in the high half.
struct LocalState {
    std::optional<uint32_t> usage;
    bool bUsageExtended = false;
    std::optional<uint32_t> usageMin;
    bool bUsageMinExtended = false;
};

// Per collection, per kind: the ids of the first button and first value
// capability, -1 until one is seen.
struct CapsSeen {
    std::array<int, 3> nFirstButton{-1, -1, -1};
    std::array<int, 3> nFirstValue{-1, -1, -1};
};

class CParser {
public:
    explicit CParser(std::span<const uint8_t> desc) : m_desc(desc) {}
    HidDescriptorInfo Run();

private:
    bool Fail(size_t nOffset, std::string strWhat);
    bool OnMain(uint8_t byTag, uint32_t nValue, size_t nOffset);
    bool OnGlobal(uint8_t byTag, uint32_t nValue, size_t nOffset);
    void OnLocal(uint8_t byTag, uint32_t nValue, int nSize);
    bool OnReportItem(HidReportKind kind, uint32_t nFlags, size_t nOffset);
    HidTopCollection* StartCollection(uint32_t nType, size_t nOffset);
    void Finish();

    std::span<const uint8_t> m_desc;
    HidDescriptorInfo m_info;
    std::vector<CapsSeen> m_caps;  // parallel to m_info.collections
    GlobalState m_global;
    LocalState m_local;
    std::vector<GlobalState> m_stack;
    int m_nDepth = 0;
    int m_nCurrent = -1;  // index of the collection items go to, -1 outside
};

uint32_t ReadValue(const uint8_t* p, int nSize)
{
    uint32_t n = 0;
    for (int i = nSize - 1; i >= 0; --i) n = (n << 8) | p[i];
    return n;
}

bool CParser::Fail(size_t nOffset, std::string strWhat)
{
    if (m_info.strError.empty()) {
        m_info.strError = std::move(strWhat);
        m_info.nErrorOffset = nOffset;
    }
    return false;
}

HidDescriptorInfo CParser::Run()
{
    size_t i = 0;
    const size_t nLen = m_desc.size();
    while (i < nLen) {
        const uint8_t byPrefix = m_desc[i];
        if (byPrefix == kLongItemPrefix) {
            // Long item: prefix, data size, tag, data. No long item tags are
            // defined; skip it whole.
            if (nLen - i < 3) { Fail(i, "long item cut short"); break; }
            const size_t nData = m_desc[i + 1];
            if (nLen - i - 3 < nData) { Fail(i, "long item data past the end"); break; }
            i += 3 + nData;
            continue;
        }
        const int nSizeCode = byPrefix & 0x03;
        const int nSize = nSizeCode == 3 ? 4 : nSizeCode;
        const uint8_t byType = (byPrefix >> 2) & 0x03;
        const uint8_t byTag = byPrefix >> 4;
        if (nLen - i - 1 < size_t(nSize)) { Fail(i, "item data past the end"); break; }
        const uint32_t nValue = ReadValue(m_desc.data() + i + 1, nSize);

        bool bOk = true;
        if (byType == kTypeMain) bOk = OnMain(byTag, nValue, i);
        else if (byType == kTypeGlobal) bOk = OnGlobal(byTag, nValue, i);
        else if (byType == kTypeLocal) OnLocal(byTag, nValue, nSize);
        // Type 3 is reserved: skipped like an unknown tag.
        if (!bOk) break;
        i += 1 + size_t(nSize);
    }
    if (m_info.strError.empty() && m_nDepth > 0) Fail(nLen, "collection not closed at the end");
    Finish();
    return std::move(m_info);
}

HidTopCollection* CParser::StartCollection(uint32_t nType, size_t nOffset)
{
    if (m_info.collections.size() >= kHidMaxTopCollections) {
        Fail(nOffset, "too many top-level collections");
        return nullptr;
    }
    HidTopCollection& col = m_info.collections.emplace_back();
    m_caps.emplace_back();
    col.nCollectionType = int(nType & 0xFF);
    if (m_local.usage) {
        col.nUsagePage = int(m_local.bUsageExtended ? *m_local.usage >> 16 : m_global.nUsagePage & 0xFFFF);
        col.nUsage = int(*m_local.usage & 0xFFFF);
    } else if (m_local.usageMin) {
        col.nUsagePage = int(m_local.bUsageMinExtended ? *m_local.usageMin >> 16 : m_global.nUsagePage & 0xFFFF);
        col.nUsage = int(*m_local.usageMin & 0xFFFF);
    } else {
        col.nUsagePage = int(m_global.nUsagePage & 0xFFFF);
    }
    m_nCurrent = int(m_info.collections.size()) - 1;
    return &col;
}

bool CParser::OnMain(uint8_t byTag, uint32_t nValue, size_t nOffset)
{
    bool bOk = true;
    switch (byTag) {
    case kMainCollection:
        if (m_nDepth >= kHidMaxCollectionDepth) return Fail(nOffset, "collections nested too deep");
        if (m_nDepth == 0 && !StartCollection(nValue, nOffset)) return false;
        ++m_nDepth;
        break;
    case kMainEndCollection:
        if (m_nDepth == 0) return Fail(nOffset, "End Collection without Collection");
        if (--m_nDepth == 0) m_nCurrent = -1;
        break;
    case kMainInput: bOk = OnReportItem(HidReportKind::Input, nValue, nOffset); break;
    case kMainOutput: bOk = OnReportItem(HidReportKind::Output, nValue, nOffset); break;
    case kMainFeature: bOk = OnReportItem(HidReportKind::Feature, nValue, nOffset); break;
    default: break;  // reserved main tags carry nothing we use
    }
    m_local = {};  // every main item ends the scope of the local items before it
    return bOk;
}

bool CParser::OnGlobal(uint8_t byTag, uint32_t nValue, size_t nOffset)
{
    switch (byTag) {
    case kGlobalUsagePage: m_global.nUsagePage = nValue; break;
    case kGlobalReportSize: m_global.nReportSize = nValue; break;
    case kGlobalReportCount: m_global.nReportCount = nValue; break;
    case kGlobalReportId:
        // Id 0 is reserved for "no id" and ids are one byte on the wire.
        if (nValue == 0 || nValue > 255) return Fail(nOffset, "report id out of range");
        m_global.byReportId = uint8_t(nValue);
        m_info.bUsesReportIds = true;
        break;
    case kGlobalPush:
        if (m_stack.size() >= size_t(kHidMaxPushDepth)) return Fail(nOffset, "Push nested too deep");
        m_stack.push_back(m_global);
        break;
    case kGlobalPop:
        if (m_stack.empty()) return Fail(nOffset, "Pop without Push");
        m_global = m_stack.back();
        m_stack.pop_back();
        break;
    default: break;  // logical and physical ranges, units: not needed for lengths
    }
    return true;
}

void CParser::OnLocal(uint8_t byTag, uint32_t nValue, int nSize)
{
    if (byTag == kLocalUsage && !m_local.usage) {
        m_local.usage = nValue;
        m_local.bUsageExtended = nSize == 4;
    } else if (byTag == kLocalUsageMinimum && !m_local.usageMin) {
        m_local.usageMin = nValue;
        m_local.bUsageMinExtended = nSize == 4;
    }
}

bool CParser::OnReportItem(HidReportKind kind, uint32_t nFlags, size_t nOffset)
{
    if (m_global.nReportSize > kHidMaxReportSize) return Fail(nOffset, "report size too large");
    if (m_global.nReportCount > kHidMaxReportCount) return Fail(nOffset, "report count too large");
    const uint64_t nBits = uint64_t(m_global.nReportSize) * m_global.nReportCount;
    if (nBits == 0) return true;  // an empty field adds nothing and has no capability

    if (m_nCurrent < 0) {
        // Items outside any collection: kept in a collection of their own,
        // named by the usage in effect, so that their reports are not lost.
        if (!StartCollection(1, nOffset)) return false;
    }
    HidTopCollection& col = m_info.collections[size_t(m_nCurrent)];
    auto& reports = col.reports[size_t(kind)];
    auto it = std::find_if(reports.begin(), reports.end(),
                           [&](const HidReportBits& r) { return r.byId == m_global.byReportId; });
    const uint64_t nTotal = (it == reports.end() ? 0 : it->nBits) + nBits;
    if (nTotal > kHidMaxReportBytes * 8) return Fail(nOffset, "report too long");  // nothing of it is kept
    if (it == reports.end()) reports.push_back({m_global.byReportId, nTotal});
    else it->nBits = nTotal;

    if ((nFlags & kFlagConstant) == 0) {
        // A data field is a capability: an array or a one-bit variable is a
        // button, anything else a value.
        const bool bButton = (nFlags & kFlagVariable) == 0 || m_global.nReportSize == 1;
        CapsSeen& caps = m_caps[size_t(m_nCurrent)];
        int& nFirst = bButton ? caps.nFirstButton[size_t(kind)] : caps.nFirstValue[size_t(kind)];
        if (nFirst < 0) nFirst = m_global.byReportId;
    }
    return true;
}

void CParser::Finish()
{
    for (size_t c = 0; c < m_info.collections.size(); ++c) {
        HidTopCollection& col = m_info.collections[c];
        col.nInputLen = col.ReportLength(HidReportKind::Input);
        col.nOutputLen = col.ReportLength(HidReportKind::Output);
        col.nFeatureLen = col.ReportLength(HidReportKind::Feature);
        const CapsSeen& caps = m_caps[c];
        for (HidReportKind kind : {HidReportKind::Feature, HidReportKind::Input, HidReportKind::Output}) {
            const size_t k = size_t(kind);
            if (caps.nFirstButton[k] >= 0) { col.nReportId = caps.nFirstButton[k]; break; }
            if (caps.nFirstValue[k] >= 0) { col.nReportId = caps.nFirstValue[k]; break; }
        }
    }
}

}  // namespace

int HidTopCollection::ReportLength(HidReportKind kind) const
{
    uint64_t nMaxBits = 0;
    const auto& list = reports[size_t(kind)];
    if (list.empty()) return 0;
    for (const HidReportBits& r : list) nMaxBits = std::max(nMaxBits, r.nBits);
    // The parser refuses reports beyond kHidMaxReportBytes, so this fits.
    return int(1 + (nMaxBits + 7) / 8);
}

std::vector<uint8_t> HidTopCollection::ReportIds(HidReportKind kind) const
{
    std::vector<uint8_t> ids;
    for (const HidReportBits& r : reports[size_t(kind)]) ids.push_back(r.byId);
    return ids;
}

std::vector<uint8_t> HidTopCollection::AllReportIds() const
{
    std::vector<uint8_t> ids;
    for (const auto& list : reports)
        for (const HidReportBits& r : list) ids.push_back(r.byId);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

HidDescriptorInfo ParseHidReportDescriptor(std::span<const uint8_t> desc)
{
    return CParser(desc).Run();
}
