#include "tests/native/server/OperationsSuite.h"

#include <thread>

#include "model/JsonSupport.h"
#include "platform/session/LogonToken.h"

using lumo_server::ExactlyOnceKey;
using lumo_server::ProcessorSettings;
using lumo_server::RequestProcessor;

namespace server_test {

void ServerOps::SetUp()
{
    m_location = GetParam()->freshDatabase();
    m_store = GetParam()->open(m_location);
    m_processor = makeProcessor(*m_store);
    m_token = tokenFor("alice");
}

std::string tokenFor(const std::string& user)
{
    return lumo_session::issueLogonToken(user, kSecret, kStart, 24 * 3600 * 1000);
}

std::unique_ptr<RequestProcessor> ServerOps::makeProcessor(lumo_server::CommentStore& store,
                                                           lumo_server::AuthorizationPolicy policy)
{
    ProcessorSettings settings;
    settings.tokenSecret = kSecret;
    settings.authorization = policy;
    settings.administrators = {"root"};
    return std::make_unique<RequestProcessor>(store, settings, [this] { return m_now.load(); });
}

std::string ServerOps::answer(const std::string& text) { return u8(m_processor->process(u16(text)).response); }

Reply ServerOps::call(const std::string& text, const std::optional<ExactlyOnceKey>& key)
{
    return readReply(m_processor->process(u16(text), key).response);
}

int ServerOps::add(const std::string& source, const std::string& text, const std::string& moreMembers)
{
    const Reply r = call(request(1, m_token, "\"sourceCUID\":" + quote(source) + ",\"text\":" + quote(text) +
                                                 (moreMembers.empty() ? "" : "," + moreMembers)));
    EXPECT_EQ(r.statusCode, 0) << r.description;
    return std::atoi(member(r.comment, "commentId").c_str());
}

std::vector<int> ServerOps::idsOf(const std::string& source, const std::string& sortparams,
                                  const std::string& qualifiers, const std::string& moreMembers)
{
    const Reply r = call(getRequest(m_token, "\"sourceCUID\":" + quote(source) + moreMembers, sortparams, qualifiers));
    EXPECT_EQ(r.responseType, 2) << r.description;
    return r.ids();
}

ExactlyOnceKey ftKey(const std::string& client, int32_t retention, int64_t expiresMs)
{
    ExactlyOnceKey key;
    key.key.clientId = client;
    key.key.retentionId = retention;
    key.expiresMs = expiresMs;
    return key;
}

namespace {

std::string modifyText(const std::string& token, int id, const std::string& source, const std::string& members)
{
    return request(3, token, "\"sourceCUID\":" + quote(source) + ",\"commentId\":" + std::to_string(id) + "," + members);
}

std::string idRequest(int type, const std::string& token, int id, const std::string& source)
{
    return request(type, token, "\"sourceCUID\":" + quote(source) + ",\"commentId\":" + std::to_string(id));
}

}  // namespace

TEST_P(ServerOps, AddAnswersTheStoredCommentAndGetReturnsIt)
{
    const std::string stored =
        "{\"sourceCUID\":\"doc-1\",\"ownerCUID\":\"alice\",\"text\":\"Hello\",\"commentId\":1,\"appName\":\"Sales\","
        "\"userName\":\"alice\",\"lastModifiedUserCuid\":\"alice\",\"lastModifiedUserName\":\"alice\","
        "\"hidden\":false,\"lastmodifiedtimestamp\":1700000000000,\"creationtimestamp\":1700000000000}";
    // The request's own id and timestamps are not taken over.
    const std::string text = request(1, m_token,
                                     "\"sourceCUID\":\"doc-1\",\"text\":\"Hello\",\"commentId\":77,\"appName\":\"Sales\","
                                     "\"hidden\":false,\"lastmodifiedtimestamp\":5,\"creationtimestamp\":5");
    EXPECT_EQ(answer(text),
              "{\"statusCode\":0,\"description\":\"success\",\"responseType\":1,\"comment\":" + stored + "}");
    EXPECT_EQ(answer(getRequest(m_token, "\"sourceCUID\":\"doc-1\"")),
              "{\"statusCode\":0,\"description\":\"success\",\"responseType\":2,\"comments\":[" + stored + "]}");
}

TEST_P(ServerOps, GetSortsByEachKeyInBothOrdersWithTiesByIdInTheSameDirection)
{
    for (int64_t at : {0, 5, 10, 20, 20}) {
        m_now = kStart + at;
        add("s", "c");
    }
    for (const auto& [id, at] : std::vector<std::pair<int, int64_t>>{{3, 40}, {1, 50}, {5, 60}}) {
        m_now = kStart + at;
        ASSERT_EQ(call(modifyText(m_token, id, "s", "\"text\":\"m\"")).responseType, 3);
    }
    struct Case {
        std::string sortparams;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"", {1, 2, 3, 4, 5}},
        {"{\"sortattribute\":0,\"sortorder\":0}", {2, 4, 3, 1, 5}},
        {"{\"sortattribute\":0,\"sortorder\":1}", {5, 1, 3, 4, 2}},
        {"{\"sortattribute\":1,\"sortorder\":0}", {1, 2, 3, 4, 5}},
        {"{\"sortattribute\":1,\"sortorder\":1}", {5, 4, 3, 2, 1}},
        {"{\"sortattribute\":1,\"sortorder\":1},{\"sortattribute\":0,\"sortorder\":1}", {5, 4, 3, 2, 1}},
        {"{\"sortattribute\":1,\"sortorder\":0},{\"sortattribute\":0,\"sortorder\":1}", {1, 2, 3, 5, 4}},
    };
    for (const Case& c : cases) EXPECT_EQ(idsOf("s", c.sortparams), c.expected) << c.sortparams;
}

