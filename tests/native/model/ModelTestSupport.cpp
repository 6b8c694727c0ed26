#include "tests/native/model/ModelTestSupport.h"

#include <gtest/gtest.h>

namespace model_test {

using lumocommentaryservice_nexa_api::Comment;

std::string utf8(const SWCharString& text) { return text.toUtf8(); }
SWCharString wide(const std::string& utf8Text) { return SWCharString::fromUtf8(utf8Text); }

std::string commentJson(const Comment& comment)
{
    lumo_json::Document document;
    document.SetObject();
    comment.toJSON(document, document.GetAllocator());
    return lumoUtf16ToUtf8(lumo_json::write(document));
}

Comment fullComment()
{
    Comment c;
    c.setCommentId(12);
    c.setSourceCUID(u"src-1");
    c.setOwnerCUID(u"owner-1");
    c.setText(u"Quarterly totals look off");
    c.setUserName(u"alice");
    c.setLastModifiedUserCuid(u"user-2");
    c.setLastModifiedUserName(u"bob");
    c.setCreationTimestamp(1700000000123);
    c.setLastModifiedTimestamp(1700000999000);
    c.setLogicalReportId(u"report-7");
    c.setContextCommon(u"ctx");
    c.setAppName(u"Lumo");
    c.setAppContext(u"app-ctx");
    c.setAppDatapath(u"/data/p");
    c.setOptionKey1(u"k1");
    c.setOptionKey2(u"k2");
    c.setOptionKey3(u"k3");
    c.setOptionKey4(u"k4");
    c.setConnecXion(u"cx");
    c.setHidden(true);
    return c;
}

const char* const kFullCommentJson =
    R"({"sourceCUID":"src-1","ownerCUID":"owner-1","text":"Quarterly totals look off","commentId":12,)"
    R"("logicalReportId":"report-7","contextCommon":"ctx","appName":"Lumo","appContext":"app-ctx",)"
    R"("appDatapath":"/data/p","connecXion":"cx","optionKey1":"k1","optionKey2":"k2","optionKey3":"k3",)"
    R"("optionKey4":"k4","userName":"alice","lastModifiedUserCuid":"user-2","lastModifiedUserName":"bob",)"
    R"("hidden":true,"lastmodifiedtimestamp":1700000999000,"creationtimestamp":1700000000123})";

namespace {

// No RapidJSON assertion may fire anywhere in a model suite: the model tests
// every member's type before reading it.
class NoJsonAssertions : public ::testing::Environment {
public:
    void SetUp() override { m_before = lumo_json::assertionCount(); }
    void TearDown() override
    {
        EXPECT_EQ(lumo_json::assertionCount(), m_before) << "a RapidJSON assertion fired during the suite";
    }

private:
    uint64_t m_before = 0;
};

const auto* const g_noJsonAssertions = ::testing::AddGlobalTestEnvironment(new NoJsonAssertions);

}  // namespace

}  // namespace model_test
