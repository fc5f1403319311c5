hoxa_gtest(test_cp932 SOURCES test_cp932.cpp)
hoxa_gtest(test_codec SOURCES test_codec.cpp)
hoxa_gtest(test_msgbox GUI SOURCES test_msgbox.cpp)
