hoxa_gtest(test_settings SOURCES test_settings.cpp test_sender_slot.cpp)