TEST_P(ServerOps, TopKeepsTheFirstAfterSortingAndTheSmallestWins)
{
    for (int i = 0; i < 5; ++i) {
        m_now = kStart + i;
        add("top", "c");
    }
    const std::string newestFirst = "{\"sortattribute\":1,\"sortorder\":1}";
    auto top = [](const char* value) {
        return std::string("{\"qualifierattribute\":0,\"qualifiervalue\":\"") + value + "\"}";
    };
    EXPECT_EQ(idsOf("top", newestFirst, top("2")), (std::vector<int>{5, 4}));
    EXPECT_EQ(idsOf("top", newestFirst, top("0")), std::vector<int>{});
    EXPECT_EQ(idsOf("top", newestFirst, top("007")), (std::vector<int>{5, 4, 3, 2, 1}));
    EXPECT_EQ(idsOf("top", newestFirst, top("99999999999999999999999")), (std::vector<int>{5, 4, 3, 2, 1}));
    EXPECT_EQ(idsOf("top", "", top("3") + "," + top("1") + "," + top("4")), std::vector<int>{1});
}

TEST_P(ServerOps, BadSortParametersAndQualifiersAreRejected)
{
    const struct {
        std::string sortparams, qualifiers, description;
    } cases[] = {
        {"{\"sortattribute\":2,\"sortorder\":0}", "", "unknown sort attribute 2 in sortparams[0]"},
        {"{\"sortattribute\":0,\"sortorder\":0},{\"sortattribute\":0,\"sortorder\":-1}", "",
         "unknown sort order -1 in sortparams[1]"},
        {"", "{\"qualifierattribute\":1,\"qualifiervalue\":\"3\"}", "unknown qualifier attribute 1 in qualifiers[0]"},
        {"", "{\"qualifierattribute\":0,\"qualifiervalue\":\"-1\"}", "TOP value is not a decimal number in qualifiers[0]"},
        {"", "{\"qualifierattribute\":0,\"qualifiervalue\":\"\"}", "TOP value is not a decimal number in qualifiers[0]"},
        {"", "{\"qualifierattribute\":0,\"qualifiervalue\":\"1\"},{\"qualifierattribute\":0,\"qualifiervalue\":\"2 \"}",
         "TOP value is not a decimal number in qualifiers[1]"},
    };
    for (const auto& c : cases) {
        const std::string text = getRequest(m_token, "\"sourceCUID\":\"d\"", c.sortparams, c.qualifiers);
        EXPECT_EQ(answer(text),
                  "{\"statusCode\":400,\"description\":\"Invalid sort parameter or qualifier: " + c.description +
                      "\",\"responseType\":5,\"errorCode\":\"CMNTRY 108\"}");
    }
}

