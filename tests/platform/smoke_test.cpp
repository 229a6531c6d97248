#include <gtest/gtest.h>
#include "platform/clock.h"
TEST(Smoke, Builds) { EXPECT_EQ(platform::LocalTime24().size(), 24u); }
