// The strict reader of request JSON.
//
// It accepts exactly the request forms that the commentary module writes:
//   {"requestType":n,"logonToken":"...","comment":{...}}
// plus "sortparams" and "qualifiers" (get), "CommentIds" (hide) and
// "targetDocCuid" (duplicate).  Every member the request kind uses is checked
// for presence, JSON type, size and well-formed text; the result is either a
// typed request or the error to answer with.  Members the kind does not use
// are ignored; a member the kind uses that occurs twice is an error.
//
// Design decision: JSON null is a wrong type (the module never writes it);
// unknown members are ignored (so that clients may add members); a repeated
// member is rejected rather than resolved by "first wins"; strings holding
// U+0000 or a lone surrogate are rejected, because they cannot be stored
// without loss.
//
// The reader depends only on the foundation library and RapidJSON, so that it
// can be fuzzed without the ORB and without storage.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "server/core/CommentaryRequest.h"
#include "server/core/ServerError.h"

namespace lumo_server {

struct ReadResult {
    bool ok = false;
    CommentaryRequest request;  // valid when ok
    ServerError error;          // valid when !ok
    // The request kind when the reader got as far as reading it (for the
    // request log).
    std::optional<int32_t> requestType;
};

class RequestReader {
public:
    explicit RequestReader(const RequestLimits& limits = RequestLimits()) : m_limits(limits) {}

    // text may hold any code units, U+0000 included; length counts code units.
    ReadResult read(const char16_t* text, std::size_t length) const;
    ReadResult read(const std::u16string& text) const { return read(text.data(), text.size()); }
    // One comment object on its own (a line of an export), checked as the
    // comment of a request; the comment lands in result.request.comment.
    ReadResult readComment(const std::u16string& text) const;

    const RequestLimits& limits() const { return m_limits; }

private:
    RequestLimits m_limits;
};

}  // namespace lumo_server
