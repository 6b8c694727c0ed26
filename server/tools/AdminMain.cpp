// lumo_commentary_admin: moves, backs up, restores and counts the comments of
// a store, through the stores' own interface (no SQL of its own).
#include <stdlib.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "platform/session/LogonToken.h"
#include "server/admin/AdminError.h"
#include "server/admin/CommentLines.h"
#include "server/admin/StoreAddress.h"
#include "server/admin/StoreCopy.h"
#include "server/core/Utf16Text.h"

namespace {

using namespace lumo_server;

const char kProgram[] = "lumo_commentary_admin";

const char kHelp[] = R"(Usage:
  lumo_commentary_admin copy --from STORE --to STORE [--merge]
  lumo_commentary_admin export --from STORE [--document CUID] > FILE
  lumo_commentary_admin import --to STORE [--merge] [--max-field-chars N] < FILE
  lumo_commentary_admin stats --from STORE

STORE is sqlite:PATH or postgres:CONNINFO (a libpq connection string; keep the
password out of it: libpq reads it from PGPASSFILE or ~/.pgpass).

  copy    copies every comment (id, times, hidden flag, all fields) and the
          exactly-once replies that have not expired, in one transaction of
          the target; the target's ids continue after the highest copied id.
          The target must be empty unless --merge is given and no comment id
          or reply exists on both sides.  Prints the counts, checked before
          the commit.
  export  writes one JSON comment object per line (UTF-8), in id order: all
          comments, or those of one document (hidden ones included)
  import  reads such lines from standard input and restores each comment with
          its id and times, in one transaction; a bad line is refused with its
          line number and nothing is imported.  The target must be empty
          unless --merge is given.  --max-field-chars: the server's limit
          (default 65536 UTF-16 code units)
  stats   prints the number of documents, comments, hidden comments and rows
          of the reply table

A store read from is never created.  Stop the servers writing to a store
before copying or exporting it, or the copy misses their later changes.
Time limits: a PostgreSQL server that does not answer the connection is
given up after 10 s (unless PGCONNECT_TIMEOUT says otherwise); a SQLite file
locked by a writer after 10 s.

Exit codes: 0 done, 1 refused or failed (the reason on standard error),
2 bad command line.
)";

struct Command {
    std::string verb;
    std::map<std::string, std::string> values;  // --from, --to, --document, --max-field-chars
    bool merge = false;
};

int usage(const std::string& message)
{
    std::cerr << kProgram << ": " << message << "\nTry '" << kProgram << " --help'." << std::endl;
    return 2;
}

std::optional<std::string> parse(int argc, char** argv, Command& command)
{
    static const std::map<std::string, std::vector<std::string>> kAllowed = {
        {"copy", {"--from", "--to", "--merge"}},
        {"export", {"--from", "--document"}},
        {"import", {"--to", "--merge", "--max-field-chars"}},
        {"stats", {"--from"}}};
    if (argc < 2) return std::string("no command given");
    command.verb = argv[1];
    const auto allowed = kAllowed.find(command.verb);
    if (allowed == kAllowed.end()) return "unknown command " + command.verb;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (std::find(allowed->second.begin(), allowed->second.end(), arg) == allowed->second.end())
            return "unknown option " + arg + " for " + command.verb;
        if (arg == "--merge") {
            command.merge = true;
        } else if (i + 1 < argc) {
            command.values[arg] = argv[++i];
        } else {
            return "option " + arg + " needs a value";
        }
    }
    for (const char* required : {"--from", "--to"})
        if (std::find(allowed->second.begin(), allowed->second.end(), required) != allowed->second.end() &&
            !command.values.count(required))
            return command.verb + " needs " + std::string(required);
    return std::nullopt;
}

RequestLimits importLimits(const Command& command)
{
    RequestLimits limits;
    const auto given = command.values.find("--max-field-chars");
    if (given == command.values.end()) return limits;
    const std::string& text = given->second;
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoull(text) == 0)
        throw AdminError("--max-field-chars needs a positive number");
    limits.maxFieldChars = std::stoull(text);
    return limits;
}

int run(const Command& command)
{
    const auto address = [&command](const char* option) { return StoreAddress::parse(command.values.at(option)); };
    if (command.verb == "copy") {
        const StoreAddress from = address("--from"), to = address("--to");
        auto source = from.open(SchemaMode::Require);
        auto target = to.open(SchemaMode::Create);
        const CopyReport report = StoreCopy::run(*source, *target, command.merge, lumo_session::nowMilliseconds());
        std::cout << report.text() << " (" << from.describe() << " to " << to.describe() << ")" << std::endl;
    } else if (command.verb == "export") {
        auto store = address("--from").open(SchemaMode::Require);
        std::optional<SWCharString> document;
        if (command.values.count("--document"))
            document = SWCharString(utf8ToUtf16(command.values.at("--document")));
        CommentLines::write(*store->beginRead(), document, std::cout);
        std::cout.flush();
        if (!std::cout) throw AdminError("writing the output failed");
    } else if (command.verb == "import") {
        const RequestLimits limits = importLimits(command);
        const StoreAddress to = address("--to");
        auto store = to.open(SchemaMode::Create);
        auto transaction = store->beginWrite();
        StoreCopy::requireEmpty(*transaction, command.merge);
        const int64_t restored = CommentLines::read(std::cin, *transaction, limits);
        transaction->commit();
        std::cout << "imported " << restored << " comments into " << to.describe() << std::endl;
    } else {
        auto store = address("--from").open(SchemaMode::Require);
        const StoreCounts counts = store->beginRead()->counts();
        std::cout << "documents " << counts.documents << "\ncomments " << counts.comments << "\nhidden "
                  << counts.hiddenComments << "\nreplies " << counts.replies << std::endl;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << kHelp;
        return 0;
    }
    // Design decision: an unreachable database is a clear failure within 10 s,
    // not a wait for the system's TCP timeout.
    setenv("PGCONNECT_TIMEOUT", "10", 0);
    Command command;
    if (const auto error = parse(argc, argv, command)) return usage(*error);
    try {
        return run(command);
    } catch (const std::exception& e) {
        // AdminError and StoreError: the transaction in progress rolled back.
        std::cerr << kProgram << ": " << e.what() << std::endl;
        return 1;
    }
}
