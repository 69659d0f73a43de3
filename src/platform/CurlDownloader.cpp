#include "platform/CurlDownloader.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct Transfer {
    const DownloadRequest* pReq = nullptr;
    FILE* pFile = nullptr;
    uint64_t nWritten = 0;
    bool bTooLarge = false;
    bool bWriteFailed = false;
    bool bCancelled = false;
    int nLastPercent = -1;
};

size_t OnWrite(char* pData, size_t nSize, size_t nCount, void* pUser)
{
    auto& t = *static_cast<Transfer*>(pUser);
    const size_t nBytes = nSize * nCount;
    if (t.pReq->nMaxBytes && t.nWritten + nBytes > t.pReq->nMaxBytes) {
        t.bTooLarge = true;
        return 0;  // makes the transfer fail
    }
    if (std::fwrite(pData, 1, nBytes, t.pFile) != nBytes) {
        t.bWriteFailed = true;
        return 0;
    }
    t.nWritten += nBytes;
    return nBytes;
}

// Called at least once a second, also while no data arrives, so a cancel is
// seen during a stall too.
int OnProgress(void* pUser, curl_off_t nTotal, curl_off_t nNow, curl_off_t, curl_off_t)
{
    auto& t = *static_cast<Transfer*>(pUser);
    if (t.pReq->cancelled && t.pReq->cancelled()) {
        t.bCancelled = true;
        return 1;
    }
    if (nTotal > 0 && t.pReq->progress) {
        const int nPercent = int(double(nNow) / double(nTotal) * 100.0);
        if (nPercent != t.nLastPercent) {
            t.nLastPercent = nPercent;
            t.pReq->progress(nPercent);
        }
    }
    return 0;
}

struct CurlHandle {
    CURL* p = curl_easy_init();
    ~CurlHandle()
    {
        if (p) curl_easy_cleanup(p);
    }
};

struct HeaderList {
    curl_slist* p = nullptr;
    ~HeaderList() { curl_slist_free_all(p); }
};

}  // namespace

CCurlDownloader::CCurlDownloader(CurlDownloaderCfg cfg) : m_cfg(cfg)
{
    static std::once_flag s_once;
    std::call_once(s_once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

fs::path CCurlDownloader::PartPath(const fs::path& path)
{
    fs::path part = path;
    part += ".part";
    return part;
}

DownloadResult CCurlDownloader::Download(const DownloadRequest& req)
{
    DownloadResult result;
    const fs::path part = PartPath(req.path);
    std::error_code ec;

    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    FILE* pFile = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!pFile) {
        if (fd >= 0) ::close(fd);
        result.nCode = CURLE_WRITE_ERROR;
        result.strWhy = "cannot create " + part.string() + ": " + std::generic_category().message(errno);
        return result;
    }

    CurlHandle curl;
    if (!curl.p) {
        std::fclose(pFile);
        fs::remove(part, ec);
        result.nCode = CURLE_FAILED_INIT;
        result.strWhy = "no transfer handle";
        return result;
    }
    Transfer t;
    t.pReq = &req;
    t.pFile = pFile;
    char szError[CURL_ERROR_SIZE] = {};
    HeaderList headers;
    headers.p = curl_slist_append(nullptr, "Cache-Control: no-cache");  // never a stale copy from a cache
    CURL* h = curl.p;
    curl_easy_setopt(h, CURLOPT_URL, req.strUrl.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, m_cfg.nMaxRedirects);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(m_cfg.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, m_cfg.lowSpeedBytes);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, long(m_cfg.lowSpeedTime.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(m_cfg.totalTimeout.count()));
    if (req.nMaxBytes) curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(req.nMaxBytes));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.p);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnWrite);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, szError);

    CURLcode rc = curl_easy_perform(h);
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.nHttpStatus);

    // Complete only when the data is on disk.
    bool bClosed = std::fflush(pFile) == 0 && ::fsync(::fileno(pFile)) == 0;
    bClosed = std::fclose(pFile) == 0 && bClosed;
    if (rc == CURLE_OK && !bClosed) {
        rc = CURLE_WRITE_ERROR;
        std::snprintf(szError, sizeof szError, "cannot write %s", part.c_str());
    }
    if (rc == CURLE_OK) {
        fs::rename(part, req.path, ec);
        if (!ec) return result;
        rc = CURLE_WRITE_ERROR;
        std::snprintf(szError, sizeof szError, "cannot rename to %s: %s", req.path.c_str(), ec.message().c_str());
    }
    fs::remove(part, ec);
    result.nCode = int(rc);
    result.bCancelled = t.bCancelled;
    if (t.bTooLarge) result.strWhy = "larger than " + std::to_string(req.nMaxBytes) + " bytes";
    else if (t.bCancelled) result.strWhy = "cancelled";
    else if (szError[0]) result.strWhy = szError;
    else result.strWhy = curl_easy_strerror(rc);
    return result;
}
