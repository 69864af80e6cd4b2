#include <gtest/gtest.h>
TEST(InterfacePlaceholder, Builds) { SUCCEED(); }
