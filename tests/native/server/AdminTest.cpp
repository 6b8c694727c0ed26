// The admin tool against live stores: a move from SQLite to PostgreSQL with
// servers on both sides, export and import round trips, refused input, and
// the commands of the README's Operating section.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "server/client/CommentaryClient.h"
#include "tests/native/server/support/PostgresInstance.h"
#include "tests/native/server/support/ServerProcess.h"

using lumo_server::CommentaryClient;
using test_support::NamingService;

namespace server_test {
namespace {

const std::string kBin = LUMO_BIN_DIR;
// Text outside the basic multilingual plane, quotes, backslashes, control
// characters, and a text of exactly the field limit (65536 code units).
const std::vector<std::string> kTexts = {u8"G clef \U0001D11E, euro \u20AC, cent \u00A2, $",
                                         "quotes \" and backslashes \\ \\\\", "tab\tline\nbell\x07",
                                         std::string(65534, 'x') + u8"\U0001D11E"};

// One SQLite store filled through a server once for the suite: document "d"
// with FT adds (one per text) and a hidden comment, its duplicate in "e".
class AdminTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_postgres = new PostgresInstance;
        s_dir = new TempDir;
        if (!s_postgres->start(s_error)) return;
        Server filler(*s_dir, "filler", {"--no-naming", "--ior-file", s_dir->file("ior"), "--sqlite", sqlite()});
        if (!filler.ready()) return void(s_error = readFile(s_dir->file("filler.err")));
        const std::string ior = readFile(s_dir->file("ior"));
        LumoCommentaryService_var service = CommentaryClient::resolveByIor(g_orb, ior.substr(0, ior.find('\n')));
        for (std::size_t i = 0; i < kTexts.size(); ++i)
            s_replies.push_back(send(service, addText(kTexts[i]), ft("mover", int32_t(i))));
        send(service, request(6, token(), "\"sourceCUID\":\"d\"", ",\"CommentIds\":[2]"), ft("mover", 10));
        send(service, request(7, token(), "\"sourceCUID\":\"d\"", ",\"targetDocCuid\":\"e\""), ft("mover", 11));
        for (const char* document : {"d", "e"}) s_gets.push_back(send(service, getAll(document)));
        if (filler.stop() != 0) s_error = "the filling server did not stop cleanly";
    }
    static void TearDownTestSuite() { delete s_dir; delete s_postgres; }
    void SetUp() override { ASSERT_EQ(s_error, ""); }

    static std::string sqlite() { return s_dir->file("filled.db"); }
    static std::string addText(const std::string& text)
    {
        return request(1, token(), "\"sourceCUID\":\"d\",\"text\":" + quote(text));
    }
    static std::string getAll(const std::string& document)
    {
        return getRequest(token(), "\"sourceCUID\":\"" + document + "\",\"hidden\":true",
                          "{\"sortattribute\":1,\"sortorder\":1}");
    }
    ProgramRun admin(std::vector<std::string> args, const std::string& input = "/dev/null")
    {
        args.insert(args.begin(), kBin + "/lumo_commentary_admin");
        return runProgram(m_dir, args, input);
    }
    std::string stats(const std::string& store) { return admin({"stats", "--from", store}).out; }
    std::string file(const std::string& name, const std::string& text)
    {
        std::ofstream(m_dir.file(name), std::ios::binary) << text;
        return m_dir.file(name);
    }

    static PostgresInstance* s_postgres;
    static TempDir* s_dir;
    static std::string s_error;
    static std::vector<std::u16string> s_replies, s_gets;
    TempDir m_dir;
};
PostgresInstance* AdminTest::s_postgres;
TempDir* AdminTest::s_dir;
std::string AdminTest::s_error;
std::vector<std::u16string> AdminTest::s_replies, AdminTest::s_gets;

TEST_F(AdminTest, MovingToPostgresKeepsRepliesIdsAndOrder)
{
    const std::string conninfo = s_postgres->freshSchema();
    const ProgramRun copy = admin({"copy", "--from", "sqlite:" + sqlite(), "--to", "postgres:" + conninfo});
    ASSERT_EQ(copy.code, 0) << copy.err;
    EXPECT_EQ(copy.out.substr(0, copy.out.find(" (sqlite:")),
              "copied 8 comments (2 hidden) of 2 documents and 6 replies; the target holds 8 comments and 6 replies");
    EXPECT_EQ(stats("postgres:" + conninfo), "documents 2\ncomments 8\nhidden 2\nreplies 6\n");

    NamingService names(m_dir);
    ASSERT_TRUE(names.ready());
    Server a(m_dir, "A", {"--naming", names.ref(), "--postgres", conninfo});
    Server b(m_dir, "B", {"--naming", names.ref(), "--postgres", conninfo});
    ASSERT_TRUE(a.ready() && b.ready());
    LumoCommentaryService_var atA = CommentaryClient::resolveByNaming(g_orb, names.ref(), "LumoCommentary", "A");
    LumoCommentaryService_var atB = CommentaryClient::resolveByNaming(g_orb, names.ref(), "LumoCommentary", "B");
    // A client retrying across the move gets its recorded reply, not a second comment.
    EXPECT_EQ(send(atB, addText(kTexts[1]), ft("mover", 1)), s_replies[1]);
    EXPECT_EQ(b.logLines(), std::vector<std::string>{"1 1 1 0 replay"});
    EXPECT_EQ(send(atA, getAll("d")), s_gets[0]);
    EXPECT_EQ(send(atB, getAll("e")), s_gets[1]);
    EXPECT_EQ(member(readReply(send(atA, addText("after the move"))).comment, "commentId"), "9");
    EXPECT_EQ(a.stop(), 0);
    EXPECT_EQ(b.stop(), 0);
}

