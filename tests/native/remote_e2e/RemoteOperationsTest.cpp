// The six request kinds through the framework and the proxy, against two
// servers on one database, with text outside the basic plane.
#include <chrono>
#include <thread>

#include "tests/native/remote_e2e/RemoteSupport.h"

namespace {

const api::SortParamRecord kCreationAscending(1, 0);
const api::SortParamRecord kCreationDescending(1, 1);
using Ids = std::vector<int32_t>;

}  // namespace

class RemoteOperations : public RemoteFixture {};

TEST_F(RemoteOperations, EachKindChangesTheStoreAsItImplies)
{
    startServer("server-a");
    startServer("server-b");
    LumoCommentaryServiceHandle proxy = proxyOn(createService());

    // add: three comments, a few milliseconds apart so that creation times
    // differ.  The document's name and the first text hold U+1D11E (a
    // surrogate pair); the text also U+0024, U+00A2, U+20AC, U+1F600, a quote,
    // a backslash and a tab: they travel unchanged both ways.
    const SWCharString doc(u"doc-\U0001D11E");
    const SWCharString firstText(u"first $\u00A2\u20AC\U0001D11E \U0001F600 \"q\" \\ \t end");
    Ids added;
    for (const SWCharString& text : {firstText, SWCharString(u"second"), SWCharString(u"third")}) {
        const SWCharString reply = execute(proxy, addRequest(doc, text));
        EXPECT_EQ(api::AddCommentSuccessResponse(reply).getResponseType(), 1) << reply.toUtf8();
        added.push_back(addedId(reply));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_LT(added[0], added[1]);
    ASSERT_LT(added[1], added[2]);

    // get, sorted both ways, and with TOP
    EXPECT_EQ(ids(execute(proxy, getRequest(doc, false, {kCreationAscending}))), added);
    EXPECT_EQ(ids(execute(proxy, getRequest(doc, false, {kCreationDescending}))),
              (Ids{added[2], added[1], added[0]}));
    EXPECT_EQ(ids(execute(proxy, getRequest(doc, false, {kCreationDescending}, u"2"))), (Ids{added[2], added[1]}));
    const auto fresh = comments(execute(proxy, getRequest(doc)));
    ASSERT_EQ(fresh.size(), 3u);
    EXPECT_EQ(fresh[0]->getText().str(), firstText.str());
    EXPECT_EQ(fresh[0]->getSourceCUID().str(), doc.str());
    EXPECT_EQ(fresh[0]->getOwnerCUID().toUtf8(), "alice");

    // modify the second
    const SWCharString modified =
        execute(proxy, json(api::ModifyCommentRequest(comment(doc, added[1], u"edited"))));
    EXPECT_EQ(api::ModifyCommentSuccessResponse(modified).getResponseType(), 3) << modified.toUtf8();
    EXPECT_EQ(comments(execute(proxy, getRequest(doc)))[1]->getText().toUtf8(), "edited");

    // hide the first: gone from a plain get, present and flagged with hidden ones
    SIntArray toHide;
    toHide.append(added[0]);
    const SWCharString hidden = execute(proxy, json(api::HideCommentRequest(comment(doc), toHide)));
    EXPECT_EQ(api::HideCommentSuccessResponse(hidden).getResponseType(), 7) << hidden.toUtf8();
    EXPECT_EQ(ids(execute(proxy, getRequest(doc))), (Ids{added[1], added[2]}));
    const auto withHidden = comments(execute(proxy, getRequest(doc, true)));
    ASSERT_EQ(withHidden.size(), 3u);
    EXPECT_TRUE(withHidden[0]->getHidden());

    // duplicate into doc-2: same content, the hidden flag kept
    const SWCharString duplicated = execute(proxy, json(api::DuplicateCommentRequest(comment(doc), u"doc-2")));
    EXPECT_EQ(api::DuplicateCommentSuccessResponse(duplicated).getResponseType(), 8) << duplicated.toUtf8();
    const auto copies = comments(execute(proxy, getRequest(u"doc-2", true)));
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[1]->getText().toUtf8(), "edited");
    EXPECT_TRUE(copies[0]->getHidden());

    // delete the third from doc; doc-2 keeps its copy
    const SWCharString deleteThird = json(api::DeleteCommentRequest(comment(doc, added[2])));
    EXPECT_EQ(api::DeleteCommentSuccessResponse(execute(proxy, deleteThird)).getResponseType(), 4);
    EXPECT_EQ(ids(execute(proxy, getRequest(doc, true))), (Ids{added[0], added[1]}));
    EXPECT_EQ(comments(execute(proxy, getRequest(u"doc-2", true))).size(), 3u);

    // a server's error reply travels as a reply, not as a failure
    const api::ErrorResponse error(execute(proxy, deleteThird));
    EXPECT_EQ(error.getStatusCode(), 404);
    EXPECT_EQ(error.getErrorCode().toUtf8(), "CMNTRY 301");
}
