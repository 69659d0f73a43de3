// The byte ring: pieces around the end, reading what was written, overrun.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "lighting/RingBuffer.h"

namespace {

std::vector<uint8_t> Seq(size_t n, uint8_t first)
{
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

TEST(RingBuffer, ReadsBackAcrossTheEndInOrder)
{
    CRingBuffer ring;
    ASSERT_TRUE(ring.Create(16));
    std::vector<uint8_t> out(16);
    ring.Write(Seq(12, 0).data(), 12);
    EXPECT_EQ(ring.Read(out.data(), 10), 10u);
    ring.Write(Seq(10, 100).data(), 10);  // wraps: 4 at the end, 6 at the start
    EXPECT_EQ(ring.Unread(), 12u);
    EXPECT_EQ(ring.Read(out.data(), 16), 12u);  // no more than was written
    const std::vector<uint8_t> want = {10, 11, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109};
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 12), want);
    EXPECT_EQ(ring.Read(out.data(), 1), 0u);
    EXPECT_EQ(ring.TotalWritten(), 22u);
    EXPECT_EQ(ring.TotalRead(), 22u);
}

TEST(RingBuffer, AWriterTooFarAheadDropsTheOldestBytes)
{
    CRingBuffer ring;
    ASSERT_TRUE(ring.Create(8));
    ring.Write(Seq(6, 0).data(), 6);
    ring.Write(Seq(6, 50).data(), 6);  // 12 unread in an 8-byte ring
    EXPECT_EQ(ring.Unread(), 8u);
    std::vector<uint8_t> out(8);
    ASSERT_EQ(ring.Read(out.data(), 8), 8u);
    EXPECT_EQ(out, (std::vector<uint8_t>{4, 5, 50, 51, 52, 53, 54, 55}));
    ring.Write(Seq(20, 0).data(), 20);  // one write larger than the ring
    ASSERT_EQ(ring.Read(out.data(), 8), 8u);
    EXPECT_EQ(out, Seq(8, 12));
}

TEST(RingBuffer, DefaultSizeIsTwoMebibytes)
{
    CRingBuffer ring;
    ASSERT_TRUE(ring.Create());
    EXPECT_EQ(ring.Size(), 0x200000u);
}

}  // namespace