TEST_P(ServerOps, GetFiltersByEqualityOnTheFilterMembersOnly)
{
    const int a = add("f", "a", "\"appName\":\"A\",\"logicalReportId\":\"L1\"");
    const int b = add("f", "b", "\"appName\":\"A\",\"logicalReportId\":\"L2\",\"optionKey3\":\"k\"");
    const int c = add("f", "c",
                      "\"appName\":\"B\",\"contextCommon\":\"C\",\"appContext\":\"X\",\"appDatapath\":\"P\","
                      "\"optionKey1\":\"o1\",\"optionKey2\":\"o2\",\"optionKey4\":\"o4\"");
    add("other", "d", "\"appName\":\"A\"");
    const struct {
        std::string members;
        std::vector<int> expected;
    } cases[] = {
        {"\"appName\":\"A\"", {a, b}},
        {"\"appName\":\"A\",\"logicalReportId\":\"L2\"", {b}},
        {"\"optionKey3\":\"k\"", {b}},
        {"\"contextCommon\":\"C\"", {c}},
        {"\"appContext\":\"X\"", {c}},
        {"\"appDatapath\":\"P\"", {c}},
        {"\"optionKey1\":\"o1\",\"optionKey2\":\"o2\",\"optionKey4\":\"o4\"", {c}},
        {"\"commentId\":" + std::to_string(b), {b}},
        {"\"appName\":\"a\"", {}},  // exact, case-sensitive
        {"\"ownerCUID\":\"nobody\",\"text\":\"nope\",\"connecXion\":\"n\"", {a, b, c}},  // not filters
    };
    for (const auto& k : cases) EXPECT_EQ(idsOf("f", "", "", "," + k.members), k.expected) << k.members;
}

TEST_P(ServerOps, ModifyReplacesNonEmptyContentFieldsOnly)
{
    const int id = add("m", "old",
                       "\"logicalReportId\":\"L\",\"contextCommon\":\"C\",\"appName\":\"A\",\"appContext\":\"X\","
                       "\"appDatapath\":\"P\",\"connecXion\":\"cx\",\"optionKey1\":\"1\",\"optionKey2\":\"2\","
                       "\"optionKey3\":\"3\",\"optionKey4\":\"4\"");
    m_now = kStart + 100;
    const Reply r = call(modifyText(tokenFor("root"), id, "m",
                                    "\"ownerCUID\":\"mallory\",\"text\":\"new\",\"appName\":\"\",\"connecXion\":\"no\","
                                    "\"optionKey2\":\"two\",\"hidden\":true,\"creationtimestamp\":1"));
    EXPECT_EQ(r.responseType, 3);
    const CommentMembers c = call(getRequest(m_token, "\"sourceCUID\":\"m\"")).comments.at(0);
    const CommentMembers expected = {
        {"sourceCUID", "m"},     {"ownerCUID", "alice"},   {"text", "new"},           {"commentId", std::to_string(id)},
        {"logicalReportId", "L"}, {"contextCommon", "C"},  {"appName", "A"},          {"appContext", "X"},
        {"appDatapath", "P"},    {"connecXion", "cx"},     {"optionKey1", "1"},       {"optionKey2", "two"},
        {"optionKey3", "3"},     {"optionKey4", "4"},      {"userName", "alice"},     {"lastModifiedUserCuid", "root"},
        {"lastModifiedUserName", "root"}, {"hidden", "false"}, {"lastmodifiedtimestamp", "1700000000100"},
        {"creationtimestamp", "1700000000000"}};
    EXPECT_EQ(c, expected);
}

