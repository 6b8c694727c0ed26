// Writes response JSON, compactly (no whitespace), members in a fixed order:
//   success  {"statusCode":0,"description":"success","responseType":t}
//   add      ... ,"comment":{the stored comment}}
//   get      ... ,"comments":[{comment},...]}
//   error    {"statusCode":n,"description":"...","responseType":5,"errorCode":"CMNTRY nnn"}
// A comment object is written as the commentary module writes one: string
// members only when not empty, "commentId" unless it is -1, "hidden" and both
// timestamps always.
//
// Design decision: the server writes its replies itself, with RapidJSON's
// streaming writer, rather than through the model's comment classes: a get
// of thousands of comments builds no document, and the module's reader is
// checked against a writer that does not share its code.
#pragma once

#include <string>
#include <vector>

#include "server/core/CommentRecord.h"
#include "server/core/ServerError.h"

namespace lumo_server {

class ResponseWriter {
public:
    static std::u16string success(int32_t responseType);
    static std::u16string addSuccess(const CommentRecord& stored);
    static std::u16string getSuccess(const std::vector<CommentRecord>& comments);
    static std::u16string error(const ServerError& error);
    // The comment object on its own (tests and tools).
    static std::u16string comment(const CommentRecord& comment);
};

}  // namespace lumo_server
