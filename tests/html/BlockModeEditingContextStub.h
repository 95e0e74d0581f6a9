// A stand-in for the content editing view as the block mode helper sees it:
// the range to act on, whether the view may be edited and linked in, and the
// media sizes and box widths the image rules read, all set by the test.
#pragma once

#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMRange.h"

#include <memory>
#include <optional>
#include <utility>

namespace brevanton::testing {

struct BlockModeEditingContextStub : VornickBlockModeEditingContext {
    bool editable { true };
    bool linkable { true };
    std::shared_ptr<DOMRange> range;
    std::optional<std::pair<long, long>> mediaSize;
    double boxWidth { 0 };
    bool isEditable() const override { return editable; }
    std::shared_ptr<DOMRange> effectiveOperationRange() const override { return range; }
    bool canInsertOrWrapInLink() const override { return linkable; }
    std::optional<std::pair<long, long>> pixelSizeOfMediaFile(const URL&) const override { return mediaSize; }
    double boundingBoxWidthOfElement(const DOMElement&) const override { return boxWidth; }
};

} // namespace brevanton::testing
