hoxa_gtest(test_settings SOURCES test_settings.cpp test_sender_slot.cpp)
hoxa_gtest(test_file_saves SOURCES test_file_saves.cpp TIMEOUT 240)
