// Small node tests shared by the block mode helper's files.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class DOMComment;
class DOMElement;
class DOMNode;

namespace BlockModeHelperDetail {

// Text (not CDATA) holding only HTML whitespace and the frame's substitute character.
bool isWhitespaceOnlyText(const DOMNode*);
// A comment whose data, trimmed of whitespace, starts with the prefix.
bool isCommentWithPrefix(const DOMNode*, const std::optional<std::u16string>& prefix);
// The comment's data trimmed of HTML whitespace at both ends.
std::u16string trimmedCommentText(const DOMComment&);
// The same, as a view of the comment's data (valid while the data is unchanged).
std::u16string_view trimmedCommentTextView(const DOMComment&);
// The block type named by an opening comment's data, if it parses.
std::optional<std::u16string> blockTypeOfStartComment(const DOMComment&);
std::u16string lowercaseTagName(const DOMElement&);

} // namespace BlockModeHelperDetail
} // namespace brevanton
