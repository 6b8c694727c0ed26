// Copies one store into another in a single transaction of the target:
// every comment with its id, times, hidden flag and all fields, and the reply
// rows that have not expired (so that a client retrying across the move gets
// its recorded reply).  The target must be empty unless merging, and then no
// comment id and no reply key may exist on both sides.  The id sequence of
// the target continues after the highest id it holds.  Before the commit the
// target's counts are checked against the source's; any refusal or failure
// rolls the target back untouched.
#pragma once

#include <cstdint>
#include <string>

#include "server/core/CommentStore.h"

namespace lumo_server {

struct CopyReport {
    StoreCounts copied;  // documents: distinct documents of the source
    StoreCounts targetAfter;
    std::string text() const;
};

class StoreCopy {
public:
    // Raises AdminError (refusals, failed checks) or StoreError.
    static CopyReport run(CommentStore& from, CommentStore& to, bool merge, int64_t nowMs);

    // Refuses a target that holds comments or replies unless merging.
    static void requireEmpty(StoreTransaction& target, bool merge);
};

}  // namespace lumo_server
