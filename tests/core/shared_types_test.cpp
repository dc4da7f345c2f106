#include <gtest/gtest.h>
namespace SkinUI { int FrameProbe(); }
TEST(Frame, Runs) { EXPECT_EQ(42, SkinUI::FrameProbe()); }
