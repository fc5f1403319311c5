hoxa_gtest(test_halfwidth SOURCES test_halfwidth.cpp)
