#include <gtest/gtest.h>

#include "server/core/ResponseWriter.h"
#include "tests/native/server/support/ServerTestKit.h"

using lumo_server::CommentRecord;
using lumo_server::ResponseWriter;
using server_test::u8;

namespace {

TEST(ServerResponse, CommentMembersFollowTheModuleOrderAndOmissionRules)
{
    CommentRecord c;
    EXPECT_EQ(u8(ResponseWriter::comment(c)), "{\"hidden\":false,\"lastmodifiedtimestamp\":-1,\"creationtimestamp\":-1}");

    // Set in an order unlike the written one.
    c.lastModifiedUserName = u"mn";
    c.optionKey4 = u"k4";
    c.connecXion = u"cx";
    c.text = u"t";
    c.commentId = 0;
    c.sourceCUID = u"s";
    c.ownerCUID = u" ";
    c.logicalReportId = u"l";
    c.contextCommon = u"cc";
    c.appName = u"an";
    c.appContext = u"ac";
    c.appDatapath = u"ad";
    c.optionKey1 = u"k1";
    c.optionKey2 = u"k2";
    c.optionKey3 = u"k3";
    c.userName = u"un";
    c.lastModifiedUserCuid = u"mc";
    c.hidden = true;
    c.lastModifiedTimestamp = 2;
    c.creationTimestamp = 1;
    EXPECT_EQ(u8(ResponseWriter::comment(c)),
              "{\"sourceCUID\":\"s\",\"ownerCUID\":\" \",\"text\":\"t\",\"commentId\":0,\"logicalReportId\":\"l\","
              "\"contextCommon\":\"cc\",\"appName\":\"an\",\"appContext\":\"ac\",\"appDatapath\":\"ad\","
              "\"connecXion\":\"cx\",\"optionKey1\":\"k1\",\"optionKey2\":\"k2\",\"optionKey3\":\"k3\","
              "\"optionKey4\":\"k4\",\"userName\":\"un\",\"lastModifiedUserCuid\":\"mc\",\"lastModifiedUserName\":\"mn\","
              "\"hidden\":true,\"lastmodifiedtimestamp\":2,\"creationtimestamp\":1}");
    c = CommentRecord();
    c.commentId = -2;
    EXPECT_EQ(u8(ResponseWriter::comment(c)),
              "{\"commentId\":-2,\"hidden\":false,\"lastmodifiedtimestamp\":-1,\"creationtimestamp\":-1}");
}

TEST(ServerResponse, SuccessAndErrorHeads)
{
    EXPECT_EQ(u8(ResponseWriter::success(7)), "{\"statusCode\":0,\"description\":\"success\",\"responseType\":7}");
    EXPECT_EQ(u8(ResponseWriter::getSuccess({})),
              "{\"statusCode\":0,\"description\":\"success\",\"responseType\":2,\"comments\":[]}");
    EXPECT_EQ(u8(ResponseWriter::error(lumo_server::ServerError::make(lumo_server::ErrorKind::MissingMember,
                                                                      "comment.\"x\""))),
              "{\"statusCode\":400,\"description\":\"Missing member: comment.\\\"x\\\"\",\"responseType\":5,"
              "\"errorCode\":\"CMNTRY 102\"}");
}

}  // namespace
