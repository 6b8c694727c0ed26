// The table layout shared by both stores.  Text columns hold UTF-8; the
// request reader guarantees that every stored text is well-formed UTF-16
// without U+0000, so the conversion is lossless.
//
//   lumo_comment(comment_id, source_cuid, owner_cuid, text, user_name,
//                last_modified_user_cuid, last_modified_user_name,
//                logical_report_id, context_common, app_name, app_context,
//                app_datapath, option_key1 .. option_key4, connecxion,
//                creation_ts, last_modified_ts, hidden)
//   lumo_reply(client_id, retention_id, expires_ms, created_ms, reply,
//              user_name, request_type)
//     primary key (client_id, retention_id); client_id is the FT client id in
//     lower-case hexadecimal, so any bytes fit a text column.  user_name and
//     request_type were added later: opening an older database adds them
//     (empty and 0 for the rows it holds).
#pragma once

#include <string>

#include "server/core/CommentRecord.h"
#include "server/core/CommentStore.h"

namespace lumo_server {

constexpr int kCommentTextColumns = 16;

// "source_cuid, owner_cuid, ..., connecxion" (the 16 text columns in order).
extern const char* const kCommentTextColumnList;
// "comment_id, <text columns>, creation_ts, last_modified_ts, hidden": the
// columns every select reads, in the order readCommentRow expects.
extern const char* const kCommentSelectList;

// The text column of a record by its position in kCommentTextColumnList.
SWCharString& commentText(CommentRecord& comment, int index);
const SWCharString& commentText(const CommentRecord& comment, int index);

const char* filterColumnName(FilterColumn column);

std::string hexClientId(const std::string& clientId);
// The bytes back from hexClientId's text.
std::string clientIdFromHex(const std::string& hex);

// One row: documents, comments, hidden comments, reply rows (both stores).
extern const char* const kCountsQuery;
// "client_id, retention_id, expires_ms, created_ms, reply, user_name,
// request_type": the reply columns that bulk reads read and restores write,
// in this order.
extern const char* const kReplyColumnList;

}  // namespace lumo_server
