// A parser of HID report descriptors: what the program needs to know about a
// HID interface that the operating system does not hand over on Linux. For
// each top-level collection it gives the usage page and usage, the report ids
// it uses, the byte length of its largest input, output and feature report,
// and the report id by which the device code recognises the interface.
//
// Lengths follow the convention the device code was written for: one byte for
// the report id is always counted, also on devices that use no report ids (the
// id is 0 then and the byte is still in every buffer), and a kind of report
// the collection does not have has length 0.
//
// The input comes from the device, so it is treated as hostile: every read is
// bounds-checked, nesting and the push stack are capped, nothing throws, and a
// malformed descriptor gives the collections found up to the fault plus an
// error text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum class HidReportKind : uint8_t { Input = 0, Output = 1, Feature = 2 };

// One report of a collection: its id (0 on devices without ids) and its size
// in bits, without the id byte.
struct HidReportBits {
    uint8_t byId = 0;
    uint64_t nBits = 0;
};

struct HidTopCollection {
    int nUsagePage = 0;
    int nUsage = 0;
    int nCollectionType = 0;  // 1 application, 0 physical, 2 logical, ...
    // Per kind (indexed by HidReportKind), in the order of first appearance.
    std::vector<HidReportBits> reports[3];
    // Lengths in bytes, id byte included; 0 when the collection has no such report.
    int nInputLen = 0;
    int nOutputLen = 0;
    int nFeatureLen = 0;
    // The id of the first button capability, else the first value capability,
    // looking at feature, then input, then output reports; 0 when none.
    int nReportId = 0;

    int ReportLength(HidReportKind kind) const;
    // The ids of the reports of one kind, in order of first appearance.
    std::vector<uint8_t> ReportIds(HidReportKind kind) const;
    // Every id the collection uses, ascending, without duplicates.
    std::vector<uint8_t> AllReportIds() const;
};

struct HidDescriptorInfo {
    std::vector<HidTopCollection> collections;
    bool bUsesReportIds = false;  // a Report ID item was seen
    std::string strError;         // empty when the whole descriptor was understood
    size_t nErrorOffset = 0;      // byte offset of the item at fault

    bool Ok() const { return strError.empty(); }
};

// Limits that keep a hostile descriptor from costing memory or time; real
// devices stay far below them.
constexpr int kHidMaxCollectionDepth = 32;
constexpr int kHidMaxPushDepth = 16;
constexpr size_t kHidMaxTopCollections = 256;
constexpr uint32_t kHidMaxReportSize = 256;      // bits per field, as the kernel allows
constexpr uint32_t kHidMaxReportCount = 65535;   // fields per item
constexpr uint64_t kHidMaxReportBytes = 65535;   // a longer report is refused

HidDescriptorInfo ParseHidReportDescriptor(std::span<const uint8_t> desc);