TEST_P(ServerOps, ModifyAndDeleteOfAnAbsentCommentAre404AndChangeNothing)
{
    const int id = add("n", "keep");
    const std::string notFound = "{\"statusCode\":404,\"description\":\"Comment not found: " + std::to_string(id + 1) +
                                 "\",\"responseType\":5,\"errorCode\":\"CMNTRY 301\"}";
    EXPECT_EQ(answer(modifyText(m_token, id + 1, "n", "\"text\":\"x\"")), notFound);
    EXPECT_EQ(call(modifyText(m_token, id, "wrong-doc", "\"text\":\"x\"")).statusCode, 404);
    EXPECT_EQ(call(idRequest(4, m_token, id, "wrong-doc")).statusCode, 404);
    EXPECT_EQ(member(call(getRequest(m_token, "\"sourceCUID\":\"n\"")).comments.at(0), "text"), "keep");

    EXPECT_EQ(answer(idRequest(4, m_token, id, "n")),
              "{\"statusCode\":0,\"description\":\"success\",\"responseType\":4}");
    EXPECT_EQ(answer(getRequest(m_token, "\"sourceCUID\":\"n\"")),
              "{\"statusCode\":0,\"description\":\"success\",\"responseType\":2,\"comments\":[]}");
    EXPECT_EQ(call(idRequest(4, m_token, id, "n")).statusCode, 404);

    // The deleted id was the highest: it is not handed out again, nor after
    // the next one is deleted too and the store opened afresh.
    EXPECT_EQ(add("n", "next"), id + 1);
    EXPECT_EQ(call(idRequest(4, m_token, id + 1, "n")).statusCode, 0);
    m_processor.reset();
    m_store = GetParam()->open(m_location);
    m_processor = makeProcessor(*m_store);
    EXPECT_EQ(add("n", "after reopening"), id + 2);
}

TEST_P(ServerOps, HideIsAllOrNothingAndHiddenCommentsAreOnlyListedOnRequest)
{
    const int x = add("h", "x"), y = add("h", "y"), z = add("h", "z"), w = add("elsewhere", "w");
    auto hide = [this](const std::string& ids) {
        return call(request(6, m_token, "\"sourceCUID\":\"h\"", ",\"CommentIds\":[" + ids + "]"));
    };
    const Reply missing = hide(std::to_string(x) + "," + std::to_string(w));
    EXPECT_EQ(missing.description, "Comment not found: " + std::to_string(w));
    EXPECT_EQ(idsOf("h"), (std::vector<int>{x, y, z}));

    EXPECT_EQ(hide(std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(x)).responseType, 7);
    EXPECT_EQ(hide("").responseType, 7);
    EXPECT_EQ(idsOf("h"), std::vector<int>{z});
    const Reply all = call(getRequest(m_token, "\"sourceCUID\":\"h\",\"hidden\":true"));
    ASSERT_EQ(all.ids(), (std::vector<int>{x, y, z}));
    EXPECT_EQ(member(all.comments[0], "hidden"), "true");
    EXPECT_EQ(member(all.comments[2], "hidden"), "false");
    // Hiding keeps the times.
    EXPECT_EQ(member(all.comments[0], "lastmodifiedtimestamp"), std::to_string(kStart));
}

