// The server's comment object: what is left out.  (The member order of a full
// comment is checked through the operations.)
#include <gtest/gtest.h>

#include "server/core/ResponseWriter.h"
#include "tests/native/server/support/ServerTestKit.h"

namespace {

std::string written(int32_t id, const char16_t* owner)
{
    lumo_server::CommentRecord c;
    c.commentId = id;
    c.ownerCUID = owner;
    return server_test::u8(lumo_server::ResponseWriter::comment(c));
}

TEST(ServerResponse, CommentLeavesOutEmptyTextsAndIdMinusOneOnly)
{
    const std::string tail = "\"hidden\":false,\"lastmodifiedtimestamp\":-1,\"creationtimestamp\":-1}";
    EXPECT_EQ(written(-1, u""), "{" + tail);
    EXPECT_EQ(written(0, u" "), "{\"ownerCUID\":\" \",\"commentId\":0," + tail);
    EXPECT_EQ(written(-2, u""), "{\"commentId\":-2," + tail);
}

}  // namespace
