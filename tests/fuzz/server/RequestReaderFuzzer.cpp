// The server's request reader on any text: a request that keeps the reader's
// promises or one of its error responses, never a crash or a JSON assertion.
#include <cstddef>
#include <cstdint>

#include "server/core/RequestReader.h"
#include "server/core/Utf16Text.h"
#include "tests/fuzz/support/FuzzInput.h"

using lumo_fuzz::require;

namespace {

// A small field bound reaches the member-size error; the request bound stays.
lumo_server::RequestLimits limits()
{
    lumo_server::RequestLimits l;
    l.maxFieldChars = 40;
    return l;
}

bool storable(const SWCharString& s, std::size_t maxChars)
{
    return s.length() <= maxChars && lumo_server::isStorableUtf16(s.c_str(), s.length());
}

void checkComment(const lumo_server::CommentRecord& c, std::size_t maxChars)
{
    const SWCharString* fields[] = {&c.sourceCUID, &c.ownerCUID, &c.text, &c.userName, &c.lastModifiedUserCuid,
                                    &c.lastModifiedUserName, &c.logicalReportId, &c.contextCommon, &c.appName,
                                    &c.appContext, &c.appDatapath, &c.optionKey1, &c.optionKey2, &c.optionKey3,
                                    &c.optionKey4, &c.connecXion};
    for (const SWCharString* f : fields) require(storable(*f, maxChars), "a comment string breaks the bounds");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const lumo_server::RequestReader reader(limits());
    const std::u16string text = lumo_fuzz::utf16Units(data, size);
    const lumo_server::ReadResult result = reader.read(text);
    lumo_fuzz::requireNoJsonAssertion();

    if (!result.ok) {
        const int status = result.error.statusCode;
        require(status == 400 || status == 413, "an unexpected status code");
        require(result.error.errorCode.compare(0, 7, "CMNTRY ") == 0, "an error code outside the table");
        require(!result.error.description.isEmpty(), "an error without a description");
        return 0;
    }
    const lumo_server::CommentaryRequest& r = result.request;
    require(r.requestType >= 1 && r.requestType <= 7, "an unknown request kind was accepted");
    require(result.requestType && *result.requestType == r.requestType, "the kind reported differs");
    require(storable(r.logonToken, limits().maxFieldChars), "the token breaks the bounds");
    require(storable(r.targetDocCuid, limits().maxFieldChars), "the target breaks the bounds");
    for (const auto& q : r.qualifiers) require(storable(q.value, limits().maxFieldChars), "a qualifier breaks the bounds");
    checkComment(r.comment, limits().maxFieldChars);
    require(text.size() <= limits().maxRequestChars, "an oversized text was accepted");
    return 0;
}
