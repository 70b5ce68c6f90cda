#include "common/checked_array.h"
#include "common/exceptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

// g++ names AddressSanitizer with a macro, clang with a feature test.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool UNDER_ADDRESS_SANITIZER = true;
#elif defined(__has_feature)
constexpr bool UNDER_ADDRESS_SANITIZER = __has_feature(address_sanitizer);
#else
constexpr bool UNDER_ADDRESS_SANITIZER = false;
#endif

namespace kestovan {
namespace {

TEST(Exceptions, MessagesAndTruncation)
{
    EXPECT_STREQ(EOutOfMemory().what(), "Out of Memory");
    EXPECT_STREQ(EOutOfBounds().message(), "Out of array bounds");
    EXPECT_STREQ(Exception(static_cast<const char*>(nullptr)).what(), "");
    const std::string long_message(200, 'm');
    EXPECT_EQ(std::string(Exception(long_message).what()), std::string(127, 'm'));
    try {
        throw EOutOfBounds();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Out of array bounds");
    }
}

TEST(CheckedArray, AccessOutsideTheElementsThrows)
{
    CheckedArray<int> none;
    EXPECT_THROW(none[0], EOutOfBounds); // no storage at all

    CheckedArray<int> three(3);
    EXPECT_EQ(three[0] + three[1] + three[2], 0); // value-initialised
    three[2] = 7;
    EXPECT_EQ(three.at(2), 7);
    for (std::ptrdiff_t bad : {std::ptrdiff_t{-1}, std::ptrdiff_t{3}, PTRDIFF_MAX})
        EXPECT_THROW(three[bad], EOutOfBounds) << bad;

    const CheckedArray<int>& view = three;
    EXPECT_THROW(view[3], EOutOfBounds);
}

TEST(CheckedArray, ResizeKeepsLeadingElements)
{
    CheckedArray<std::string> a{"x", "y", "z"};
    a.resize(2);
    EXPECT_EQ(a.size(), 2u);
    EXPECT_EQ(a[1], "y");
    EXPECT_THROW(a[2], EOutOfBounds);
    a.resize(4);
    EXPECT_EQ(a[0], "x");
    EXPECT_EQ(a[3], "");
    a.resize(0);
    EXPECT_EQ(a.data(), nullptr);
    EXPECT_THROW(a[0], EOutOfBounds);
}

TEST(CheckedArray, CopiesAreDeepAndMovesEmptyTheSource)
{
    CheckedArray<int> a{1, 2};
    CheckedArray<int> b = a;
    b[0] = 9;
    EXPECT_EQ(a[0], 1);
    CheckedArray<int> c = std::move(a);
    EXPECT_EQ(c[1], 2);
    EXPECT_EQ(a.size(), 0u); // NOLINT(bugprone-use-after-move)
    EXPECT_THROW(a[0], EOutOfBounds);
}

TEST(CheckedArray, ImpossibleAllocationThrowsOutOfMemory)
{
    if (UNDER_ADDRESS_SANITIZER)
        GTEST_SKIP() << "AddressSanitizer ends the process on an impossible allocation instead of throwing";
    EXPECT_THROW(CheckedArray<std::uint64_t>(SIZE_MAX / 2), EOutOfMemory);
    CheckedArray<std::uint64_t> a(1);
    EXPECT_THROW(a.resize(SIZE_MAX / 2), EOutOfMemory);
    EXPECT_EQ(a.size(), 1u); // a failed resize leaves the array as it was
}

} // namespace
} // namespace kestovan
