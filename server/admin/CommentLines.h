// Comments as lines of text, for backups: one JSON object per line (UTF-8),
// the comment object as the module writes it (strings only when not empty,
// "commentId", "hidden" and both timestamps always).  Export writes them in
// id order; import reads them back with the server's strict comment reader
// and restores each with its id and times.
//
// Design decision: an imported line must carry a positive "commentId" and a
// "sourceCUID" (a backup restores comments as they were; new comments come
// through the server); blank lines are skipped; a line that is not UTF-8, not
// a comment object, or whose id is taken is refused with its line number and
// the whole import is rolled back.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>

#include "server/core/CommentStore.h"
#include "server/core/CommentaryRequest.h"

namespace lumo_server {

class CommentLines {
public:
    // Writes the comments of one document (hidden ones included) or of all;
    // returns how many.  Raises StoreError.
    static int64_t write(StoreTransaction& from, const std::optional<SWCharString>& document, std::ostream& out);

    // Restores every line in the transaction, which the caller commits;
    // returns how many.  Raises AdminError naming the line, or StoreError.
    static int64_t read(std::istream& in, StoreTransaction& to, const RequestLimits& limits);
};

}  // namespace lumo_server
