hoxa_gtest(test_obnumedit_model SOURCES test_obnumedit_model.cpp)
hoxa_gtest(test_obnumedit_fuzz SOURCES test_obnumedit_fuzz.cpp TIMEOUT 120)
hoxa_gtest(test_obnumedit GUI SOURCES test_obnumedit.cpp)