TEST_P(ServerOps, DuplicateCopiesEveryCommentWithNewIdsAndTimes)
{
    const int a = add("src", "first", "\"appName\":\"A\"");
    const int b = add("src", "second");
    ASSERT_EQ(call(request(6, m_token, "\"sourceCUID\":\"src\"", ",\"CommentIds\":[" + std::to_string(b) + "]")).responseType, 7);
    m_now = kStart + 500;
    auto duplicate = [this](const std::string& target) {
        return call(request(7, m_token, "\"sourceCUID\":\"src\"", ",\"targetDocCuid\":" + quote(target)));
    };
    EXPECT_EQ(duplicate("dst").responseType, 8);
    const Reply copies = call(getRequest(m_token, "\"sourceCUID\":\"dst\",\"hidden\":true"));
    ASSERT_EQ(copies.comments.size(), 2u);
    EXPECT_EQ(copies.ids(), (std::vector<int>{b + 1, b + 2}));
    EXPECT_EQ(member(copies.comments[0], "text"), "first");
    EXPECT_EQ(member(copies.comments[0], "appName"), "A");
    EXPECT_EQ(member(copies.comments[0], "hidden"), "false");
    EXPECT_EQ(member(copies.comments[1], "hidden"), "true");
    EXPECT_EQ(member(copies.comments[1], "creationtimestamp"), "1700000000500");
    EXPECT_EQ(member(copies.comments[1], "lastmodifiedtimestamp"), "1700000000500");
    EXPECT_EQ(idsOf("src", "", "", ",\"hidden\":true"), (std::vector<int>{a, b}));

    EXPECT_EQ(duplicate("src").description, "Invalid request: targetDocCuid equals sourceCUID");
    EXPECT_EQ(duplicate("").description, "Invalid request: sourceCUID and targetDocCuid are required");
    EXPECT_EQ(idsOf("dst", "", "", ",\"hidden\":true").size(), 2u);
}

TEST_P(ServerOps, SqlMetacharactersAreStoredAndMatchedVerbatim)
{
    const std::string nasty[] = {"it's", "a;b", "--x", "'); DROP TABLE lumo_comment; --", "\"q\"", "b\\s", "%_*?",
                                 "$1 ?2 :x @y", "' OR '1'='1"};
    const char* stringMembers[] = {"text", "logicalReportId", "contextCommon", "appName", "appContext",
                                   "appDatapath", "connecXion", "optionKey1", "optionKey2", "optionKey3", "optionKey4"};
    std::string members;
    CommentMembers expected{{"sourceCUID", nasty[3]}};
    for (std::size_t i = 0; i < std::size(stringMembers); ++i) {
        expected.emplace_back(stringMembers[i], nasty[i % 9] + std::to_string(i));
        members += std::string(",\"") + stringMembers[i] + "\":" + quote(expected.back().second);
    }
    ASSERT_EQ(call(request(1, m_token, "\"sourceCUID\":" + quote(nasty[3]) + members)).statusCode, 0);
    // Every filter member set to its stored value still finds the comment.
    const Reply found = call(getRequest(m_token, "\"sourceCUID\":" + quote(nasty[3]) + members));
    ASSERT_EQ(found.comments.size(), 1u);
    for (const auto& m : expected) EXPECT_EQ(member(found.comments[0], m.first), m.second) << m.first;
    add("plain", "still there");
    EXPECT_EQ(idsOf("plain").size(), 1u);
}

TEST_P(ServerOps, BoundaryAndNonBmpCharactersRoundTrip)
{
    const std::string text = "$\u00A2\u20AC\U0001D11E \"q\" \\ \n\t\u0001 end";
    add("\U0001D11E-doc", "x", "\"appName\":" + quote(text));
    const Reply r = call(getRequest(m_token, "\"sourceCUID\":\"\U0001D11E-doc\""));
    ASSERT_EQ(r.comments.size(), 1u);
    EXPECT_EQ(member(r.comments[0], "appName"), text);
}

