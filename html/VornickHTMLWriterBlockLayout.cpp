// Inside the HTML writer: the layout of WordPress blocks that a post's body
// keeps (setKeepsWordPressBlockLayout). The parts of a block are siblings:
// its opening comment, its content (an element, or a comment of a block made
// of comments) and its closing comment; blocks nested in a container element
// are children of it. The whitespace between those parts is written as the
// post holds it; where there is none, the separator the block editor writes.
#include "html/VornickHTMLWriter.h"

#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"

namespace brevanton {

namespace {

using Kind = VornickWordPressBlockCommentKind;

// Text of the five HTML space characters only (a no-break space is content).
bool isSpacesOnlyText(const DOMNode* node)
{
    if (!node || node->nodeType() != DOMNode::TEXT_NODE)
        return false;
    const auto& data = downcast<DOMCharacterData>(*node).data();
    if (data.empty())
        return false;
    for (char16_t c : data) {
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\f' && c != u'\r')
            return false;
    }
    return true;
}

// An edit may leave a text node without text: it stands for nothing.
bool isEmptyText(const DOMNode* node)
{
    return node && node->nodeType() == DOMNode::TEXT_NODE && downcast<DOMCharacterData>(*node).data().empty();
}

const DOMNode* previousSiblingPastEmptyText(const DOMNode& node)
{
    const DOMNode* sibling = node.previous();
    while (isEmptyText(sibling))
        sibling = sibling->previous();
    return sibling;
}

const DOMNode* siblingPastSpaces(const DOMNode& node, bool forward)
{
    const DOMNode* sibling = forward ? node.next() : node.previous();
    while (isSpacesOnlyText(sibling) || isEmptyText(sibling))
        sibling = forward ? sibling->next() : sibling->previous();
    return sibling;
}

bool endsBlock(Kind kind)
{
    return kind == Kind::Closing || kind == Kind::SelfClosing;
}

bool startsBlock(Kind kind)
{
    return kind == Kind::Opening || kind == Kind::SelfClosing;
}

} // namespace

// Each comment is looked at from the whitespace before it, from the one
// after it and as a part itself: it is read once.
VornickWordPressBlockCommentKind VornickHTMLWriter::blockCommentKind(const DOMNode* node) const
{
    if (!node || node->nodeType() != DOMNode::COMMENT_NODE)
        return Kind::None;
    if (node != m_lastClassifiedComment) {
        m_lastClassifiedComment = node;
        m_lastClassifiedCommentKind = VornickWordPressBlockCommentKindFromCommentData(downcast<DOMCharacterData>(*node).data());
    }
    return m_lastClassifiedCommentKind;
}

// Whitespace inside a block (after its opening comment, before its closing
// one) and between sibling blocks. What lies between blocks and the edges of
// their parent follows the formatting: written as it is, the whitespace
// after the last block would grow by the output's final line break on every
// round trip.
bool VornickHTMLWriter::writesBlockLayoutWhitespace(const DOMNode& node) const
{
    if (!m_keepsWordPressBlockLayout || m_generatingSearchString || m_preformattedDepth || !isSpacesOnlyText(&node))
        return false;
    Kind before = blockCommentKind(siblingPastSpaces(node, false));
    if (before == Kind::Opening)
        return true;
    Kind after = blockCommentKind(siblingPastSpaces(node, true));
    return after == Kind::Closing || (endsBlock(before) && startsBlock(after));
}

// What goes before a block's part when no whitespace of the post stands
// there: nothing after whitespace just written as it is or at the start of a
// container; a blank line between sibling blocks; a line break inside a
// block. Nullopt where the formatting preferences decide (content that is
// not a block's part, a block after such content).
std::optional<std::u16string_view> VornickHTMLWriter::blockLayoutSeparatorBefore(const DOMNode& node) const
{
    if (!m_keepsWordPressBlockLayout || m_generatingSearchString || m_preformattedDepth)
        return std::nullopt;
    const DOMNode* previous = previousSiblingPastEmptyText(node);
    if (isSpacesOnlyText(previous))
        return previous == m_lastBlockLayoutWhitespace ? std::optional<std::u16string_view>(u"") : std::nullopt;
    Kind kind = blockCommentKind(&node);
    Kind previousKind = blockCommentKind(previous);
    if (kind != Kind::None) {
        if (!previous)
            return u"";
        if (previousKind != Kind::None)
            return endsBlock(previousKind) && startsBlock(kind) ? u"\n\n" : u"\n";
        if (kind == Kind::Closing)
            return u"\n";
        return std::nullopt;
    }
    if (previousKind == Kind::Opening)
        return u"\n";
    return std::nullopt;
}

} // namespace brevanton
