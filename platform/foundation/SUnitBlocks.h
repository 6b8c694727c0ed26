// Loops over text units in blocks of a fixed count, for the text conversions
// and checks: GCC turns the inner loop of a block into vector instructions
// at -O2, which it does not do for a loop of unknown length.
#pragma once

#include <cstddef>

namespace lumo_detail {

constexpr std::size_t kUnitBlock = 8;

// step(i) for every i below count: whole blocks first, then the rest.
template <class Step>
inline void forEachUnitInBlocks(std::size_t count, Step&& step)
{
    std::size_t i = 0;
    for (; i + kUnitBlock <= count; i += kUnitBlock)
        for (std::size_t k = 0; k < kUnitBlock; ++k) step(i + k);
    for (; i < count; ++i) step(i);
}

}  // namespace lumo_detail
