#include "server/core/CommentOrdering.h"

#include <algorithm>
#include <limits>
#include <string>

namespace lumo_server {
namespace {

constexpr int32_t kLastModifiedTime = 0;
constexpr int32_t kCreationTime = 1;
constexpr int32_t kAscending = 0;
constexpr int32_t kDescending = 1;
constexpr int32_t kTop = 0;

ServerError invalid(const std::string& detail) { return ServerError::make(ErrorKind::InvalidSortOrQualifier, detail); }

// Design decision: a TOP value is one or more ASCII digits and nothing else
// (no sign, no blanks); a value beyond 64 bits means "no limit" in effect.
bool parseTop(const SWCharString& value, uint64_t& out)
{
    if (value.isEmpty()) return false;
    uint64_t n = 0;
    for (char16_t c : value.str()) {
        if (c < u'0' || c > u'9') return false;
        const uint64_t digit = static_cast<uint64_t>(c - u'0');
        n = n > (std::numeric_limits<uint64_t>::max() - digit) / 10 ? std::numeric_limits<uint64_t>::max()
                                                                     : n * 10 + digit;
    }
    out = n;
    return true;
}

int64_t sortValue(const CommentRecord& c, int32_t attribute)
{
    return attribute == kCreationTime ? c.creationTimestamp : c.lastModifiedTimestamp;
}

}  // namespace

std::optional<ServerError> CommentOrdering::parse(const std::vector<SortParam>& sortParams,
                                                  const std::vector<Qualifier>& qualifiers,
                                                  CommentOrdering& ordering)
{
    CommentOrdering result;
    for (std::size_t i = 0; i < sortParams.size(); ++i) {
        const SortParam& p = sortParams[i];
        const std::string where = " in sortparams[" + std::to_string(i) + "]";
        if (p.attribute != kLastModifiedTime && p.attribute != kCreationTime)
            return invalid("unknown sort attribute " + std::to_string(p.attribute) + where);
        if (p.order != kAscending && p.order != kDescending)
            return invalid("unknown sort order " + std::to_string(p.order) + where);
        result.m_keys.push_back(p);
    }
    for (std::size_t i = 0; i < qualifiers.size(); ++i) {
        const Qualifier& q = qualifiers[i];
        const std::string where = " in qualifiers[" + std::to_string(i) + "]";
        if (q.attribute != kTop) return invalid("unknown qualifier attribute " + std::to_string(q.attribute) + where);
        uint64_t n = 0;
        if (!parseTop(q.value, n)) return invalid("TOP value is not a decimal number" + where);
        if (!result.m_limit || n < *result.m_limit) result.m_limit = n;
    }
    ordering = std::move(result);
    return std::nullopt;
}

void CommentOrdering::apply(std::vector<CommentRecord>& comments) const
{
    const auto& keys = m_keys;
    std::sort(comments.begin(), comments.end(), [&keys](const CommentRecord& a, const CommentRecord& b) {
        for (const SortParam& key : keys) {
            const int64_t x = sortValue(a, key.attribute);
            const int64_t y = sortValue(b, key.attribute);
            if (x != y) return key.order == kDescending ? x > y : x < y;
        }
        // Design decision: ids grow with creation, so comments whose keys
        // are all equal (added within one millisecond) follow their ids in
        // the direction of the primary key: "newest first" stays newest first.
        const bool descending = !keys.empty() && keys.front().order == kDescending;
        return descending ? a.commentId > b.commentId : a.commentId < b.commentId;
    });
    if (m_limit && *m_limit < comments.size()) comments.resize(static_cast<std::size_t>(*m_limit));
}

}  // namespace lumo_server
