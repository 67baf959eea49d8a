#include "io/filter_stream.h"

#include <gtest/gtest.h>

namespace sonarel {
namespace {

// An inner source that records what the filter does to it.
class ProbeSource : public ByteSource {
public:
    int open_result = 0;
    int opens = 0;
    int closes = 0;
    bool open = false;
    PcmFormat format{44100, 2, 16};

    void Close() override {
        ++closes;
        open = false;
    }
    int Open() override {
        ++opens;
        open = open_result == 0;
        return open_result;
    }
    int IsOpen() const override { return open ? 1 : 0; }
    int Read(uint8_t*, int32_t, int*) override { return -1; }
    int QueryCapability() const override { return 7; }
    const WaveFormatHolder* GetFormat() const override { return &format; }
    int GetBufferSize() const override { return 4608; }
};

class PassFilter : public FilterStream {
public:
    int Read(uint8_t*, int32_t, int*) override { return 0; }
};

TEST(FilterStreamTest, WithoutInnerSource) {
    PassFilter filter;
    EXPECT_EQ(filter.Open(), -1);
    EXPECT_EQ(filter.IsOpen(), 0);
    EXPECT_EQ(filter.QueryCapability(), 0);
    EXPECT_EQ(filter.GetFormat(), nullptr);
    EXPECT_EQ(filter.GetBufferSize(), 1024);
    EXPECT_EQ(filter.IsSeekable(), 0);
    EXPECT_EQ(filter.Seek(5), 0);
    EXPECT_EQ(filter.IsPcm(), 0);
    filter.Close(); // harmless
}

TEST(FilterStreamTest, ForwardsQueriesToTheInnerSource) {
    ProbeSource inner;
    PassFilter filter;
    filter.Attach(&inner, false);
    EXPECT_EQ(filter.QueryCapability(), 7);
    EXPECT_EQ(filter.GetFormat(), &inner.format);
    EXPECT_EQ(filter.GetBufferSize(), 4608);
    EXPECT_EQ(filter.IsPcm(), 0); // not forwarded
}

TEST(FilterStreamTest, OpensAndClosesAnInnerSourceItOpened) {
    ProbeSource inner;
    PassFilter filter;
    filter.Attach(&inner, false);
    EXPECT_EQ(filter.Open(), 0);
    EXPECT_EQ(filter.IsOpen(), 1);
    EXPECT_TRUE(filter.OpenedInner());
    EXPECT_EQ(inner.opens, 1);
    filter.Close();
    EXPECT_EQ(filter.IsOpen(), 0);
    EXPECT_EQ(inner.closes, 1);
}

TEST(FilterStreamTest, LeavesAnAlreadyOpenInnerSourceToItsOwner) {
    ProbeSource inner;
    inner.open = true;
    PassFilter filter;
    filter.Attach(&inner, false);
    EXPECT_EQ(filter.Open(), 0);
    EXPECT_EQ(filter.IsOpen(), 1);
    EXPECT_EQ(inner.opens, 0);
    filter.Close();
    EXPECT_EQ(inner.closes, 0);
    EXPECT_TRUE(inner.open);
}

TEST(FilterStreamTest, PassesTheInnerFailureCodeThrough) {
    ProbeSource inner;
    inner.open_result = 3;
    PassFilter filter;
    filter.Attach(&inner, false);
    EXPECT_EQ(filter.Open(), 3);
    EXPECT_EQ(filter.IsOpen(), 0);
    filter.Close();
    EXPECT_EQ(inner.closes, 0);
}

TEST(FilterStreamTest, DestructionClosesOnlyAnOwnedInnerSource) {
    ProbeSource owned;
    owned.open = true;
    ProbeSource borrowed;
    borrowed.open = true;
    {
        PassFilter a;
        a.Attach(&owned, true);
        PassFilter b;
        b.Attach(&borrowed, false);
    }
    EXPECT_EQ(owned.closes, 1);
    EXPECT_EQ(borrowed.closes, 0);
}

} // namespace
} // namespace sonarel
