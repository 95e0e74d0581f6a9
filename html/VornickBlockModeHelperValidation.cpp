// The walk over a node's children that finds its blocks and checks their
// structure: every fault becomes an error handed over with what was
// gathered so far, and the walk goes on with cleared state. An error's user
// info carries the text of the comment just met; the nodes held (the open
// start comment, the element, the interior comment) are those of the exact
// selection handed over with it.
#include "html/VornickBlockModeHelper.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "html/VornickBlockModeHelperInternal.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickErrors.h"

#include <algorithm>
#include <vector>

namespace brevanton {

using namespace BlockModeHelperDetail;

namespace {

// The nodes held are children of the walked node, alive for the walk; they
// are held by plain pointers so that a walk over a long post touches each
// node once and takes a reference only for what it hands over.
struct WalkState {
    DOMComment* start { nullptr };
    DOMComment* interior { nullptr };
    DOMElement* element { nullptr };
    // The open block's type holds raw markup.
    bool freeform { false };
};

template<typename Node>
std::shared_ptr<Node> shared(Node* node)
{
    return node ? std::static_pointer_cast<Node>(node->shared_from_this()) : nullptr;
}

// The type an opening comment's trimmed text names: its first run of
// non-whitespace characters, without the solidus of a self-closing comment.
std::u16string_view typeNameOfStartText(std::u16string_view text)
{
    size_t end = 0;
    while (end < text.size() && !isHTMLWhitespace(text[end]))
        ++end;
    auto name = text.substr(0, end);
    if (name.size() > 1 && name.ends_with(u'/'))
        name.remove_suffix(1);
    return name;
}

// The opening comments among the node's children that a closing comment of
// their type ends later among them, openers and closers paired as nested:
// a closer ends the innermost open block of its type and every block opened
// inside that one. Sorted, for binary search.
std::vector<const DOMNode*> startCommentsClosedLater(const DOMNode& node, std::u16string_view startPrefix, std::u16string_view endPrefix)
{
    std::vector<const DOMNode*> closed;
    std::vector<std::pair<const DOMNode*, std::u16string_view>> open;
    for (const DOMNode* child = node.first(); child; child = child->next()) {
        if (child->nodeType() != DOMNode::COMMENT_NODE)
            continue;
        auto text = trimmedCommentTextView(downcast<DOMComment>(*child));
        if (text.starts_with(startPrefix)) {
            if (!text.ends_with(u"/"))
                open.emplace_back(child, typeNameOfStartText(text));
        } else if (text.starts_with(endPrefix)) {
            auto type = text.substr(1);
            for (size_t index = open.size(); index-- > 0;) {
                if (open[index].second == type) {
                    closed.push_back(open[index].first);
                    open.resize(index);
                    break;
                }
            }
        }
    }
    std::sort(closed.begin(), closed.end());
    return closed;
}

std::u16string fill(std::u16string format, std::initializer_list<std::u16string> values)
{
    for (auto& value : values) {
        auto at = format.find(u"%@");
        if (at == std::u16string::npos)
            break;
        format.replace(at, 2, value);
    }
    return format;
}

Error blockError(int64_t code, std::u16string message, Dictionary userInfo = {})
{
    userInfo[Error::LocalizedDescriptionKey] = Value(std::move(message));
    return Error(VornickErrorDomain, code, std::move(userInfo));
}

} // namespace

void VornickBlockModeHelper::enumerateChildBlocksOfNode(const DOMNode& node, unsigned options, const BlockHandler& handler) const
{
    BREVANTON_ASSERT(options == 0 || options == VornickEnumerationReverse, "Only NSEnumerationReverse allowed");
    auto startPrefix = blockStartCommentPrefix();
    if (!startPrefix)
        return;
    if (options == VornickEnumerationReverse) {
        std::vector<std::pair<VornickExactSelection, std::optional<Error>>> found;
        enumerateChildBlocksOfNode(node, 0, [&](const VornickExactSelection& selection, const std::optional<Error>& error, bool&) {
            found.emplace_back(selection, error);
        });
        bool stop = false;
        for (auto it = found.rbegin(); it != found.rend() && !stop; ++it)
            handler(it->first, it->second, stop);
        return;
    }

    auto endPrefix = blockEndCommentPrefix();
    WalkState state;
    bool stop = false;
    auto emit = [&](std::optional<Error> error, DOMComment* endComment = nullptr) {
        VornickExactSelection selection(shared(state.element), shared(state.start), shared(state.interior), shared(endComment));
        state = {};
        handler(selection, error, stop);
    };
    // Blocks whose content is blocks without an element around them, open
    // around the current one, innermost last; and which opening comments are
    // closed later, found when first needed. The few containers are held
    // by reference, since their errors come after other handler runs.
    std::vector<std::shared_ptr<DOMComment>> containers;
    std::optional<std::vector<const DOMNode*>> closedLater;
    auto isClosedLater = [&](const DOMComment& comment) {
        if (!closedLater)
            closedLater = startCommentsClosedLater(node, *startPrefix, endPrefix.value_or(u"/" + *startPrefix));
        return std::binary_search(closedLater->begin(), closedLater->end(), &comment);
    };

    for (DOMNode* child = node.first(); child && !stop; child = child->next()) {
        if (child->isElementNode()) {
            auto* element = downcast<DOMElement>(child);
            if (!state.start) {
                if (acceptsElementsBetweenBlocks() || vornick_hasClass(*element, VornickPlaceholderElementClass))
                    continue;
                state.element = element;
                emit(blockError(VornickBlockElementOutsideBlockError,
                                fill(u"Encountered element <%@> with no enclosing block", { lowercaseTagName(*element) })));
            } else if (state.freeform && (state.element || state.interior)) {
                continue;
            } else if (state.element) {
                auto seen = lowercaseTagName(*state.element);
                emit(blockError(VornickBlockSecondContentError,
                                fill(u"Element <%@> in block that already has a content element (<%@>)", { lowercaseTagName(*element), seen })));
            } else if (state.interior) {
                auto seen = state.interior->data();
                emit(blockError(VornickBlockSecondContentError,
                                fill(u"Element <%@> in block that already has a block interior comment (<!--%@-->)",
                                     { lowercaseTagName(*element), seen })));
            } else {
                state.element = element;
            }
            continue;
        }
        if (child->nodeType() != DOMNode::COMMENT_NODE)
            continue;
        auto* comment = downcast<DOMComment>(child);
        auto text = trimmedCommentTextView(*comment);
        if (text.starts_with(*startPrefix)) {
            // Read before the handler runs, which may change the document.
            bool selfClosing = text.ends_with(u"/");
            bool freeform = blockTypeHoldsFreeformContent(typeNameOfStartText(text));
            // Kept alive through a handler run for the unclosed block.
            std::shared_ptr<DOMComment> keep;
            if (state.start && !state.element && !state.interior && isClosedLater(*state.start)) {
                // The open block's content is blocks.
                containers.push_back(shared(state.start));
                state = {};
            } else if (state.start) {
                keep = shared(comment);
                auto held = state.start->data();
                std::u16string shown(text);
                emit(blockError(VornickBlockUnclosedError,
                                fill(u"Incomplete block: Encountered new start comment <!-- %@ --> before closure of existing block <!--%@-->",
                                     { shown, held }),
                                { { u"unexpectedBlockStartCommentText", Value(shown) } }));
            }
            state.start = comment;
            state.freeform = freeform;
            if (selfClosing)
                emit(std::nullopt);
            continue;
        }
        if (endPrefix && text.starts_with(*endPrefix)) {
            std::u16string_view type = text.substr(1);
            auto fault = [&](int64_t code, const char16_t* format, bool withHeld) {
                std::u16string shown(text);
                auto message = withHeld ? fill(format, { shown, state.start->data() }) : fill(format, { shown });
                emit(blockError(code, std::move(message), { { u"unexpectedBlockEndCommentText", Value(shown) } }));
            };
            if (!state.start && !containers.empty() && typeNameOfStartText(trimmedCommentTextView(*containers.back())) == type) {
                // A sound block of blocks; its blocks were handed over.
                containers.pop_back();
            } else if (!state.start) {
                fault(VornickBlockEndCommentWithoutStartError,
                      u"Incomplete block: Encountered block end comment <!-- %@ --> without preceding block start comment", false);
            } else if (!state.interior && !state.element && !state.freeform) {
                fault(VornickBlockEndCommentWithoutInteriorError,
                      u"Incomplete block: Encountered block end comment <!-- %@ --> without preceding block interior", false);
            } else if (auto startType = blockTypeOfStartComment(*state.start)) {
                if (type != *startType)
                    fault(VornickBlockEndCommentMismatchError,
                          u"Incomplete block: Encountered block end comment <!-- %@ --> that doesn't match preceding block start comment <!--%@-->",
                          true);
                else if (!state.element && !state.interior)
                    state = {}; // a sound block of text alone
                else
                    emit(std::nullopt, comment);
            } else {
                fault(VornickBlockEndCommentUnconfirmedError,
                      u"Incomplete block: Encountered block end comment <!-- %@ --> and couldn't confirm match to block start comment", false);
            }
            continue;
        }
        if (state.start && !state.element && !state.interior)
            state.interior = comment;
    }
    if (!stop && state.start) {
        auto held = state.start->data();
        emit(blockError(VornickBlockUnclosedError, fill(u"Unclosed block at end: <!--%@-->", { held })));
    }
    while (!stop && !containers.empty()) {
        state = {};
        auto container = std::move(containers.back());
        containers.pop_back();
        state.start = container.get();
        auto held = state.start->data();
        emit(blockError(VornickBlockUnclosedError, fill(u"Unclosed block at end: <!--%@-->", { held })));
    }
}

} // namespace brevanton
