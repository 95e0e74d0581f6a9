// What the text finder asks of the text it searches (its client).
#pragma once

#include "platform/views/TextFinderBarContainer.h"
#include "platform/views/TextFinderMatcher.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class TextFinderClient {
public:
    virtual ~TextFinderClient() = default;

    virtual bool isSelectable() const { return true; }
    virtual bool allowsMultipleSelection() const { return false; }
    virtual bool isEditable() const { return false; }

    // The searched text is given in parts: the part holding `index`, the
    // range it covers, and whether a match may not run on into the next
    // part. Only indices below stringLength() are asked for.
    virtual size_t stringLength() const = 0;
    virtual std::u16string stringAtIndex(size_t index, TextRange* effectiveRange, bool* endsWithSearchBoundary) = 0;

    virtual TextRange firstSelectedRange() = 0;
    virtual std::vector<TextRange> selectedRanges() { return { firstSelectedRange() }; }
    virtual void setSelectedRanges(const std::vector<TextRange>&) = 0;
    virtual void scrollRangeToVisible(TextRange) {}

    // A replacement (one match, or all of them) is asked for first with
    // every range, then made range by range from the last to the first, so
    // that the ranges still to come keep their places, and then announced
    // once.
    virtual bool shouldReplaceCharactersInRanges(const std::vector<TextRange>&, const std::vector<std::u16string>&) { return true; }
    virtual void replaceCharactersInRange(TextRange, const std::u16string&) = 0;
    virtual void didReplaceCharacters() {}
};


} // namespace brevanton
