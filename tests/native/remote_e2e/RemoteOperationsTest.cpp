// The six request kinds through the framework and the proxy, against two
// servers on one database.
#include <chrono>
#include <thread>

#include "tests/native/remote_e2e/RemoteSupport.h"

namespace {

const api::SortParamRecord kCreationAscending(1, 0);
const api::SortParamRecord kCreationDescending(1, 1);

}  // namespace

class RemoteOperations : public RemoteFixture {};

TEST_F(RemoteOperations, EachKindChangesTheStoreAsItImplies)
{
    startServer("server-a");
    startServer("server-b");
    SRefPtr<IManagedService> service = createService();
    LumoCommentaryServiceHandle proxy = proxyOn(service);

    // add: three comments, a few milliseconds apart so that creation times differ
    std::vector<int32_t> added;
    for (const char16_t* text : {u"first", u"second", u"third"}) {
        const SWCharString reply = proxy.execute(SNexaString(addRequest(u"doc-1", text)));
        const api::AddCommentSuccessResponse response(reply);
        EXPECT_EQ(response.getResponseType(), 1) << reply.toUtf8();
        EXPECT_EQ(response.getStatusCode(), 0);
        EXPECT_EQ(response.getDescription().toUtf8(), "success");
        added.push_back(addedId(reply));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(added.size(), 3u);
    EXPECT_LT(added[0], added[1]);
    EXPECT_LT(added[1], added[2]);

    // get, sorted both ways, and with TOP
    EXPECT_EQ(ids(proxy.execute(SNexaString(getRequest(u"doc-1", false, {kCreationAscending})))), added);
    EXPECT_EQ(ids(proxy.execute(SNexaString(getRequest(u"doc-1", false, {kCreationDescending})))),
              (std::vector<int32_t>{added[2], added[1], added[0]}));
    EXPECT_EQ(ids(proxy.execute(SNexaString(getRequest(u"doc-1", false, {kCreationDescending}, u"2")))),
              (std::vector<int32_t>{added[2], added[1]}));
    const auto fresh = comments(proxy.execute(SNexaString(getRequest(u"doc-1"))));
    ASSERT_EQ(fresh.size(), 3u);
    EXPECT_EQ(fresh[0]->getText().toUtf8(), "first");
    EXPECT_EQ(fresh[0]->getOwnerCUID().toUtf8(), "alice");
    EXPECT_FALSE(fresh[0]->getHidden());

    // modify the second
    const SWCharString modified = proxy.execute(SNexaString(modifyRequest(u"doc-1", added[1], u"second, edited")));
    EXPECT_EQ(api::ModifyCommentSuccessResponse(modified).getResponseType(), 3) << modified.toUtf8();
    EXPECT_EQ(comments(proxy.execute(SNexaString(getRequest(u"doc-1"))))[1]->getText().toUtf8(), "second, edited");

    // hide the first: gone from a plain get, present and flagged with hidden ones
    const SWCharString hidden = proxy.execute(SNexaString(hideRequest(u"doc-1", {added[0]})));
    EXPECT_EQ(api::HideCommentSuccessResponse(hidden).getResponseType(), 7) << hidden.toUtf8();
    EXPECT_EQ(ids(proxy.execute(SNexaString(getRequest(u"doc-1")))), (std::vector<int32_t>{added[1], added[2]}));
    const auto withHidden = comments(proxy.execute(SNexaString(getRequest(u"doc-1", true))));
    ASSERT_EQ(withHidden.size(), 3u);
    EXPECT_TRUE(withHidden[0]->getHidden());

    // duplicate into doc-2: new ids, same content, the hidden flag kept
    const SWCharString duplicated = proxy.execute(SNexaString(duplicateRequest(u"doc-1", u"doc-2")));
    EXPECT_EQ(api::DuplicateCommentSuccessResponse(duplicated).getResponseType(), 8) << duplicated.toUtf8();
    const auto copies = comments(proxy.execute(SNexaString(getRequest(u"doc-2", true))));
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[0]->getText().toUtf8(), "first");
    EXPECT_TRUE(copies[0]->getHidden());
    EXPECT_EQ(copies[1]->getText().toUtf8(), "second, edited");
    EXPECT_GT(copies[0]->getCommentId(), added[2]);

    // delete the third from doc-1; doc-2 keeps its copy
    const SWCharString deleted = proxy.execute(SNexaString(deleteRequest(u"doc-1", added[2])));
    EXPECT_EQ(api::DeleteCommentSuccessResponse(deleted).getResponseType(), 4) << deleted.toUtf8();
    EXPECT_EQ(ids(proxy.execute(SNexaString(getRequest(u"doc-1", true)))), (std::vector<int32_t>{added[0], added[1]}));
    EXPECT_EQ(comments(proxy.execute(SNexaString(getRequest(u"doc-2", true)))).size(), 3u);

    // a server's error reply travels as a reply, not as a failure
    const SWCharString missing = proxy.execute(SNexaString(deleteRequest(u"doc-1", added[2])));
    const api::ErrorResponse error(missing);
    EXPECT_EQ(error.getResponseType(), 5) << missing.toUtf8();
    EXPECT_EQ(error.getStatusCode(), 404);
    EXPECT_EQ(error.getErrorCode().toUtf8(), "CMNTRY 301");
}

TEST_F(RemoteOperations, TextOutsideTheBasicPlaneTravelsUnchangedBothWays)
{
    startServer("server-a");
    LumoCommentaryServiceHandle proxy = proxyOn(createService());
    // U+0024, U+00A2, U+20AC, U+1D11E (surrogate pair), U+1F600, quote, backslash, tab.
    const SWCharString text(u"$\u00A2\u20AC\U0001D11E \U0001F600 \"q\" \\ \t end");

    const SWCharString reply = proxy.execute(SNexaString(addRequest(u"doc-\U0001D11E", text)));
    ASSERT_NE(addedId(reply), -1) << reply.toUtf8();

    const auto stored = comments(proxy.execute(SNexaString(getRequest(u"doc-\U0001D11E"))));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]->getText().str(), text.str());
    EXPECT_EQ(stored[0]->getSourceCUID().str(), u"doc-\U0001D11E");
}
