hoxa_gtest(test_profile SOURCES test_profile.cpp test_profile_atomic.cpp test_atomic_file.cpp TIMEOUT 120)
