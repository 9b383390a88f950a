#include <gtest/gtest.h>

#include "CAuthority.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

class CAuthorityTest : public ProductTest {
protected:
    static std::string UserName()
    {
        char szUser[256];
        DWORD dwSize = sizeof(szUser);
        return GetUserNameA(szUser, &dwSize) ? szUser : "";
    }
};

TEST_F(CAuthorityTest, AdministratorIsFoundAndNamed)
{
    const std::string user = UserName();
    ASSERT_FALSE(user.empty());
    CAuthority authority;
    EXPECT_EQ(1, authority.IsAdministrator());
    EXPECT_EQ(user, authority.GetUser());
    EXPECT_NE(std::string::npos, Trace().find("(UserName=," + user + ",(NULL),(NULL),(NULL))"))
        << Trace();
}

TEST_F(CAuthorityTest, GroupListLargerThanTheFirstBufferIsSearchedWhole)
{
    // The token's groups need more than these 16 bytes; the buffer grows to
    // what the system asks for.
    CAuthority authority(16);
    EXPECT_EQ(1, authority.IsAdministrator());
    EXPECT_FALSE(authority.GetUser().empty());
}

// Run with USER set to a name of more than 32 characters (the test's
// environment in ctest).
TEST_F(CAuthorityTest, OverlongUserNameIsNotKept)
{
    ASSERT_GT(UserName().size(), 32u) << "run with a user name of more than 32 characters";
    CAuthority authority;
    EXPECT_EQ(1, authority.IsAdministrator());
    EXPECT_EQ("", authority.GetUser());
    EXPECT_NE(std::string::npos,
              Trace().find("(GetUserName failed.,(NULL),(NULL),(NULL),(NULL))"))
        << Trace();
}

}  // namespace
