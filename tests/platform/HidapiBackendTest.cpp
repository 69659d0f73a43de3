#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "FakeHidSysfs.h"
#include "platform/HidInputReader.h"
#include "platform/HidapiBackend.h"

namespace {

using namespace std::chrono_literals;

// A gaming mouse's configuration interface: command feature report 5 (6
// bytes), data feature report 4 (520 bytes), notification input report 7
// (8 bytes), each in a vendor collection of its own.
const std::vector<uint8_t> kVendorDesc = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x05, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x05, 0x09, 0x01, 0xB1, 0x02, 0xC0,
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x96, 0x07, 0x02, 0x09, 0x01, 0xB1, 0x02, 0xC0,
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x07, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x07, 0x09, 0x01, 0x81, 0x02, 0xC0,
};
// A plain mouse without report ids: buttons and X, Y, wheel as bytes.
const std::vector<uint8_t> kMouseDesc = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19, 0x01, 0x29, 0x08,
    0x15, 0x00, 0x25, 0x01, 0x95, 0x08, 0x75, 0x01, 0x81, 0x02, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31,
    0x09, 0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06, 0xC0, 0xC0,
};

// ---- sysfs and enumeration ----

class HidapiBackendSysfs : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_fake.AddNode("hidraw10", "0005:0000AAAA:0000BBBB.0003", kMouseDesc, "0005:0000AAAA:0000BBBB");
        m_fake.AddNode("hidraw0", "0003:1234:5678.0007", kMouseDesc, "0003:00001234:00005678", "0102");
        m_fake.AddNode("hidraw1", "0003:1234:5678.0008", kVendorDesc, "0003:00001234:00005678", "0102");
        m_fake.AddNode("hidraw2", "0003:1234:9999.0009", kMouseDesc, "garbage");  // no usable HID_ID
        std::filesystem::create_directories(m_fake.Dir() / "sys" / "class" / "hidraw" / "hidrawX");
    }
    test::CFakeHidSysfs m_fake;
};

TEST_F(HidapiBackendSysfs, ScanReadsIdsReleaseAndDeviceNameInNodeOrder)
{
    const std::vector<HidrawNode> nodes = ScanHidrawNodes(m_fake.Roots());
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0].strName, "hidraw0");
    EXPECT_EQ(nodes[1].strName, "hidraw1");
    EXPECT_EQ(nodes[2].strName, "hidraw10");
    EXPECT_EQ(nodes[0].strDevPath, m_fake.DevPath("hidraw0").string());
    EXPECT_EQ(nodes[1].nBus, 3);
    EXPECT_EQ(nodes[1].nVID, 0x1234);
    EXPECT_EQ(nodes[1].nPID, 0x5678);
    EXPECT_EQ(nodes[1].nVersion, 0x0102);
    EXPECT_EQ(nodes[1].strDevKey, "0003:1234:5678.0008");
    EXPECT_EQ(nodes[2].nBus, 5);
    EXPECT_EQ(nodes[2].nVersion, 0);  // not USB: no release number
}

TEST_F(HidapiBackendSysfs, EnumerateGivesOneEntryPerTopLevelCollection)
{
    CHidapiBackend backend(m_fake.Roots());
    const std::vector<HidDevInfo> list = backend.Enumerate();
    ASSERT_EQ(list.size(), 5u);
    const std::string strNode0 = m_fake.DevPath("hidraw0").string();
    const std::string strNode1 = m_fake.DevPath("hidraw1").string();
    struct Want { std::string strPath; int nReportId, nIn, nOut, nFeat, nPage, nUsage, nVID; };
    const Want want[] = {
        {strNode0, 0, 5, 0, 0, 0x01, 0x02, 0x1234},
        {strNode1 + "#col1", 5, 0, 0, 6, 0xFF00, 1, 0x1234},
        {strNode1 + "#col2", 4, 0, 0, 520, 0xFF00, 1, 0x1234},
        {strNode1 + "#col3", 7, 8, 0, 0, 0xFF00, 1, 0x1234},
        {m_fake.DevPath("hidraw10").string(), 0, 5, 0, 0, 0x01, 0x02, 0xAAAA},
    };
    for (size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list[i].szPath, want[i].strPath);
        EXPECT_EQ(list[i].nReportId, want[i].nReportId);
        EXPECT_EQ(list[i].nInputLen, want[i].nIn);
        EXPECT_EQ(list[i].nOutputLen, want[i].nOut);
        EXPECT_EQ(list[i].nFeatureLen, want[i].nFeat);
        EXPECT_EQ(list[i].nUsagePage, want[i].nPage);
        EXPECT_EQ(list[i].nUsage, want[i].nUsage);
        EXPECT_EQ(list[i].nVID, want[i].nVID);
    }
    EXPECT_EQ(list[1].nPID, 0x5678);
    EXPECT_EQ(list[1].nVersion, 0x0102);
}

