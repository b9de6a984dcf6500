#include "core/Statistics.h"

#include <gtest/gtest.h>

TEST(Statistics, QuantilesInterpolateBetweenRanksWhateverTheOrder)
{
    const std::vector<double> shuffled{9, 1, 7, 3, 5};
    EXPECT_DOUBLE_EQ(statistics::median(shuffled), 5);
    EXPECT_DOUBLE_EQ(statistics::quantile(shuffled, 0.0), 1);
    EXPECT_DOUBLE_EQ(statistics::quantile(shuffled, 1.0), 9);
    EXPECT_DOUBLE_EQ(statistics::quantile(shuffled, 0.1), 1.8);  // 0.4 of the way from 1 to 3
    EXPECT_DOUBLE_EQ(statistics::quantile(shuffled, 2.0), 9);    // clamped to the greatest
    // An even count: the mean of the middle two, repeated values counted each time.
    EXPECT_DOUBLE_EQ(statistics::median(std::vector<float>{4, 2, 2, 10}), 3);
    EXPECT_DOUBLE_EQ(statistics::median(std::vector<int>{7}), 7);
    EXPECT_DOUBLE_EQ(statistics::median(std::vector<double>{}), 0);
    // One stray value does not widen the spread.
    EXPECT_DOUBLE_EQ(statistics::medianAbsoluteDeviation(std::vector<double>{10, 11, 9, 10, 1000}), 1);
}
