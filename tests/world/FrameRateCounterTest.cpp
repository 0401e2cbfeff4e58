#include "world/FrameRateCounter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Shown(const FrameRateCounter& counter)
{
    char text[256];
    std::snprintf(text, sizeof text, "%.2f", counter.rate);
    return text;
}

// A counter whose last sample was taken at `tick`.
FrameRateCounter SampledAt(uint32_t tick)
{
    FrameRateCounter counter;
    counter.lastTime = tick;
    return counter;
}

}  // namespace

TEST(FrameRateCounter, StartsEmpty)
{
    const FrameRateCounter counter;
    EXPECT_EQ(counter.frameCount, 0u);
    EXPECT_EQ(counter.interval, 500u);
    EXPECT_EQ(counter.lastTime, 0u);
    EXPECT_EQ(counter.rate, 0.0);
}

TEST(FrameRateCounter, FirstPassClosesAtOnceAndShowsZero)
{
    FrameRateCounter counter;
    counter.CountFrame(3600000);  // an hour after the system started
    EXPECT_DOUBLE_EQ(counter.rate, 1.0 / 3600000 * 1000);
    EXPECT_EQ(Shown(counter), "0.00");
    EXPECT_EQ(counter.lastTime, 3600000u);
    EXPECT_EQ(counter.frameCount, 0u);
}

TEST(FrameRateCounter, ExactlyTheIntervalDoesNotCloseIt)
{
    FrameRateCounter counter = SampledAt(1000);
    for (uint32_t tick = 1010; tick <= 1500; tick += 10) counter.CountFrame(tick);
    EXPECT_EQ(counter.frameCount, 50u);
    EXPECT_EQ(counter.rate, 0.0);
    EXPECT_EQ(counter.lastTime, 1000u);
}

TEST(FrameRateCounter, OneMillisecondMoreClosesItAndCountsThatPass)
{
    FrameRateCounter counter = SampledAt(1000);
    for (uint32_t tick = 1010; tick <= 1500; tick += 10) counter.CountFrame(tick);
    counter.CountFrame(1501);
    EXPECT_DOUBLE_EQ(counter.rate, 51.0 / 501 * 1000);
    EXPECT_EQ(Shown(counter), "101.80");
    EXPECT_EQ(counter.lastTime, 1501u);
    EXPECT_EQ(counter.frameCount, 0u);
}

TEST(FrameRateCounter, RateStaysUntilTheNextSample)
{
    FrameRateCounter counter = SampledAt(0);
    counter.CountFrame(1000);
    const double sampled = counter.rate;
    counter.CountFrame(1200);
    counter.CountFrame(1500);
    EXPECT_EQ(counter.rate, sampled);
    EXPECT_EQ(counter.frameCount, 2u);
}

TEST(FrameRateCounter, ElapsedTimeSurvivesTheTickWrap)
{
    struct Case {
        uint32_t last, now;
        bool closes;
        double rate;
    };
    const Case cases[] = {
        {0xFFFFFF00u, 0x000000F4u, false, 0.0},              // 500 ms across the wrap
        {0xFFFFFF00u, 0x000000F5u, true, 1.0 / 501 * 1000},  // 501 ms across the wrap
        {0xFFFFFFFFu, 0x00000200u, true, 1.0 / 513 * 1000},
    };
    for (const Case& c : cases) {
        FrameRateCounter counter = SampledAt(c.last);
        counter.CountFrame(c.now);
        EXPECT_EQ(counter.lastTime, c.closes ? c.now : c.last) << std::hex << c.last << " -> " << c.now;
        EXPECT_DOUBLE_EQ(counter.rate, c.rate) << std::hex << c.last << " -> " << c.now;
    }
}
