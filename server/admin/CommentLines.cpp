#include "server/admin/CommentLines.h"

#include <limits>
#include <string>

#include "server/admin/AdminError.h"
#include "server/core/RequestReader.h"
#include "server/core/ResponseWriter.h"
#include "server/core/Utf16Text.h"

namespace lumo_server {
namespace {

constexpr int kPage = 1000;

void writeLine(const CommentRecord& comment, std::ostream& out)
{
    out << utf16ToUtf8(ResponseWriter::comment(comment)) << '\n';
}

CommentRecord readLine(const RequestReader& reader, const std::string& line)
{
    const std::u16string text = utf8ToUtf16(line);
    if (utf16ToUtf8(text) != line) throw AdminError("the text is not UTF-8");
    ReadResult result = reader.readComment(text);
    if (!result.ok) throw AdminError(result.error.description.toUtf8());
    const CommentRecord& comment = result.request.comment;
    if (comment.commentId < 1) throw AdminError("a positive commentId is required");
    if (comment.sourceCUID.isEmpty()) throw AdminError("sourceCUID is required");
    return comment;
}

}  // namespace

int64_t CommentLines::write(StoreTransaction& from, const std::optional<SWCharString>& document, std::ostream& out)
{
    int64_t written = 0;
    if (document) {
        CommentFilter filter;
        filter.sourceCUID = *document;
        filter.includeHidden = true;
        for (const CommentRecord& comment : from.selectComments(filter)) {
            writeLine(comment, out);
            ++written;
        }
        return written;
    }
    for (int32_t last = 0;;) {
        const std::vector<CommentRecord> page = from.commentsAfter(last, kPage);
        for (const CommentRecord& comment : page) {
            writeLine(comment, out);
            ++written;
        }
        if (page.size() < static_cast<std::size_t>(kPage)) return written;
        last = page.back().commentId;
    }
}

int64_t CommentLines::read(std::istream& in, StoreTransaction& to, const RequestLimits& limits)
{
    RequestLimits lineLimits = limits;
    lineLimits.maxRequestChars = std::numeric_limits<std::size_t>::max();  // the fields are bounded
    const RequestReader reader(lineLimits);
    int64_t restored = 0;
    std::string line;
    for (int64_t number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        try {
            const CommentRecord comment = readLine(reader, line);
            if (!to.restoreComment(comment))
                throw AdminError("comment id " + std::to_string(comment.commentId) + " exists in the target");
        } catch (const AdminError& e) {
            throw AdminError("line " + std::to_string(number) + ": " + e.what() + "; nothing was imported");
        }
        ++restored;
    }
    if (in.bad()) throw AdminError("reading the input failed; nothing was imported");
    to.continueIdsAfterHighest();
    return restored;
}

}  // namespace lumo_server
