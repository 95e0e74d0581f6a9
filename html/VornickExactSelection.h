// VornickExactSelection: exactly one thing the user selected: a plain
// element, or a block made of an opening block comment, an optional
// element, an optional interior comment and a closing comment (a
// self-closing opening comment has none). Two selections are equal when
// they name the same element (or both name none); the comments are not
// compared, and the hash follows the same rule.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class DOMComment;
class DOMElement;
class DOMNode;
class DOMRange;

class VornickExactSelection {
public:
    VornickExactSelection(std::shared_ptr<DOMElement> element, std::shared_ptr<DOMComment> blockStartComment,
                          std::shared_ptr<DOMComment> blockInteriorComment, std::shared_ptr<DOMComment> blockEndComment);
    // A plain element.
    explicit VornickExactSelection(std::shared_ptr<DOMElement> element)
        : VornickExactSelection(std::move(element), nullptr, nullptr, nullptr) {}

    const std::shared_ptr<DOMComment>& blockStartComment() const { return m_blockStartComment; }
    const std::shared_ptr<DOMElement>& element() const { return m_element; }
    const std::shared_ptr<DOMComment>& blockInteriorComment() const { return m_blockInteriorComment; }
    const std::shared_ptr<DOMComment>& blockEndComment() const { return m_blockEndComment; }

    // The type name of the opening comment's block metadata ("wp:paragraph");
    // nullopt without an opening comment or when its metadata does not parse.
    std::optional<std::u16string> blockType() const;
    // The opening comment, else the element.
    std::shared_ptr<DOMNode> firstNode() const;
    // The closing comment, else the element, else the interior comment, else the opening comment.
    std::shared_ptr<DOMNode> lastNode() const;
    // From before the first node to after the last; null without a first node.
    std::shared_ptr<DOMRange> outerRange() const;

    // "{ExactSelection: <!--start--><p class=\"x\"><!--interior--><!--end-->}".
    std::u16string description() const;
    size_t hash() const;

    friend bool operator==(const VornickExactSelection& a, const VornickExactSelection& b)
    {
        return a.m_element == b.m_element;
    }

private:
    std::shared_ptr<DOMComment> m_blockStartComment;
    std::shared_ptr<DOMElement> m_element;
    std::shared_ptr<DOMComment> m_blockInteriorComment;
    std::shared_ptr<DOMComment> m_blockEndComment;
};

} // namespace brevanton

template<>
struct std::hash<brevanton::VornickExactSelection> {
    size_t operator()(const brevanton::VornickExactSelection& selection) const noexcept { return selection.hash(); }
};
