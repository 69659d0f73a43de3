// Downloads through libcurl against a scripted server on 127.0.0.1: whatever
// goes wrong, nothing is left under the final name and the error says why.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include "LocalHttpServer.h"
#include "TestSupport.h"
#include "platform/CurlDownloader.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class CurlDownloaderTest : public ::testing::Test {
protected:
    // Short timeouts: a stalled server fails the transfer within about a second.
    static CurlDownloaderCfg ShortCfg()
    {
        CurlDownloaderCfg cfg;
        cfg.connectTimeout = 2000ms;
        cfg.lowSpeedTime = 1s;
        cfg.lowSpeedBytes = 1;
        cfg.totalTimeout = 20000ms;
        return cfg;
    }
    DownloadResult Get(const std::string& path, uint64_t nMax = 0, std::vector<int>* pProgress = nullptr)
    {
        DownloadRequest req;
        req.strUrl = m_server.Url(path);
        req.path = Target();
        req.nMaxBytes = nMax;
        if (pProgress) req.progress = [pProgress](int n) { pProgress->push_back(n); };
        return m_curl.Download(req);
    }
    fs::path Target() const { return m_dir / "file.bin"; }
    // Nothing under the final name, no temporary file beside it.
    void ExpectNothingLeft(const char* what) const
    {
        EXPECT_FALSE(fs::exists(Target())) << what;
        EXPECT_TRUE(fs::is_empty(m_dir.Path())) << what;
    }

    test::CTempDir m_dir;
    test::CLocalHttpServer m_server;
    CCurlDownloader m_curl{ShortCfg()};
};

TEST_F(CurlDownloaderTest, DownloadsWithProgressToTheFinalName)
{
    std::string body(300000, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = char(i * 7);
    m_server.Route("/files/setup.bin", test::Reply(200, body).Trickle(30000, 5ms));
    std::vector<int> progress;
    const DownloadResult r = Get("/files/setup.bin", 0, &progress);
    ASSERT_TRUE(r.Ok()) << r.nCode << " " << r.strWhy;
    EXPECT_EQ(r.nHttpStatus, 200);
    EXPECT_EQ(test::ReadBytes(Target()), body);
    EXPECT_FALSE(fs::exists(CCurlDownloader::PartPath(Target())));
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(std::adjacent_find(progress.begin(), progress.end()), progress.end());  // each percentage once
    EXPECT_EQ(progress.back(), 100);
    EXPECT_GT(progress.size(), 2u);
}

TEST_F(CurlDownloaderTest, UnknownLengthGivesNoPercentages)
{
    m_server.Route("/nolen", test::Reply(200, std::string(5000, 'n')).NoLength());
    std::vector<int> progress;
    const DownloadResult r = Get("/nolen", 0, &progress);
    ASSERT_TRUE(r.Ok()) << r.strWhy;
    EXPECT_EQ(fs::file_size(Target()), 5000u);
    EXPECT_TRUE(progress.empty());
}

TEST_F(CurlDownloaderTest, FailuresLeaveNothingBehind)
{
    m_server.Route("/cut", test::Reply(200, std::string(200000, 'c')).CutAfter(1000));
    m_server.Route("/stall", test::Reply(200, "late").Stall(10000ms));
    m_server.Route("/loop", test::Reply(302, "", {"Location: /loop"}));
    m_server.Route("/tofile", test::Reply(302, "", {"Location: file:///etc/passwd"}));
    m_server.Route("/big", test::Reply(200, std::string(2000, 'b')));
    m_server.Route("/bignolen", test::Reply(200, std::string(2000, 'b')).NoLength());
    m_server.Route("/gone", test::Reply(500, "<html>oops</html>"));
    struct Case { const char* path; uint64_t nMax; int nCode; };
    const Case cases[] = {
        {"/missing/update_version.xml", 0, CURLE_HTTP_RETURNED_ERROR},  // 404 is an error, not a file
        {"/gone", 0, CURLE_HTTP_RETURNED_ERROR},
        {"/cut", 0, CURLE_PARTIAL_FILE},                // truncated
        {"/loop", 0, CURLE_TOO_MANY_REDIRECTS},
        {"/tofile", 0, CURLE_UNSUPPORTED_PROTOCOL},     // redirects only to http and https
        {"/big", 1000, CURLE_FILESIZE_EXCEEDED},        // the size limit, known from the length
        {"/bignolen", 1000, CURLE_WRITE_ERROR},         // and while the data comes
        {"/stall", 0, CURLE_OPERATION_TIMEDOUT},        // the server stops sending
    };
    for (const Case& c : cases) {
        const DownloadResult r = Get(c.path, c.nMax);
        EXPECT_EQ(r.nCode, c.nCode) << c.path << ": " << r.strWhy;
        EXPECT_FALSE(r.strWhy.empty()) << c.path;
        ExpectNothingLeft(c.path);
    }
    EXPECT_EQ(m_server.Requests("/loop"), 6);  // the first request and five redirects
}

TEST_F(CurlDownloaderTest, FollowsARedirect)
{
    m_server.Route("/moved", test::Reply(302, "", {"Location: /files/fw.bin"}));
    m_server.Route("/files/fw.bin", test::Reply(200, "firmware"));
    const DownloadResult r = Get("/moved");
    ASSERT_TRUE(r.Ok()) << r.strWhy;
    EXPECT_EQ(test::ReadBytes(Target()), "firmware");
}

TEST_F(CurlDownloaderTest, RefusesOtherSchemes)
{
    test::WriteBytes(m_dir / "secret", "s");
    DownloadRequest req;
    req.strUrl = "file://" + (m_dir / "secret").string();
    req.path = Target();
    const DownloadResult r = m_curl.Download(req);
    EXPECT_EQ(r.nCode, CURLE_UNSUPPORTED_PROTOCOL);
    EXPECT_FALSE(fs::exists(Target()));
    EXPECT_FALSE(fs::exists(CCurlDownloader::PartPath(Target())));
}

TEST_F(CurlDownloaderTest, ACancelStopsTheTransfer)
{
    m_server.Route("/slow", test::Reply(200, std::string(100000, 's')).Trickle(1000, 50ms));
    std::atomic<int> nCalls{0};
    DownloadRequest req;
    req.strUrl = m_server.Url("/slow");
    req.path = Target();
    req.progress = [&](int) {};
    req.cancelled = [&] { return ++nCalls > 3; };
    const DownloadResult r = m_curl.Download(req);
    EXPECT_EQ(r.nCode, CURLE_ABORTED_BY_CALLBACK);
    EXPECT_TRUE(r.bCancelled);
    ExpectNothingLeft("cancelled");
}

TEST_F(CurlDownloaderTest, AStaleTemporaryFileIsReplaced)
{
    test::WriteBytes(CCurlDownloader::PartPath(Target()), std::string(50, 'x'));
    m_server.Route("/f", test::Reply(200, "new"));
    ASSERT_TRUE(Get("/f").Ok());
    EXPECT_EQ(test::ReadBytes(Target()), "new");
    EXPECT_FALSE(fs::exists(CCurlDownloader::PartPath(Target())));
}

TEST_F(CurlDownloaderTest, AMissingFolderIsAnError)
{
    DownloadRequest req;
    req.strUrl = m_server.Url("/f");
    req.path = m_dir / "no" / "such" / "file.bin";
    const DownloadResult r = m_curl.Download(req);
    EXPECT_FALSE(r.Ok());
    EXPECT_NE(r.strWhy.find("cannot create"), std::string::npos) << r.strWhy;
    EXPECT_EQ(m_server.Requests("/f"), 0);
}

}  // namespace
