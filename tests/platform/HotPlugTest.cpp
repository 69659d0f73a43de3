#include <gtest/gtest.h>

#include <QTest>

#include "FakeHidSysfs.h"
#include "platform/HotPlug.h"

namespace {

using namespace std::chrono_literals;

HidrawNode Node(const std::string& strPath, const std::string& strKey, int nVID = 0x1234, int nPID = 0x5678)
{
    HidrawNode n;
    n.strName = strPath.substr(strPath.rfind('/') + 1);
    n.strDevPath = strPath;
    n.strDevKey = strKey;
    n.nBus = 3;
    n.nVID = nVID;
    n.nPID = nPID;
    return n;
}

std::string Text(const std::vector<HotPlugEvent>& events)
{
    std::string s;
    for (const HotPlugEvent& e : events) {
        char sz[96];
        std::snprintf(sz, sizeof sz, "%s%s %04x:%04x;", e.bArrival ? "+" : "-", e.strPath.c_str(), unsigned(e.nVID),
                      unsigned(e.nPID));
        s += sz;
    }
    return s;
}

TEST(HotPlug, DiffReportsRemovalsThenArrivals)
{
    const HidrawNode a = Node("/dev/hidraw0", "0003:1234:5678.0001");
    const HidrawNode b = Node("/dev/hidraw1", "0003:1234:5678.0002");
    const HidrawNode c = Node("/dev/hidraw2", "0003:AAAA:0001.0003", 0xAAAA, 0x0001);
    const HidrawNode bReplugged = Node("/dev/hidraw1", "0003:1234:5678.0009");
    const HidrawNode bNoKey = Node("/dev/hidraw1", "");
    const HidrawNode bOther = Node("/dev/hidraw1", "", 0x1111, 0x2222);
    struct Case { const char* pszName; std::vector<HidrawNode> before, after; std::string strEvents; };
    const Case cases[] = {
        {"nothing changed", {a, b}, {a, b}, ""},
        {"one plugged in", {a}, {a, c}, "+/dev/hidraw2 aaaa:0001;"},
        {"one pulled out keeps its ids", {a, b}, {b}, "-/dev/hidraw0 1234:5678;"},
        {"removals come first", {a}, {c}, "-/dev/hidraw0 1234:5678;+/dev/hidraw2 aaaa:0001;"},
        {"replugged onto the same node between two looks", {a, b}, {a, bReplugged},
         "-/dev/hidraw1 1234:5678;+/dev/hidraw1 1234:5678;"},
        {"without a device name the ids decide", {bNoKey}, {bNoKey}, ""},
        {"without a device name, other ids are another device", {bNoKey}, {bOther},
         "-/dev/hidraw1 1234:5678;+/dev/hidraw1 1111:2222;"},
        {"all gone", {a, b}, {}, "-/dev/hidraw0 1234:5678;-/dev/hidraw1 1234:5678;"},
    };
    for (const Case& c2 : cases) EXPECT_EQ(Text(DiffHidrawNodes(c2.before, c2.after)), c2.strEvents) << c2.pszName;
}

class HotPlugPolling : public ::testing::Test {
protected:
    HotPlugPolling()
        : m_monitor([this] { ++m_nScans; return m_nodes; }, 10ms)
    {
    }
    std::vector<HidrawNode> m_nodes{Node("/dev/hidraw0", "k0")};
    int m_nScans = 0;
    std::vector<HotPlugEvent> m_events;
    CPollingHotPlugMonitor m_monitor;
};

TEST_F(HotPlugPolling, ReportsChangesSinceStartOnly)
{
    m_monitor.Start([this](const HotPlugEvent& e) { m_events.push_back(e); });
    m_monitor.Rescan();
    EXPECT_TRUE(m_events.empty()) << "the nodes present at the start are no news";
    m_nodes.push_back(Node("/dev/hidraw1", "k1"));
    m_monitor.Rescan();
    m_nodes.erase(m_nodes.begin());
    m_monitor.Rescan();
    EXPECT_EQ(Text(m_events), "+/dev/hidraw1 1234:5678;-/dev/hidraw0 1234:5678;");

    m_monitor.Stop();
    const int nScans = m_nScans;
    m_nodes.clear();
    m_monitor.Rescan();
    EXPECT_EQ(m_nScans, nScans) << "a stopped watcher does not look";
    EXPECT_EQ(m_events.size(), 2u);
}

TEST_F(HotPlugPolling, TheTimerLooks)
{
    EXPECT_TRUE(m_monitor.IsPolling());
    m_monitor.Start([this](const HotPlugEvent& e) { m_events.push_back(e); });
    m_nodes.push_back(Node("/dev/hidraw5", "k5"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_events.empty(); }, 10000));
    EXPECT_EQ(Text(m_events), "+/dev/hidraw5 1234:5678;");
    m_monitor.Stop();
}

