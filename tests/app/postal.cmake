hoxa_gtest(test_app_postal SOURCES test_app_postal.cpp GUI TIMEOUT 120)
