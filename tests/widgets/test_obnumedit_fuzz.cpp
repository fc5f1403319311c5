// A long random run of the value filter over arbitrary byte strings.  Every input
// lives in a heap block of exactly its own size, so that the sanitizer build
// reports any read past its end; every result must be a well-formed value.
#include "base/NumericText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

using namespace hoxa;

namespace {

// Checks the form of a value that came through the filter under these rules.
::testing::AssertionResult WellFormed(const std::string& v, const NumValueRules& r)
{
    std::size_t i = 0;
    int sign = 0;
    if (i < v.size() && v[i] == '-') {
        if (!r.Minus) return ::testing::AssertionFailure() << "sign with Minus off: " << v;
        sign = 1;
        ++i;
    }
    int integerDigits = 0;
    while (i < v.size() && v[i] >= '0' && v[i] <= '9') ++i, ++integerDigits;
    int decimals = 0;
    if (i < v.size() && v[i] == '.') {
        if (r.DecimalLength == 0) return ::testing::AssertionFailure() << "point with no decimals: " << v;
        ++i;
        while (i < v.size() && v[i] >= '0' && v[i] <= '9') ++i, ++decimals;
    }
    if (i != v.size()) return ::testing::AssertionFailure() << "stray byte in " << v;
    if (integerDigits > r.IntegerLength) return ::testing::AssertionFailure() << "too many integer digits: " << v;
    if (decimals > r.DecimalLength) return ::testing::AssertionFailure() << "too many decimals: " << v;
    (void)sign;
    return ::testing::AssertionSuccess();
}

// Bytes that matter to the filter turn up far more often than by chance.
unsigned char RandomByte(std::mt19937& rng)
{
    static const unsigned char interesting[] = {'0', '1', '5', '9', '-', '.', ',', ' ', 'a',
                                                0x82, 0x4F, 0x58, 0x81, 0x7C, 0x44, 0x43, 0xB1, 0x00,
                                                0xFC, 0xFD, 0xFF, 0x80, 0x9F, 0xE0};
    std::uniform_int_distribution<int> pick(0, 3);
    if (pick(rng) == 0) return static_cast<unsigned char>(rng() & 0xFF);
    return interesting[rng() % sizeof interesting];
}

}  // namespace

TEST(ObNumEditFilterFuzz, RandomBytesGiveWellFormedValues)
{
    std::mt19937 rng(20261207);
    constexpr int kRuns = 200000;
    for (int run = 0; run < kRuns; ++run) {
        NumValueRules r;
        r.IntegerLength = static_cast<int>(rng() % 12);
        r.DecimalLength = static_cast<int>(rng() % 5);
        r.Minus = (rng() & 1) != 0;
        r.ZeroEnabled = (rng() & 3) == 0;

        const std::size_t n = rng() % 24;
        std::unique_ptr<char[]> block(new char[n == 0 ? 1 : n]);
        for (std::size_t k = 0; k < n; ++k) block[k] = static_cast<char>(RandomByte(rng));
        // Often end on a lone lead byte: the filter must stop there.
        if (n > 0 && (rng() % 4) == 0) block[n - 1] = static_cast<char>(0x81 + rng() % 0x1F);
        const std::string_view in(block.get(), n);

        const std::string f = FilterValue(in, r);
        ASSERT_TRUE(WellFormed(f, r)) << "run " << run;
        ASSERT_LE(f.size(), n);

        const std::string z = NormalizeZeros(f, r);
        if (!r.ZeroEnabled && z.size() > 1 && z[0] == '0') {
            ASSERT_EQ(z[1], '.') << z;
        }
        // The zero rule adds at most the 0 before a point; with room for one
        // integer digit the normalised value passes the filter unchanged.
        if (r.IntegerLength >= 1) {
            ASSERT_EQ(FilterValue(z, r), z) << "run " << run;
        }
        // The filter keeps values that it produced.
        ASSERT_EQ(FilterValue(f, r), f) << "run " << run;
    }
}

TEST(ObNumEditFilterFuzz, BrokenCharacterEndsTheText)
{
    std::mt19937 rng(7);
    for (int run = 0; run < 20000; ++run) {
        std::string digits(rng() % 6, '1');
        for (char& c : digits) c = static_cast<char>('0' + rng() % 10);
        // A lead byte, then anything that is not a trail byte, then more digits.
        const unsigned char lead = static_cast<unsigned char>(0x81 + rng() % 0x1F);
        std::string in = digits;
        in.push_back(static_cast<char>(lead));
        if (rng() & 1) in.push_back(static_cast<char>('0' + rng() % 10));
        in += "999";
        std::unique_ptr<char[]> block(new char[in.size()]);
        std::memcpy(block.get(), in.data(), in.size());
        EXPECT_EQ(FilterValue(std::string_view(block.get(), in.size())), digits.size() <= 9 ? digits : "");
    }
}
