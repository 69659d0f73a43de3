#include "MirexDescriptor.h"

#include <set>

namespace {

void Put(std::vector<uint8_t>& d, std::initializer_list<uint8_t> bytes) { d.insert(d.end(), bytes); }

// A short item with a 1- or 2-byte unsigned value (tag byte has the size bits clear).
void PutItem(std::vector<uint8_t>& d, uint8_t byTag, unsigned nValue)
{
    if (nValue <= 0xFF) {
        Put(d, {uint8_t(byTag | 1), uint8_t(nValue)});
    } else {
        Put(d, {uint8_t(byTag | 2), uint8_t(nValue), uint8_t(nValue >> 8)});
    }
}

// One main item of nLen bytes (report id included): vendor usage, bytes 0..255.
void PutReport(std::vector<uint8_t>& d, uint8_t byMain, int nLen)
{
    if (nLen <= 1) return;
    Put(d, {0x06, 0x00, 0xFF});  // usage page: vendor defined
    PutItem(d, 0x08, 1);         // usage 1
    Put(d, {0x15, 0x00});        // logical minimum 0
    Put(d, {0x26, 0xFF, 0x00});  // logical maximum 255
    Put(d, {0x75, 0x08});        // report size 8
    PutItem(d, 0x94, unsigned(nLen - 1));  // report count
    PutItem(d, byMain, 0x02);              // data, variable, absolute
}

}  // namespace

bool AssignReportIds(std::vector<BridgeCollection>& cols, std::string& strErr)
{
    std::set<int> used;
    for (const BridgeCollection& c : cols) {
        if (c.info.nReportId == 0) continue;
        if (!used.insert(c.info.nReportId).second) {
            strErr = "two interfaces use report id " + std::to_string(c.info.nReportId);
            return false;
        }
    }
    for (BridgeCollection& c : cols) {
        if (c.info.nInputLen <= 1 && c.info.nOutputLen <= 1 && c.info.nFeatureLen <= 1) {
            strErr = "interface " + c.strRole + " has no report";
            return false;
        }
        c.nReportId = c.info.nReportId;
        if (c.nReportId != 0) continue;
        int n = 1;
        while (used.count(n)) ++n;
        if (n > 255) {
            strErr = "no free report id";
            return false;
        }
        used.insert(n);
        c.nReportId = n;
    }
    return true;
}

std::vector<uint8_t> MakeReportDescriptor(const std::vector<BridgeCollection>& cols)
{
    std::vector<uint8_t> d;
    for (const BridgeCollection& c : cols) {
        PutItem(d, 0x04, unsigned(c.info.nUsagePage) & 0xFFFF);
        PutItem(d, 0x08, unsigned(c.info.nUsage) & 0xFFFF);
        Put(d, {0xA1, 0x01});  // collection: application
        PutItem(d, 0x84, unsigned(c.nReportId));
        PutReport(d, 0x80, c.info.nInputLen);
        PutReport(d, 0x90, c.info.nOutputLen);
        PutReport(d, 0xB0, c.info.nFeatureLen);
        Put(d, {0xC0});
    }
    return d;
}