TEST_F(HidapiBackendSysfs, NodeWithoutDescriptorIsLeftOut)
{
    std::filesystem::remove(std::filesystem::canonical(m_fake.Dir() / "sys/class/hidraw/hidraw1/device") /
                            "report_descriptor");
    CHidapiBackend backend(m_fake.Roots());
    const std::vector<HidDevInfo> list = backend.Enumerate();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].szPath, m_fake.DevPath("hidraw0").string());
    EXPECT_EQ(list[1].szPath, m_fake.DevPath("hidraw10").string());
}

TEST(HidapiBackend, EnumeratesThisMachine)
{
    CHidapiBackend backend;
    for (const HidDevInfo& info : backend.Enumerate()) {
        EXPECT_EQ(info.szPath.rfind("/dev/hidraw", 0), 0u) << info.szPath;
        EXPECT_GE(info.nInputLen, 0);
        EXPECT_LE(info.nVID, 0xFFFF);
    }
}

TEST(HidapiBackend, HidIdAndCollectionPaths)
{
    int nBus = 0, nVID = 0, nPID = 0;
    EXPECT_TRUE(ParseHidId("0003:0000046D:0000C52B\n", nBus, nVID, nPID));
    EXPECT_EQ(nBus, 3);
    EXPECT_EQ(nVID, 0x046D);
    EXPECT_EQ(nPID, 0xC52B);
    for (const char* psz : {"", "0003:046D", "0003:0001046D:0000C52B", "0003:xyz:0001", "0003::0001"})
        EXPECT_FALSE(ParseHidId(psz, nBus, nVID, nPID)) << psz;

    struct Case { const char* pszPath; bool bOk; const char* pszNode; int nCol; };
    const Case cases[] = {
        {"/dev/hidraw3", true, "/dev/hidraw3", 0},     {"/dev/hidraw3#col2", true, "/dev/hidraw3", 2},
        {"/dev/hidraw3#col12", true, "/dev/hidraw3", 12}, {"/dev/hidraw3#col0", false, "", 0},
        {"/dev/hidraw3#col", false, "", 0},            {"/dev/hidraw3#col02", false, "", 0},
        {"/dev/hidraw3#col2x", false, "", 0},          {"/dev/hidraw3#col1000", false, "", 0},
        {"/dev/hidraw3#col-1", false, "", 0},
    };
    for (const Case& c : cases) {
        std::string strNode;
        int nCol = -1;
        EXPECT_EQ(SplitCollectionPath(c.pszPath, strNode, nCol), c.bOk) << c.pszPath;
        if (c.bOk) {
            EXPECT_EQ(strNode, c.pszNode);
            EXPECT_EQ(nCol, c.nCol);
        }
    }
}

TEST_F(HidapiBackendSysfs, OpenRefusesWhatIsNoHidrawNode)
{
    std::filesystem::create_directories(m_fake.Dir() / "dev");
    test::WriteBytes(m_fake.DevPath("hidraw1"), "");  // a plain file where the node should be
    CHidapiBackend backend(m_fake.Roots());
    struct Case { std::string strPath; int nErr; };
    const Case cases[] = {
        {m_fake.DevPath("hidraw7").string(), ENOENT},           // gone
        {m_fake.DevPath("hidraw1").string() + "#col0", EINVAL},  // malformed
        {m_fake.DevPath("hidraw1").string(), ENODEV},            // a plain file
        {m_fake.DevPath("hidraw1").string() + "#col2", ENODEV},
        {"/dev/null", ENODEV},                                   // a device, but no hidraw node
    };
    for (const Case& c : cases) {
        EXPECT_EQ(backend.Open(c.strPath), nullptr) << c.strPath;
        EXPECT_EQ(backend.LastOpenError(), c.nErr) << c.strPath;
    }
}

// ---- input reads ----

