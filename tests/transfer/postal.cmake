# The converter's test runs tools/postal/make_postal_data.py on a small stand-in
# of the npm package (tests/transfer/data/postal); no network.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
hoxa_gtest(test_postal SOURCES test_postal.cpp)
target_compile_definitions(test_postal PRIVATE HOXA_PYTHON="${Python3_EXECUTABLE}")
