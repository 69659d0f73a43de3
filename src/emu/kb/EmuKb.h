// What every virtual keyboard shares: its configuration's identifiers and key
// table (taken from the description cfg.ini gives), and a dump made under
// the device's lock.
#pragma once

#include <string>
#include <vector>

#include "emu/EmuDevice.h"
#include "emu/EmuInterfaces.h"

struct GlobalVar;

// A key of the keyboard as the dump names it.
struct EmuKbKey {
    int nPos = 0;          // matrix position
    std::string strName;
    int nFnEntry = -1;     // the factory puts an Fn reference to this entry at the position
    int nLed = -1;         // LED position, -1 none
};

struct EmuKbConfig {
    std::string strName;
    int nVID = 0x258A;
    int nPID = 0;
    int nVersion = 0;
    std::vector<EmuKbKey> keys;    // for the factory image and the dump

    EmuUsbId UsbId() const { return EmuUsbId{nVID, nPID, nVersion}; }
};

// Which keys of the configured table a keyboard takes.
struct EmuKbKeyRule {
    int nPositions = 126;          // matrix positions below this one
    int nLedEnd = 0;               // LED positions outside 0..nLedEnd-1 are none; 0: taken as given
    bool bUnderscores = false;     // spaces in names as underscores (names the state file keeps)
};

// The keys of the description's key table that have a function and a matrix
// position the rule takes, named as the dump names them.
std::vector<EmuKbKey> EmuKbKeysFrom(const GlobalVar& gv, const EmuKbKeyRule& rule);

class CEmuKb : public CEmuDevice {
public:
    std::string DescribeState() const final;

protected:
    using CEmuDevice::CEmuDevice;

    // The readable dump of what the keyboard holds (m_mtx held).
    virtual std::string DescribeLocked() const = 0;
};
