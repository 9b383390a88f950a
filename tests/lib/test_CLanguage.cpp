#include <gtest/gtest.h>

#include <cstring>

#include "CLanguage.h"
#include "CReportException.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

class CLanguageTest : public ProductTest {
protected:
    CLanguageTest() : ProductTest(NO_TRACE) {}
};

TEST_F(CLanguageTest, OnlyTheExactUpperCaseWordIsJapanese)
{
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

TEST_F(CLanguageTest, OversizedValueFails)
{
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
