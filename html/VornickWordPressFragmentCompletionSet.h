// VornickWordPressFragmentCompletionSet: the completion set of WordPress
// posts. Block-level elements (paragraphs, headings, lists, quotes,
// preformatted text, images, tables, rules, definition lists) are left out of
// the list, since in a post they come as blocks, from the block snippets.
#pragma once

#include "html/VornickFragmentCompletionSet.h"

namespace brevanton {

class VornickWordPressFragmentCompletionSet : public VornickFragmentCompletionSet {
public:
    using VornickFragmentCompletionSet::VornickFragmentCompletionSet;

    bool shouldIncludeElement(std::u16string_view tagName) const override;
};

} // namespace brevanton
