// Order and size of a get result: the request's sort parameters applied in
// order (the first is the primary key), ties broken by commentId ascending,
// then the TOP qualifier.  Without sort parameters the order is commentId
// ascending.
//
//   sortattribute  0 last-modified time, 1 creation time
//   sortorder      0 ascending, 1 descending
//   qualifier      attribute 0 (TOP), value: decimal digits only, N >= 0;
//                  the result keeps its first N comments; with several TOP
//                  qualifiers the smallest N applies.
// Any other attribute or order, or a TOP value that is not a plain decimal
// number, is an error (400).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "server/core/CommentRecord.h"
#include "server/core/CommentaryRequest.h"
#include "server/core/ServerError.h"

namespace lumo_server {

class CommentOrdering {
public:
    // Checks the parameters; on success fills ordering and returns no error.
    static std::optional<ServerError> parse(const std::vector<SortParam>& sortParams,
                                            const std::vector<Qualifier>& qualifiers, CommentOrdering& ordering);

    void apply(std::vector<CommentRecord>& comments) const;

    // The TOP limit, if any.
    std::optional<uint64_t> limit() const { return m_limit; }

private:
    std::vector<SortParam> m_keys;
    std::optional<uint64_t> m_limit;
};

}  // namespace lumo_server
