// Comment::fromJSON on any text: what a comment read writes out and reads
// back as the very same comment.
#include <cstddef>
#include <cstdint>

#include "model/LumoCommentaryService_Nexa_API.h"
#include "tests/fuzz/support/FuzzInput.h"

using lumocommentaryservice_nexa_api::Comment;

namespace {

SWCharString commentText(const Comment& comment)
{
    lumo_json::Document document;
    document.SetObject();
    comment.toJSON(document, document.GetAllocator());
    return SWCharString(lumo_json::write(document));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const SWCharString text(lumo_fuzz::utf16Units(data, size));
    Comment read;
    read.fromJSON(text);

    const SWCharString written = commentText(read);
    Comment again;
    again.fromJSON(written);
    lumo_fuzz::require(commentText(again) == written, "a comment did not read back as written");
    lumo_fuzz::require(!Comment::formatTimestamp(read.getCreationTimestamp()).isEmpty(), "empty timestamp text");
    lumo_fuzz::requireNoJsonAssertion();
    return 0;
}
