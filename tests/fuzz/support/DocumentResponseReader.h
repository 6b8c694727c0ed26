// The way the model read response texts before it read them as a stream:
// the whole text parsed into a document (lumo_json::parse), each member then
// looked up by name, the first of a name counting, and each element of
// "comments" that is an object read by Comment::fromJSON.  Kept beside the
// streaming reader (model/ResponseReader) so that the parser-equivalence fuzz
// target and the model tests check that both read every text alike.
#pragma once

#include <string>

namespace lumo_fuzz {

// What DefaultCommentResponse, ErrorResponse and GetCommentSuccessResponse
// read from a text, one member a line: the three common members of each, the
// error code, then each comment's JSON.
std::u16string readByModel(const std::u16string& text);

// The same, read by the document reader.
std::u16string readByDocument(const std::u16string& text);

}  // namespace lumo_fuzz
