#include "config/decimal_text.h"
#include "config/write_delay.h"

#include <gtest/gtest.h>

using brenmoor::config::parseLeadingDecimal;

TEST(DecimalText, ReadsLikeTheCConversion) {
    struct Case { const char* text; int expected; };
    const Case cases[] = {
        {"10", 10}, {"", 0}, {"abc", 0}, {"  42x", 42}, {"-7", -7}, {"+3", 3},
        {"0009999", 9999}, {" - 5", 0}, {"12 34", 12},
        {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
    };
    for (const auto& c : cases) EXPECT_EQ(parseLeadingDecimal(c.text), c.expected) << '"' << c.text << '"';
}

TEST(WriteDelay, MillisecondsFollowTheText) {
    brenmoor::config::WriteDelay delay;
    EXPECT_EQ(delay.milliseconds(), 0);
    delay.setText("9999");
    EXPECT_EQ(delay.text(), "9999");
    EXPECT_EQ(delay.milliseconds(), 9999);
    delay.setText("");
    EXPECT_EQ(delay.milliseconds(), 0);
}
