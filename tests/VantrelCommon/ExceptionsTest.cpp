#include "VantrelCommon/Exceptions.h"

#include "Platform/WinError.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using VantrelCommon::narrowcasts::narrow_cast;
using VantrelCommon::narrowcasts::narrowing_error;

TEST(HResultException, CarriesCodeAndOwnCopyOfMessage) {
    char message[] = "Invalid encoding";
    const hresult_exception error(E_INVALIDARG, message);
    message[0] = 'X';
    EXPECT_STREQ(error.what(), "Invalid encoding");
    const hresult_exception copy = error;
    EXPECT_EQ(copy.hresult(), E_INVALIDARG);
    EXPECT_STREQ(copy.what(), "Invalid encoding");
    EXPECT_NE(copy.what(), error.what());
}

TEST(ThrowHResult, ThrowsSignExtendedLong) {
    try {
        ThrowHResult(E_ACCESSDENIED);
    } catch (long value) {
        EXPECT_EQ(value, -2147024891L);
        EXPECT_EQ(static_cast<HRESULT>(value), E_ACCESSDENIED);
    }
}

TEST(NarrowCast, AcceptsOnlyNonNegativeInts) {
    EXPECT_EQ(narrow_cast(0), 0);
    EXPECT_EQ(narrow_cast(2147483647), 2147483647);
    EXPECT_THROW(narrow_cast(2147483648ULL), narrowing_error);
    EXPECT_THROW(narrow_cast(4294967295ULL), narrowing_error);
    EXPECT_THROW(narrow_cast(std::numeric_limits<std::uint64_t>::max()), narrowing_error);
    EXPECT_STREQ(narrowing_error().what(), std::exception().what());
}

} // namespace
