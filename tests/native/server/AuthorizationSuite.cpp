// Who may do what, on each store like the operation suite: the owner, another
// user and an administrator ("root") under both policies; the author of an
// add; exactly-once keys reused across users and kinds; reply rows of an
// older database.  Every refusal is checked against the stored rows.
#include "tests/native/server/OperationsSuite.h"

using lumo_server::AuthorizationPolicy;

namespace server_test {
namespace {

std::string forbidden(const std::string& detail)
{
    return "{\"statusCode\":403,\"description\":\"Not allowed: " + detail +
           "\",\"responseType\":5,\"errorCode\":\"CMNTRY 211\"}";
}
const std::string kReused = "{\"statusCode\":409,\"description\":\"Retention id already used by another request\","
                            "\"responseType\":5,\"errorCode\":\"CMNTRY 302\"}";

std::string commentOf(const std::string& source, const std::string& more = "")
{
    return "\"sourceCUID\":" + quote(source) + more;
}

}  // namespace

std::string ServerOps::rows(const std::string& source)
{
    return answer(getRequest(m_token, commentOf(source, ",\"hidden\":true")));
}

TEST_P(ServerOps, ModifyDeleteAndHideAreAllowedAsThePolicySays)
{
    const struct {
        AuthorizationPolicy policy;
        const char* caller;
        bool allowed;
    } cases[] = {{AuthorizationPolicy::Owner, "alice", true}, {AuthorizationPolicy::Owner, "bob", false},
                 {AuthorizationPolicy::Owner, "root", true},  {AuthorizationPolicy::Open, "alice", true},
                 {AuthorizationPolicy::Open, "bob", true},    {AuthorizationPolicy::Open, "root", true}};
    int documents = 0;
    for (const auto& c : cases) {
        auto processor = makeProcessor(*m_store, c.policy);
        const std::string token = tokenFor(c.caller);
        for (const char* kind : {"modify", "delete", "hide"}) {
            const std::string source = "authz-" + std::to_string(++documents);
            const Reply own = call(request(1, token, commentOf(source, ",\"text\":\"own\"")));
            const std::string callers = member(own.comment, "commentId");
            const int alices = add(source, "a");
            const std::string id = std::to_string(alices);
            const std::string text =
                kind == std::string("modify")   ? request(3, token, commentOf(source, ",\"commentId\":" + id + ",\"text\":\"x\""))
                : kind == std::string("delete") ? request(4, token, commentOf(source, ",\"commentId\":" + id))
                    // the caller's own comment first: one foreign comment refuses the whole hide
                    : request(6, token, commentOf(source), ",\"CommentIds\":[" + callers + "," + id + "]");
            const std::string before = rows(source);
            const std::string reply = u8(processor->process(u16(text)).response);
            const std::string what = std::string(c.caller) + " " + kind + (c.policy == AuthorizationPolicy::Open ? " open" : "");
            if (c.allowed) {
                EXPECT_EQ(readReply(u16(reply)).statusCode, 0) << what << ": " << reply;
                EXPECT_NE(rows(source), before) << what;
            } else {
                EXPECT_EQ(reply, forbidden("comment " + id + " belongs to another user")) << what;
                EXPECT_EQ(rows(source), before) << what;
            }
        }
    }
}

TEST_P(ServerOps, AddTakesItsAuthorFromTheTokenAndOnlyAdministratorsAddForOthers)
{
    const struct {
        const char* caller;
        std::string members;
        std::string expected;  // owner, user name, last-modified user; or the refusal
    } cases[] = {
        {"alice", ",\"ownerCUID\":\"bob\"", forbidden("ownerCUID names another user")},
        {"alice", ",\"userName\":\"bob\",\"lastModifiedUserCuid\":\"bob\",\"lastModifiedUserName\":\"bob\"",
         "alice alice alice"},
        {"alice", ",\"ownerCUID\":\"alice\",\"userName\":\"Alice A.\"", "alice alice alice"},
        {"root", ",\"ownerCUID\":\"alice\",\"userName\":\"alice\"", "alice root root"},
    };
    for (AuthorizationPolicy policy : {AuthorizationPolicy::Owner, AuthorizationPolicy::Open}) {
        auto processor = makeProcessor(*m_store, policy);
        for (const auto& c : cases) {
            const std::string before = rows("authors");
            const std::string reply = u8(processor->process(u16(request(
                1, tokenFor(c.caller), commentOf("authors", ",\"text\":\"t\"" + c.members)))).response);
            const CommentMembers stored = readReply(u16(reply)).comment;
            if (stored.empty()) {
                EXPECT_EQ(reply, c.expected) << c.members;
                EXPECT_EQ(rows("authors"), before) << c.members;
            } else {
                EXPECT_EQ(member(stored, "ownerCUID") + " " + member(stored, "userName") + " " +
                              member(stored, "lastModifiedUserName"),
                          c.expected)
                    << c.members;
            }
        }
    }
}

TEST_P(ServerOps, AReusedRetentionKeyReplaysOnlyForTheSameUserAndKind)
{
    const std::string bob = tokenFor("bob");
    const int bobs = std::atoi(
        member(call(request(1, bob, commentOf("victim", ",\"text\":\"b\""))).comment, "commentId").c_str());
    const std::string add = request(1, m_token, commentOf("victim", ",\"text\":\"secret plan\""));
    const auto first = m_processor->process(u16(add), ftKey("victim-client:7", 7));
    ASSERT_EQ(first.statusCode, 0);
    const int alices = std::atoi(member(readReply(first.response).comment, "commentId").c_str());
    const struct {
        std::string text, expected;
    } cases[] = {
        {request(4, bob, commentOf("victim", ",\"commentId\":" + std::to_string(bobs))), kReused},
        // Refused if it ran (not bob's comment): still the key's answer.
        {request(4, bob, commentOf("victim", ",\"commentId\":" + std::to_string(alices))), kReused},
        {request(1, bob, commentOf("victim", ",\"text\":\"secret plan\"")), kReused},
        {request(3, m_token, commentOf("victim", ",\"commentId\":" + std::to_string(alices) + ",\"text\":\"x\"")),
         kReused},
        {add, u8(first.response)},
    };
    const std::string before = rows("victim");
    for (const auto& c : cases) {
        EXPECT_EQ(u8(m_processor->process(u16(c.text), ftKey("victim-client:7", 7)).response), c.expected);
        EXPECT_EQ(rows("victim"), before);
    }
}

TEST_P(ServerOps, ReplyRowsOfAnOlderDatabaseMatchNoRequest)
{
    const std::string location = GetParam()->freshDatabase();
    GetParam()->exec(location,
                     "CREATE TABLE lumo_reply (client_id TEXT NOT NULL, retention_id INTEGER NOT NULL,"
                     " expires_ms BIGINT NOT NULL, created_ms BIGINT NOT NULL, reply TEXT NOT NULL,"
                     " PRIMARY KEY (client_id, retention_id));"
                     "INSERT INTO lumo_reply VALUES ('6f6c64', 1, 0, " + std::to_string(kStart) +
                         ", '{\"statusCode\":0,\"description\":\"success\",\"responseType\":1}');");
    auto store = GetParam()->open(location);
    GetParam()->open(location);  // a migrated database opens again
    auto processor = makeProcessor(*store);
    const std::string add = request(1, m_token, commentOf("up", ",\"text\":\"t\""));
    EXPECT_EQ(u8(processor->process(u16(add), ftKey("old", 1)).response), kReused);
    EXPECT_EQ(processor->process(u16(add), ftKey("new", 1)).responseType, 1);
    EXPECT_TRUE(processor->process(u16(add), ftKey("new", 1)).replayed);
}

}  // namespace server_test
