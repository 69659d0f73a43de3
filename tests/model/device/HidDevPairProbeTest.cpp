// Pairing the command and input interfaces of identical keyboards.
#include <gtest/gtest.h>

#include "FakeHid.h"
#include "device/PairProbe.h"

using namespace fake;
using namespace std::chrono_literals;

namespace {

constexpr int kVID = 0x1234, kPID = 0x5678;

struct Keyboard {
    std::shared_ptr<CPort> cmd, in;
};

// A keyboard whose command interface answers the probe on its input interface
// (or, when silent, not at all).
Keyboard AddKeyboard(CBackend& b, const std::string& name, bool bAnswers = true)
{
    Keyboard k;
    k.in = b.Add(Info(name + "-in", kVID, kPID, 0xFF00, 1, 4, 0, 0, 9));
    k.cmd = b.Add(Info(name + "-cmd", kVID, kPID, 0xFF00, 1, 0, 0, 520, 6));
    if (bAnswers) {
        std::weak_ptr<CPort> in = k.in;
        k.cmd->OnSetFeature([in](std::span<const uint8_t> r) {
            if (r.size() == 520 && r[0] == 0x06 && r[1] == 0xAA)
                if (auto p = in.lock()) p->QueueInput({0x09, 0x01, 0x02, 0x03});
        });
    }
    return k;
}

std::vector<std::pair<std::string, std::string>> PathsOf(const std::vector<HidPair>& pairs)
{
    std::vector<std::pair<std::string, std::string>> v;
    for (const HidPair& p : pairs) v.emplace_back(p.strCmdPath, p.strNotifyPath);
    return v;
}

TEST(HidDevPairProbe, ProbeReportBytes)
{
    const std::vector<uint8_t> r = PairProbeReport();
    ASSERT_EQ(r.size(), 520u);
    EXPECT_EQ(std::vector<uint8_t>(r.begin(), r.begin() + 8),
              (std::vector<uint8_t>{0x06, 0xAA, 0xC7, 0x00, 0x00, 0x01, 0x00, 0x02}));
    EXPECT_TRUE(std::all_of(r.begin() + 8, r.end(), [](uint8_t b) { return b == 0; }));
}

TEST(HidDevPairProbe, TwoKeyboardsPairCrosswise)
{
    CLogCapture log;
    CClock clock;
    CBackend b;
    // Interfaces of the two keyboards come interleaved, as enumeration may list them.
    auto kbB = AddKeyboard(b, "b");
    auto kbA = AddKeyboard(b, "a");
    std::vector<HidPair> pairs;
    EXPECT_EQ(ProbePairs(b, clock, kVID, kPID, 0, {}, pairs), 2);
    EXPECT_EQ(PathsOf(pairs), (std::vector<std::pair<std::string, std::string>>{{"b-cmd", "b-in"}, {"a-cmd", "a-in"}}));
    EXPECT_EQ(clock.Sleeps(), (std::vector<IClock::Duration>{100ms, 100ms}));
    EXPECT_EQ(kbA.cmd->Calls()[0].bytes, PairProbeReport());
    EXPECT_EQ(log.Count("* Path(hDev)=   a-cmd"), 1);
    EXPECT_EQ(log.Count("* Path(hNotify)=a-in"), 1);
    EXPECT_TRUE(log.HasPrefix("++++++++++++++++++ FindDev: looking for VID=1234, PID=5678, PID2=0000"));
    // The pairs own the only open handles.
    EXPECT_EQ(kbA.in->OpenHandles(), 1);
    pairs.clear();
    EXPECT_EQ(kbA.in->OpenHandles(), 0);
    EXPECT_EQ(kbB.cmd->OpenHandles(), 0);
}

TEST(HidDevPairProbe, SilentKeyboardIsNotPairedAndItsHandlesClose)
{
    CClock clock;
    CBackend b;
    auto kb = AddKeyboard(b, "a", false);
    std::vector<HidPair> pairs;
    EXPECT_EQ(ProbePairs(b, clock, kVID, kPID, 0, {}, pairs), 0);
    EXPECT_TRUE(pairs.empty());
    EXPECT_EQ(kb.in->OpenHandles(), 0);
    EXPECT_EQ(kb.cmd->OpenHandles(), 0);
}

// A report waiting before the probe, or a reply that comes too late and lands
// during the next keyboard's probe, never makes a wrong pair.
TEST(HidDevPairProbe, StrayAndLateReportsPairNothingWrong)
{
    CLogCapture log;
    CClock clock;
    CBackend b;
    auto slow = AddKeyboard(b, "slow", false);
    auto good = AddKeyboard(b, "good");
    slow.in->QueueInput({0x09, 0xFF, 0xFF, 0xFF});  // spontaneous, before any probe
    // The slow keyboard answers its probe only while the next one is probed.
    good.cmd->OnSetFeature([&](std::span<const uint8_t>) {
        slow.in->QueueInput({0x09, 0x01, 0x02, 0x03});
        good.in->QueueInput({0x09, 0x01, 0x02, 0x03});
    });
    std::vector<HidPair> pairs;
    EXPECT_EQ(ProbePairs(b, clock, kVID, kPID, 0, {}, pairs), 0);
    EXPECT_TRUE(pairs.empty());
    EXPECT_EQ(log.Count("FindDev: 2 input interfaces answered good-cmd, none paired"), 1);
}

TEST(HidDevPairProbe, InterfacesInUseAndFullSlotsAreLeftAlone)
{
    CClock clock;
    CBackend b;
    auto a = AddKeyboard(b, "a");
    auto c = AddKeyboard(b, "c");
    std::vector<HidPair> pairs;
    EXPECT_EQ(ProbePairs(b, clock, kVID, kPID, 0, {"a-cmd", "a-in"}, pairs), 1);
    EXPECT_EQ(PathsOf(pairs), (std::vector<std::pair<std::string, std::string>>{{"c-cmd", "c-in"}}));
    EXPECT_EQ(a.cmd->CountOp("setf"), 0);
    // A second probe finds nothing new; the slots already taken are kept.
    EXPECT_EQ(ProbePairs(b, clock, kVID, kPID, 0, {"a-cmd", "a-in"}, pairs), 0);
    EXPECT_EQ(pairs.size(), 1u);

    CBackend many;
    for (int i = 0; i < 7; ++i) AddKeyboard(many, "k" + std::to_string(i));
    std::vector<HidPair> five;
    EXPECT_EQ(ProbePairs(many, clock, kVID, kPID, 0, {}, five), kPairSlots);
    EXPECT_EQ(five.size(), size_t(kPairSlots));
}

}  // namespace
