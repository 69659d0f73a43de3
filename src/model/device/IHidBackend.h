// The HID interfaces of the machine as the device code sees them: a backend
// enumerates them and opens one by path; a handle moves reports. The real
// backend is hidapi on hidraw (platform); the emulator stands in for devices
// in tests, the command-line tool and the demo. Standard library only.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// One enumerated HID interface (one top-level collection).
struct HidDevInfo {
    std::string szPath;      // interface path; empty for an empty entry
    int nReportId = 0;       // first report id of the interface: feature, then input, then output; 0 when none
    int nInputLen = 0;       // report lengths in bytes, report id included
    int nOutputLen = 0;
    int nFeatureLen = 0;
    int nUsagePage = 0;      // top-level collection
    int nUsage = 0;
    int nVID = 0;
    int nPID = 0;
    int nVersion = 0;        // the device's release number
};

class IHidHandle {
public:
    virtual ~IHidHandle() = default;
    // Every buffer starts with the report id; true only when the whole report moved.
    virtual bool SetFeature(std::span<const uint8_t> report) = 0;
    // buf[0] holds the report id on entry; on success buf holds the report.
    virtual bool GetFeature(std::span<uint8_t> buf) = 0;
    virtual bool WriteOutput(std::span<const uint8_t> report) = 0;
    // Waits at most timeout for an input report; the bytes read, 0 on timeout, -1 on error
    // (the device is gone). CancelRead wakes a waiting read at once from another thread.
    // A cancel that arrives while no read waits is kept: the next read returns 0 at once
    // (the listener checks its stop flag, then reads, so a stop between the two is not lost).
    virtual int ReadInput(std::span<uint8_t> buf, std::chrono::milliseconds timeout) = 0;
    virtual void CancelRead() = 0;
    // The system error number of the last failed call (errno), 0 when unknown; for the log.
    virtual int LastError() const { return 0; }
};

class IHidBackend {
public:
    virtual ~IHidBackend() = default;
    virtual std::vector<HidDevInfo> Enumerate() = 0;
    // Null when the interface cannot be opened (gone, or no permission).
    virtual std::unique_ptr<IHidHandle> Open(const std::string& strPath) = 0;
    // Why the last Open returned null: the system error number (EACCES when the
    // interface is there but this user may not open it, so the caller can name
    // the udev rule); 0 when the last Open succeeded or the reason is unknown.
    virtual int LastOpenError() const { return 0; }
};
