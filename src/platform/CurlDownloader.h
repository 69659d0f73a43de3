// Downloads through libcurl: http and https only (also after a redirect), TLS
// certificates verified, a limited number of redirects, HTTP errors as
// failures, a size limit, timeouts against servers that stall, and no partial
// file left under the final name.
#pragma once

#include <chrono>

#include "update/IDownloader.h"

struct CurlDownloaderCfg {
    std::chrono::milliseconds connectTimeout{15000};
    // A transfer slower than lowSpeedBytes per second for lowSpeedTime fails.
    std::chrono::seconds lowSpeedTime{30};
    long lowSpeedBytes = 1;
    std::chrono::milliseconds totalTimeout{0};  // 0: none (installers are large)
    long nMaxRedirects = 5;
};

class CCurlDownloader final : public IDownloader {
public:
    explicit CCurlDownloader(CurlDownloaderCfg cfg = {});
    DownloadResult Download(const DownloadRequest& req) override;

    // The name a download is written under until it is complete.
    static std::filesystem::path PartPath(const std::filesystem::path& path);

private:
    CurlDownloaderCfg m_cfg;
};
