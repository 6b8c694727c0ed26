// Storage of comments and of the replies of exactly-once requests.
//
// One abstract store, two implementations (SQLite, PostgreSQL) with the same
// semantics.  All work happens in transactions, and one request is one
// transaction.  SQLite write transactions are exclusive (BEGIN IMMEDIATE);
// PostgreSQL ones run side by side, and the claim on the reply key (INSERT
// ... ON CONFLICT, which waits for a racing transaction holding the same key)
// and row locks (SELECT ... FOR UPDATE) give the same outcome: a request with
// a reply key runs at most once, and a read-modify-write never loses a
// concurrent change.  Failures raise StoreError; a transaction that is
// destroyed without commit() rolls back.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "server/core/CommentRecord.h"

namespace lumo_server {

class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A wait of the store ran out (SQLite's busy timeout, PostgreSQL's
// lock_timeout or statement_timeout), or the request's deadline passed
// before its commit: the transaction is rolled back and nothing changed.
class StoreBusy : public StoreError {
public:
    using StoreError::StoreError;
};

// The equality filters of a get request.  Only these columns are filterable.
enum class FilterColumn {
    LogicalReportId,
    AppName,
    AppContext,
    ContextCommon,
    AppDatapath,
    OptionKey1,
    OptionKey2,
    OptionKey3,
    OptionKey4
};

struct CommentFilter {
    SWCharString sourceCUID;
    bool includeHidden = false;
    int32_t commentId = -1;  // -1: any
    std::vector<std::pair<FilterColumn, SWCharString>> equals;
};

// Key of an exactly-once request: the FT client id (any bytes) and the
// retention id.
struct ReplyKey {
    std::string clientId;
    int32_t retentionId = 0;
};

// One row of the reply table (lumo_reply): the key, who sent which kind of
// request under it, and the reply that was recorded.  A replay must match the
// user and the kind.  Rows of databases from before the user and kind were
// kept read back with an empty user and kind 0, which match no request.
struct ReplyRecord {
    ReplyKey key;
    SWCharString userName;    // the token's user
    int32_t requestType = 0;  // the request kind
    int64_t expiresMs = 0;    // the FT expiration time; 0: none given
    int64_t createdMs = 0;
    std::u16string reply;     // empty while claimed and not yet recorded
};

// What a store holds (the admin tool's stats and its checks after a copy).
struct StoreCounts {
    int64_t documents = 0;  // distinct sourceCUIDs
    int64_t comments = 0;
    int64_t hiddenComments = 0;
    int64_t replies = 0;  // rows of the reply table
};

// Whether opening a store may create its tables.  The admin tool opens the
// store it reads from with Require, so that a mistyped source is refused
// rather than created empty.
enum class SchemaMode { Create, Require };

class StoreTransaction {
public:
    virtual ~StoreTransaction() = default;

    // Exactly-once support.  claimReply claims the key for this transaction:
    // Claimed, or Taken when a row for the key exists (committed by another
    // transaction, possibly of another server, or written earlier in this
    // one), and then storedReply gives the row.  A store whose write
    // transactions exclude each other answers Unchecked instead: it looks
    // for the key only when recording, since its insert looks anyway.
    // recordReply stores the claimed key's reply and returns false when the
    // key turns out taken (after Unchecked only); nothing is stored then.
    enum class Claim { Claimed, Taken, Unchecked };
    virtual Claim claimReply(const ReplyRecord& claim) = 0;
    virtual std::optional<ReplyRecord> storedReply(const ReplyKey& key) = 0;
    virtual bool recordReply(const ReplyKey& key, const std::u16string& reply) = 0;

    // Inserts a comment (its commentId is ignored) and returns the new id,
    // unique across the database and greater than every id given before.
    virtual int32_t insertComment(const CommentRecord& comment) = 0;
    // Comments matching the filter, in commentId order.
    virtual std::vector<CommentRecord> selectComments(const CommentFilter& filter) = 0;
    // The comment with this id in this document; in a write transaction the
    // row stays locked against other writers until the end of the transaction.
    virtual std::optional<CommentRecord> findComment(int32_t commentId, const SWCharString& sourceCUID) = 0;
    // Rewrites every stored field of the comment with this id and sourceCUID;
    // false when there is none.
    virtual bool updateComment(const CommentRecord& comment) = 0;
    virtual bool deleteComment(int32_t commentId, const SWCharString& sourceCUID) = 0;
    // Sets the hidden flag of the comment; false when there is none.
    virtual bool setHidden(int32_t commentId, const SWCharString& sourceCUID) = 0;

    // Bulk access for moving, backing up and restoring a store.
    // Up to `limit` comments with ids above afterId, in id order.
    virtual std::vector<CommentRecord> commentsAfter(int32_t afterId, int limit) = 0;
    // The reply rows whose expiry has not passed at nowMs (or that have none).
    virtual std::vector<ReplyRecord> liveReplies(int64_t nowMs) = 0;
    // Inserts the comment with its own id and times; false when the id is taken.
    virtual bool restoreComment(const CommentRecord& comment) = 0;
    // Inserts the row as it is; false when its key is taken.
    virtual bool restoreReply(const ReplyRecord& reply) = 0;
    // Moves the id sequence forward to the highest stored id (never back), so
    // that insertComment never hands out a restored id.
    virtual void continueIdsAfterHighest() = 0;
    virtual StoreCounts counts() = 0;

    // A nested unit of work inside the transaction: mark() opens it,
    // keepMarked() makes its changes part of the transaction, undoMarked()
    // takes them back (the transaction stays open).  Units do not nest.
    virtual void mark() = 0;
    virtual void keepMarked() = 0;
    virtual void undoMarked() = 0;

    virtual void commit() = 0;
};

class CommentStore {
public:
    virtual ~CommentStore() = default;
    virtual std::unique_ptr<StoreTransaction> beginWrite() = 0;
    // A read transaction sees one snapshot of the store from its first
    // statement to its end.
    virtual std::unique_ptr<StoreTransaction> beginRead() = 0;
    // Deletes reply rows whose expiry has passed or that were created before
    // createdBeforeMs; returns how many.
    virtual int64_t purgeReplies(int64_t nowMs, int64_t createdBeforeMs) = 0;
    // "sqlite" or "postgres".
    virtual const char* kind() const = 0;
    // True when the store runs one write transaction at a time anyway, so
    // that the writes of concurrent requests lose nothing by sharing one
    // transaction and its commit (GroupCommit).
    virtual bool serializesWrites() const { return false; }
};

}  // namespace lumo_server
