#include <gtest/gtest.h>

#include "platform/session/LogonToken.h"

namespace {

using lumo_session::TokenCheck;

TEST(LogonToken, ValidUntilTheMillisecondBeforeItsExpiryAndSignedWithTheSecret)
{
    const int64_t issued = 1700000000000, lifetime = 60000;
    const std::string token = lumo_session::issueLogonToken("ann", "s3cret", issued, lifetime);
    std::string user;
    EXPECT_EQ(lumo_session::checkLogonToken(token, "s3cret", issued + lifetime - 1, &user), TokenCheck::Valid);
    EXPECT_EQ(user, "ann");
    EXPECT_EQ(lumo_session::checkLogonToken(token, "s3cret", issued + lifetime, &user), TokenCheck::Expired);
    EXPECT_EQ(lumo_session::checkLogonToken(token, "other", issued, &user), TokenCheck::BadSignature);
    EXPECT_EQ(lumo_session::issueLogonToken("a:b", "s3cret", issued, lifetime), "");
}

}  // namespace
