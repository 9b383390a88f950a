#include <gtest/gtest.h>

#include <cstring>

#include "CLanguage.h"
#include "CReportException.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

TEST(CLanguageTest, OnlyTheExactUpperCaseWordIsJapanese)
{
    ScopedProductRegistry registry;
    ScopedTempDir empty;
    registry.SetString(ZORAT_KEY, "Install", empty.Path());
    registry.SetString(PRODUCT_KEY, "DM Language", "ENGLISH");
    CLanguage language;

    const struct {
        const char* value;
        int expected;
    } cases[] = {{"JAPANESE", 1}, {"Japanese", 0}, {"japanese", 0}, {"JAPANESE ", 0},
                 {" JAPANESE", 0}, {"ENGLISH", 0}, {"", 0}};
    for (const auto& c : cases) {
        registry.SetString(PRODUCT_KEY, "DM Language", c.value);
        EXPECT_EQ(c.expected, language.IsJapanese()) << '"' << c.value << '"';
    }
    // Stored without a terminator, the word is still the word.
    registry.SetBytes(PRODUCT_KEY, "DM Language", REG_SZ, "JAPANESE", 8);
    EXPECT_EQ(1, language.IsJapanese());
}

TEST(CLanguageTest, OversizedValueFails)
{
    ScopedProductRegistry registry;
    ScopedTempDir empty;
    registry.SetString(ZORAT_KEY, "Install", empty.Path());
    registry.SetString(PRODUCT_KEY, "DM Language", "ENGLISH");
    CLanguage language;

    registry.SetBytes(PRODUCT_KEY, "DM Language", REG_SZ, "JAPANESE12", 11);
    try {
        language.IsJapanese();
        FAIL() << "an 11-byte value was accepted";
    } catch (const CReportException& e) {
        EXPECT_NE(nullptr,
                  strstr(e.what(), "(CheckAndReadRegVal,ERROR_MORE_DATA,DM Language,10,(NULL))"))
            << e.what();
    }
}

}  // namespace
