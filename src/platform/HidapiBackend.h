// The real HID backend: hidraw nodes found through sysfs, report lengths and
// ids from our own descriptor parser, transfers through hidapi.
//
// A hidraw node stands for a whole USB interface, whose descriptor may hold
// several top-level collections; the device code expects one entry per
// collection, each with its own lengths and ids. So a node with one
// collection is listed under its plain path ("/dev/hidraw3"), and a node with
// several once per collection under the path with "#col<n>" appended
// ("/dev/hidraw3#col2", counted from 1). Open takes either form; a handle of
// one collection of several passes on only that collection's input reports.
#pragma once

#include <atomic>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/IHidBackend.h"
#include "platform/HidInputReader.h"
#include "platform/HidSysfs.h"

struct hid_device_;

class CHidapiHandle final : public IHidHandle {
public:
    // Owns both, neither null: the hidapi device for feature and output
    // transfers and the reader (a descriptor of its own on the same node) for
    // input reports. Transfers and reads may run on different threads; two
    // transfers at once on one handle may not (the device code serialises them).
    CHidapiHandle(hid_device_* hDev, std::unique_ptr<CHidInputReader> pReader);
    ~CHidapiHandle() override;
    CHidapiHandle(const CHidapiHandle&) = delete;
    CHidapiHandle& operator=(const CHidapiHandle&) = delete;

    bool SetFeature(std::span<const uint8_t> report) override;
    bool GetFeature(std::span<uint8_t> buf) override;
    bool WriteOutput(std::span<const uint8_t> report) override;
    int ReadInput(std::span<uint8_t> buf, std::chrono::milliseconds timeout) override;
    void CancelRead() override;
    int LastError() const override;

private:
    bool Done(int nResult, size_t nWanted, const char* pszWhat);
    bool Refuse();

    hid_device_* m_hDev;
    std::unique_ptr<CHidInputReader> m_pReader;
    std::atomic<int> m_nLastError{0};
};

class CHidapiBackend final : public IHidBackend {
public:
    explicit CHidapiBackend(HidSysRoots roots = {});
    std::vector<HidDevInfo> Enumerate() override;
    std::unique_ptr<IHidHandle> Open(const std::string& strPath) override;
    int LastOpenError() const override { return m_nLastOpenError; }

private:
    HidSysRoots m_roots;
    int m_nLastOpenError = 0;
};

// The entries of one hidraw node, one per top-level collection of its
// descriptor. A descriptor the parser finds fault with still gives the
// collections found before the fault (the kernel accepted it), with a log line.
std::vector<HidDevInfo> MakeHidDevInfos(const HidrawNode& node, std::span<const uint8_t> desc);

// Splits "<node>#col<n>" into the node and n (1 and up); a path without the
// suffix gives the path itself and 0. False for a malformed suffix.
bool SplitCollectionPath(const std::string& strPath, std::string& strNode, int& nCollection);
