hoxa_gtest(test_halfwidth SOURCES test_halfwidth.cpp)
hoxa_gtest(test_transfer SOURCES test_transfer_steps.cpp test_transfer_driver.cpp test_transfer_corpus.cpp
  test_transfer_random.cpp TIMEOUT 60)
hoxa_gtest(test_transfer_check SOURCES test_transfer_check.cpp)
