// Downloads of the update check. The model says what to fetch and where it
// goes; the platform moves the bytes. A download never leaves a partial file
// under the final name: it is written beside it and renamed when complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

struct DownloadRequest {
    std::string strUrl;
    std::filesystem::path path;  // the final name; its folder must exist
    uint64_t nMaxBytes = 0;      // larger downloads fail; 0: no limit
    // Percentages 0..100 while the size is known, each only once; called on the
    // downloading thread.
    std::function<void(int)> progress;
    // Polled while the transfer runs; true cuts it off (a failed download).
    std::function<bool()> cancelled;
};

struct DownloadResult {
    int nCode = 0;          // 0 success; otherwise the transfer's error code, logged as is
    long nHttpStatus = 0;   // the last HTTP status seen, 0 when none
    bool bCancelled = false;
    std::string strWhy;     // for the log
    bool Ok() const { return nCode == 0; }
};

class IDownloader {
public:
    virtual ~IDownloader() = default;
    // Blocks until the download has ended; safe to call from a worker thread.
    virtual DownloadResult Download(const DownloadRequest& req) = 0;
};
