// What each request kind needs beyond well-formed members, checked before any
// storage is touched (400 "CMNTRY 107" or, for sort parameters and
// qualifiers, "CMNTRY 108"):
//   add        comment.text and comment.sourceCUID not empty
//   get        comment.sourceCUID not empty; valid sort parameters and qualifiers
//   modify     comment.commentId not -1, comment.sourceCUID not empty, and at
//              least one of the ten content fields not empty
//   delete     comment.commentId not -1, comment.sourceCUID not empty
//   hide       comment.sourceCUID not empty (the id list may be empty)
//   duplicate  comment.sourceCUID and targetDocCuid not empty and different
#pragma once

#include <optional>

#include "server/core/CommentaryRequest.h"
#include "server/core/ServerError.h"

namespace lumo_server {

class RequestRules {
public:
    static std::optional<ServerError> check(const CommentaryRequest& request);
};

}  // namespace lumo_server
