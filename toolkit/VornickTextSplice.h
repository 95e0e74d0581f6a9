// A replacement of one span of a text by text of another length, as an
// incremental update of a generated text reports it to what indexes or maps
// that text (line starts, node spans).
#pragma once

#include "toolkit/VornickRange.h"

#include <vector>

namespace brevanton {

struct VornickTextSplice {
    // The replaced span of the old text; never empty.
    VornickRange range;
    size_t replacementLength { 0 };

    friend bool operator==(const VornickTextSplice&, const VornickTextSplice&) = default;
};

// Splices of one update: in text order, not overlapping, all in the old text.
using VornickTextSplices = std::vector<VornickTextSplice>;

// Where an offset of the old text lands in the new one. An offset at or after
// the end of a replaced span moves by the change in length; an offset up to
// its start stays. (An offset strictly inside a replaced span is the caller's
// to avoid.)
inline size_t VornickOffsetAfterSplices(size_t offset, const VornickTextSplices& splices)
{
    if (offset == VornickNotFound)
        return offset;
    size_t moved = offset;
    for (const auto& splice : splices) {
        if (splice.range.end() > offset)
            break;
        moved = moved + splice.replacementLength - splice.range.length;
    }
    return moved;
}

} // namespace brevanton