TEST_P(ServerOps, RequestsWithoutAValidTokenAreRejectedAndChangeNothing)
{
    const struct {
        std::string token, response;
    } cases[] = {
        {"", "{\"statusCode\":401,\"description\":\"Logon token missing\",\"responseType\":5,\"errorCode\":\"CMNTRY 201\"}"},
        {"garbage", "{\"statusCode\":401,\"description\":\"Logon token invalid\",\"responseType\":5,\"errorCode\":\"CMNTRY 202\"}"},
        {lumo_session::issueLogonToken("alice", "other-secret", kStart, 3600 * 1000),
         "{\"statusCode\":401,\"description\":\"Logon token invalid\",\"responseType\":5,\"errorCode\":\"CMNTRY 202\"}"},
        {lumo_session::issueLogonToken("alice", kSecret, kStart - 2000, 1000),
         "{\"statusCode\":401,\"description\":\"Logon token expired\",\"responseType\":5,\"errorCode\":\"CMNTRY 203\"}"},
    };
    for (int round = 0; round < 2; ++round)
        for (const auto& c : cases)
            EXPECT_EQ(answer(request(1, c.token, "\"sourceCUID\":\"t\",\"text\":\"x\"")), c.response);
    EXPECT_EQ(answer("{\"requestType\":1,\"comment\":{\"sourceCUID\":\"t\",\"text\":\"x\"}}"), cases[0].response);
    EXPECT_EQ(idsOf("t"), std::vector<int>{});
    // A token accepted before is refused from its expiry on.
    const std::string shortLived = lumo_session::issueLogonToken("alice", kSecret, m_now, 1000);
    const std::string add = request(1, shortLived, "\"sourceCUID\":\"t\",\"text\":\"x\"");
    EXPECT_EQ(readReply(u16(answer(add))).statusCode, 0);
    m_now += 1000;
    EXPECT_EQ(answer(add), cases[3].response);
    EXPECT_EQ(idsOf("t").size(), 1u);
}

TEST_P(ServerOps, OversizedRequestsAndFieldsAreRejected)
{
    ProcessorSettings settings;
    settings.tokenSecret = kSecret;
    settings.limits.maxFieldChars = 120;  // the token is shorter
    const std::string head = request(1, m_token, "\"sourceCUID\":\"big\",\"text\":\"\"");
    settings.limits.maxRequestChars = u16(head).size() + 122;
    RequestProcessor small(*m_store, settings, [this] { return m_now.load(); });
    auto send = [&](const std::string& text) {
        return u8(small.process(u16(request(1, m_token, "\"sourceCUID\":\"big\",\"text\":" + quote(text)))).response);
    };
    std::string nonBmp;
    for (int i = 0; i < 60; ++i) nonBmp += "\U0001D11E";  // two code units each
    EXPECT_EQ(readReply(u16(send(std::string(120, 'x')))).responseType, 1);
    EXPECT_EQ(readReply(u16(send(nonBmp))).responseType, 1);
    EXPECT_EQ(send(std::string(121, 'x')), "{\"statusCode\":413,\"description\":\"Member too large: comment.text, "
                                           "limit 120 code units\",\"responseType\":5,\"errorCode\":\"CMNTRY 402\"}");
    const std::string tooLong = request(1, m_token, "\"sourceCUID\":\"big\",\"text\":" + quote(std::string(120, 'y'))) + "    ";
    EXPECT_EQ(u8(small.process(u16(tooLong)).response),
              "{\"statusCode\":413,\"description\":\"Request too large: " + std::to_string(u16(tooLong).size()) +
                  " code units, limit " + std::to_string(settings.limits.maxRequestChars) +
                  "\",\"responseType\":5,\"errorCode\":\"CMNTRY 401\"}");
    EXPECT_EQ(idsOf("big").size(), 2u);
}