TEST_F(AdminTest, ExportAndImportRoundTripTextExactly)
{
    const std::string postgres = "postgres:" + s_postgres->freshSchema();
    const ProgramRun exported = admin({"export", "--from", "sqlite:" + sqlite()});
    ASSERT_EQ(exported.code, 0) << exported.err;
    const std::string backup = file("backup.jsonl", exported.out);
    const ProgramRun imported = admin({"import", "--to", postgres}, backup);
    EXPECT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(imported.out.substr(0, imported.out.find(" into ")), "imported 8 comments");
    EXPECT_EQ(admin({"export", "--from", postgres}).out, exported.out);

    std::istringstream lines(admin({"export", "--from", postgres, "--document", "d"}).out);
    std::vector<std::string> texts;
    for (std::string line; std::getline(lines, line);)
        texts.push_back(member(readReply(u16("{\"comment\":" + line + "}")).comment, "text"));
    EXPECT_EQ(texts, kTexts);
}

TEST_F(AdminTest, RefusedInputLeavesTheTargetAsItWas)
{
    const std::string target = "postgres:" + s_postgres->freshSchema();
    const std::string one = "{\"sourceCUID\":\"d\",\"text\":\"kept\",\"commentId\":1,\"hidden\":false,"
                            "\"lastmodifiedtimestamp\":5,\"creationtimestamp\":5}\n";
    ASSERT_EQ(admin({"import", "--to", target}, file("one", one)).code, 0);
    const std::string held = "documents 1\ncomments 1\nhidden 0\nreplies 0\n";
    ASSERT_EQ(stats(target), held);

    const std::string missing = m_dir.file("missing.db");
    const struct {
        std::vector<std::string> args;
        std::string input, error;
    } cases[] = {
        {{"import", "--to", target, "--merge"}, "{\"commentId\":7,\"sourceCUID\":\"d\"}\n\n{\"commentId\":8,\"hidden\":\"no\"}",
         "line 3: Wrong type of member: comment.hidden; nothing was imported"},
        {{"import", "--to", target, "--merge"}, "{\"sourceCUID\":\"d\",\"text\":\"no id\"}",
         "line 1: a positive commentId is required; nothing was imported"},
        {{"import", "--to", target, "--merge"}, "{\"commentId\":9,\"sourceCUID\":\"\xff\"}",
         "line 1: the text is not UTF-8; nothing was imported"},
        {{"import", "--to", target, "--merge"}, one, "line 1: comment id 1 exists in the target; nothing was imported"},
        {{"import", "--to", target}, one, "the target is not empty (1 comments, 0 replies); give --merge to add to it"},
        {{"copy", "--from", "sqlite:" + sqlite(), "--to", target}, "",
         "the target is not empty (1 comments, 0 replies); give --merge to add to it"},
        {{"copy", "--from", "sqlite:" + sqlite(), "--to", target, "--merge"}, "",
         "comment id 1 exists in the target: nothing was copied"},
        {{"copy", "--from", "sqlite:" + missing, "--to", target}, "",
         "cannot open sqlite:" + missing + ": cannot open SQLite database " + missing + ": unable to open database file"},
        {{"copy", "--from", "sqlite:" + sqlite(), "--to", "postgres:host=" + m_dir.path() + " port=1"}, "",
         "cannot open postgres host=" + m_dir.path() + " port=1: cannot connect to PostgreSQL: "},
    };
    for (const auto& c : cases) {
        const ProgramRun run = admin(c.args, file("input", c.input));
        EXPECT_EQ(run.code, 1) << c.error;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')).substr(0, 23 + c.error.size()), "lumo_commentary_admin: " + c.error);
        EXPECT_EQ(stats(target), held) << c.error;
    }
    EXPECT_FALSE(std::filesystem::exists(missing)) << "a store read from is never created";
}

// Runs the sh blocks of server/README.md's Operating section, in order, in
// one shell, with the cluster's variables set; the servers they start in
// the background are stopped by their process ids at the end.
TEST_F(AdminTest, TheOperatingSectionOfTheReadmeRuns)
{
    NamingService names(m_dir);
    ASSERT_TRUE(names.ready());
    std::filesystem::copy_file(sqlite(), m_dir.file("commentary.db"));
    const ProgramRun extract = runProgram(
        m_dir, {"/usr/bin/awk", "/^## /{on=$2==\"Operating\"} on&&/^```/{sh=!sh&&$0==\"```sh\";next} on&&sh",
                LUMO_SERVER_README});
    ASSERT_NE(extract.out, "");
    const std::string harness =
        "set -euo pipefail; trap 'kill $(jobs -p) 2>/dev/null; wait' EXIT; cd \"$0\"; source \"$1\"";
    const std::vector<std::string> environment{
        "PATH=" + kBin + ":/usr/bin:/bin", "NAMING=" + names.ref(), "PG=" + s_postgres->freshSchema(),
        "SECRET_FILE=" + test_support::writePrivateFile(m_dir.file("secret"), "readme-secret"), "METRICS_PORT=" + std::to_string(freePort())};
    std::vector<std::string> argv{"/usr/bin/env"};
    argv.insert(argv.end(), environment.begin(), environment.end());
    argv.insert(argv.end(), {"/bin/bash", "-c", harness, m_dir.path(), file("operating.sh", extract.out)});
    const ProgramRun run = runProgram(m_dir, argv);
    EXPECT_EQ(run.code, 0) << run.out << run.err;
}

}  // namespace
}  // namespace server_test