// A packet socket keeps report boundaries as a hidraw node does: one read, one report.
class HidInputReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        int fds[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
        m_pReader = std::make_unique<CHidInputReader>(fds[0]);
        m_nDevice = fds[1];
        ASSERT_TRUE(m_pReader->IsValid());
    }
    void TearDown() override
    {
        if (m_nDevice >= 0) close(m_nDevice);
    }
    void Send(std::vector<uint8_t> report)
    {
        ASSERT_EQ(write(m_nDevice, report.data(), report.size()), ssize_t(report.size()));
    }
    // A read that may wait for ever, on a thread; a watchdog sends a report
    // after a long while, so a read nothing else wakes ends with that report
    // (and fails the test) instead of hanging it.
    int ReadUnlimited(const std::function<void()>& whileWaiting)
    {
        std::vector<uint8_t> buf(16);
        int nResult = 99;
        std::atomic<bool> bDone{false};
        std::thread reader([&] {
            nResult = m_pReader->Read(buf, -1ms);
            bDone = true;
        });
        whileWaiting();
        for (int i = 0; i < 1000 && !bDone; ++i) std::this_thread::sleep_for(10ms);
        if (!bDone) Send({0xEE, 0xEE});
        reader.join();
        return nResult;
    }

    std::unique_ptr<CHidInputReader> m_pReader;
    int m_nDevice = -1;
};

TEST_F(HidInputReaderTest, ReadsOneReportPerCallAndTimesOut)
{
    Send({0x07, 0x11, 0x22, 0x33, 0x44, 0, 0, 0});
    Send({0x07, 0x55});
    std::vector<uint8_t> buf(64);
    ASSERT_EQ(m_pReader->Read(buf, 1000ms), 8);
    EXPECT_EQ(buf[4], 0x44);
    ASSERT_EQ(m_pReader->Read(buf, 1000ms), 2);
    EXPECT_EQ(buf[1], 0x55);
    EXPECT_EQ(m_pReader->Read(buf, 20ms), 0);
    EXPECT_EQ(m_pReader->Read(buf, 0ms), 0);
}

TEST_F(HidInputReaderTest, CancelWakesAWaitingRead)
{
    // The reader is given time to block before the cancel comes.
    EXPECT_EQ(ReadUnlimited([&] {
        std::this_thread::sleep_for(50ms);
        m_pReader->Cancel();
    }),
              0);
}

TEST_F(HidInputReaderTest, CancelBeforeTheReadIsKeptForItOnce)
{
    m_pReader->Cancel();
    EXPECT_EQ(ReadUnlimited([] {}), 0);
    // Used up: the next read waits for its report.
    Send({0x07, 0x01});
    std::vector<uint8_t> buf(16);
    EXPECT_EQ(m_pReader->Read(buf, 1000ms), 2);
}

TEST_F(HidInputReaderTest, PassesOnlyTheReportsOfItsCollection)
{
    m_pReader->AcceptOnly({0x07});
    Send({0x01, 0x00, 0x05});  // the system's mouse report on the same node
    Send({0x07, 0x11});
    Send({0x02, 0x33});
    std::vector<uint8_t> buf(16);
    ASSERT_EQ(m_pReader->Read(buf, 1000ms), 2);
    EXPECT_EQ(buf[0], 0x07);
    EXPECT_EQ(buf[1], 0x11);
    EXPECT_EQ(m_pReader->Read(buf, 20ms), 0);  // report 2 was dropped, not kept for later

    m_pReader->AcceptOnly({});  // a collection without input reports
    Send({0x07, 0x11});
    EXPECT_EQ(m_pReader->Read(buf, 20ms), 0);
}

TEST_F(HidInputReaderTest, UnpluggedAfterQueuedReportsReadsThemThenFails)
{
    Send({0x07, 0x01});
    close(m_nDevice);
    m_nDevice = -1;
    std::vector<uint8_t> buf(16);
    EXPECT_EQ(m_pReader->Read(buf, 1000ms), 2);
    EXPECT_EQ(m_pReader->Read(buf, 1000ms), -1);
    EXPECT_EQ(m_pReader->LastError(), ENODEV);
}

TEST(HidInputReader, WithoutADescriptorEveryReadFails)
{
    CHidInputReader reader(-1);
    std::vector<uint8_t> buf(8);
    EXPECT_FALSE(reader.IsValid());
    EXPECT_EQ(reader.Read(buf, 0ms), -1);
    reader.Cancel();  // harmless
}

}  // namespace