TEST_F(HotPlugPolling, ACallbackMayStopTheWatcher)
{
    m_monitor.Start([this](const HotPlugEvent& e) {
        m_events.push_back(e);
        m_monitor.Stop();
    });
    m_nodes = {Node("/dev/hidraw1", "k1"), Node("/dev/hidraw2", "k2")};
    m_monitor.Rescan();
    EXPECT_EQ(Text(m_events), "-/dev/hidraw0 1234:5678;");  // nothing after the stop
    // Started again: what is present now is the new starting point.
    m_monitor.Start([this](const HotPlugEvent& e) { m_events.push_back(e); });
    m_monitor.Rescan();
    EXPECT_EQ(m_events.size(), 1u);
}

TEST(HotPlug, WithoutTheUdevDaemonItPolls)
{
    test::CTempDir runDir;  // no "control" in it
    HotPlugOptions options;
    options.udevRunDir = runDir.Path();
    auto pMonitor = CreateHotPlugMonitor(options);
    ASSERT_NE(pMonitor, nullptr);
    EXPECT_TRUE(pMonitor->IsPolling());

    options.bForcePolling = true;
    test::WriteBytes(runDir / "control", "");
    EXPECT_TRUE(CreateHotPlugMonitor(options)->IsPolling());

    // With the daemon's socket there, udev is tried; where netlink is refused
    // the watcher falls back to polling, never to nothing.
    options.bForcePolling = false;
    EXPECT_NE(CreateHotPlugMonitor(options), nullptr);
}

// The watcher the program gets, on a sysfs tree: plug, replug onto the same
// node, unplug.
TEST(HotPlug, FollowsSysfs)
{
    test::CFakeHidSysfs fake;
    const std::vector<uint8_t> desc = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0};
    fake.AddNode("hidraw0", "0003:1234:5678.0001", desc, "0003:00001234:00005678", "0100");
    HotPlugOptions options;
    options.roots = fake.Roots();
    options.bForcePolling = true;
    auto pMonitor = CreateHotPlugMonitor(options);
    auto* pBase = dynamic_cast<CHotPlugBase*>(pMonitor.get());
    ASSERT_NE(pBase, nullptr);
    std::vector<HotPlugEvent> events;
    pMonitor->Start([&](const HotPlugEvent& e) { events.push_back(e); });

    fake.AddNode("hidraw1", "0003:1234:ABCD.0002", desc, "0003:00001234:0000ABCD", "0100");
    pBase->Rescan();
    fake.AddNode("hidraw0", "0003:1234:5678.0003", desc, "0003:00001234:00005678", "0100");
    pBase->Rescan();
    fake.RemoveNode("hidraw1");
    pBase->Rescan();
    const std::string d0 = fake.DevPath("hidraw0").string(), d1 = fake.DevPath("hidraw1").string();
    EXPECT_EQ(Text(events), "+" + d1 + " 1234:abcd;-" + d0 + " 1234:5678;+" + d0 + " 1234:5678;-" + d1 + " 1234:abcd;");
    pMonitor->Stop();
}

}  // namespace