TEST_P(ServerOps, ARequestWithTheSameKeyRunsOnceAndFailuresAreNotRecorded)
{
    const std::string text = request(1, m_token, "\"sourceCUID\":\"eo\",\"text\":\"once\"");
    const auto first = m_processor->process(u16(text), ftKey("client-A", 1));
    m_now = kStart + 10;
    const auto again = m_processor->process(u16(text), ftKey("client-A", 1));
    EXPECT_FALSE(first.replayed);
    EXPECT_TRUE(again.replayed);
    EXPECT_EQ(again.response, first.response);
    EXPECT_EQ(again.statusCode, 0);
    EXPECT_EQ(again.responseType, 1);
    EXPECT_EQ(idsOf("eo").size(), 1u);
    // Another retention id, or the same one from another client, is another request.
    m_processor->process(u16(text), ftKey("client-A", 2));
    m_processor->process(u16(text), ftKey(std::string("client-\0B", 9), 1));
    EXPECT_EQ(idsOf("eo").size(), 3u);

    EXPECT_EQ(m_processor->process(u16(idRequest(4, m_token, 999, "eo")), ftKey("c", 5)).statusCode, 404);
    const auto next = m_processor->process(u16(text), ftKey("c", 5));
    EXPECT_FALSE(next.replayed);
    EXPECT_EQ(next.responseType, 1);

    // A retry that would fail if it ran again (a second delete) gets what
    // the first run answered.
    const std::string remove = idRequest(4, m_token, idsOf("eo").front(), "eo");
    const auto removed = m_processor->process(u16(remove), ftKey("c", 6));
    const auto removedAgain = m_processor->process(u16(remove), ftKey("c", 6));
    EXPECT_EQ(removed.statusCode, 0);
    EXPECT_TRUE(removedAgain.replayed);
    EXPECT_EQ(removedAgain.response, removed.response);
}

TEST_P(ServerOps, TwoStoresOnOneDatabaseExecuteEachKeyOnce)
{
    auto secondStore = GetParam()->open(m_location);
    auto second = makeProcessor(*secondStore);
    const std::string text = request(1, m_token, "\"sourceCUID\":\"two\",\"text\":\"t\"");
    const auto first = m_processor->process(u16(text), ftKey("c", 42));
    const auto retried = second->process(u16(text), ftKey("c", 42));
    EXPECT_TRUE(retried.replayed);
    EXPECT_EQ(retried.response, first.response);
    EXPECT_EQ(idsOf("two").size(), 1u);

    // Both racing through the same keys.
    constexpr int kKeys = 25;
    std::vector<std::u16string> repliesA(kKeys), repliesB(kKeys);
    auto run = [&](RequestProcessor& p, std::vector<std::u16string>& replies) {
        for (int k = 0; k < kKeys; ++k)
            replies[k] = p.process(u16(request(1, m_token, "\"sourceCUID\":\"race\",\"text\":\"k\"")),
                                   ftKey("racer", k)).response;
    };
    std::thread a([&] { run(*m_processor, repliesA); });
    std::thread b([&] { run(*second, repliesB); });
    a.join();
    b.join();
    EXPECT_EQ(idsOf("race").size(), static_cast<std::size_t>(kKeys));
    EXPECT_EQ(repliesA, repliesB);
}

TEST_P(ServerOps, ExpiredRepliesArePurged)
{
    const std::string text = request(1, m_token, "\"sourceCUID\":\"pg\",\"text\":\"t\"");
    m_processor->process(u16(text), ftKey("c", 1, kStart + 1000));
    m_processor->process(u16(text), ftKey("c", 2));
    m_now = kStart + 2000;
    EXPECT_EQ(m_processor->purgeReplies(), 1);  // expiry passed
    m_now = kStart + 2000 + 3600 * 1000;
    EXPECT_EQ(m_processor->purgeReplies(), 1);  // older than the maximum age
    EXPECT_FALSE(m_processor->process(u16(text), ftKey("c", 1)).replayed);
    EXPECT_EQ(idsOf("pg").size(), 3u);
}

}  // namespace server_test
