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
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "toolkit/VornickErrors.h"

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
};

template<typename Node>
std::shared_ptr<Node> shared(Node* node)
{
    return node ? std::static_pointer_cast<Node>(node->shared_from_this()) : nullptr;
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

    for (DOMNode* child = node.first(); child && !stop; child = child->next()) {
        if (child->isElementNode()) {
            auto* element = static_cast<DOMElement*>(child);
            if (!state.start) {
                if (vornick_hasClass(*element, VornickPlaceholderElementClass))
                    continue;
                state.element = element;
                emit(blockError(VornickBlockElementOutsideBlockError,
                                fill(u"Encountered element <%@> with no enclosing block", { lowercaseTagName(*element) })));
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
        auto* comment = static_cast<DOMComment*>(child);
        auto text = trimmedCommentTextView(*comment);
        if (text.starts_with(*startPrefix)) {
            bool selfClosing = text.ends_with(u"/");
            if (state.start) {
                auto held = state.start->data();
                emit(blockError(VornickBlockUnclosedError,
                                fill(u"Incomplete block: Encountered new start comment <!-- %@ --> before closure of existing block <!--%@-->",
                                     { std::u16string(text), held }),
                                { { u"unexpectedBlockStartCommentText", Value(std::u16string(text)) } }));
            }
            state.start = comment;
            if (selfClosing)
                emit(std::nullopt);
            continue;
        }
        if (endPrefix && text.starts_with(*endPrefix)) {
            auto info = [&] { return Dictionary { { u"unexpectedBlockEndCommentText", Value(std::u16string(text)) } }; };
            if (!state.start) {
                emit(blockError(VornickBlockEndCommentWithoutStartError,
                                fill(u"Incomplete block: Encountered block end comment <!-- %@ --> without preceding block start comment",
                                     { std::u16string(text) }),
                                info()));
            } else if (!state.interior && !state.element) {
                emit(blockError(VornickBlockEndCommentWithoutInteriorError,
                                fill(u"Incomplete block: Encountered block end comment <!-- %@ --> without preceding block interior",
                                     { std::u16string(text) }),
                                info()));
            } else if (auto type = blockTypeOfStartComment(*state.start)) {
                if (!text.empty() && text.substr(1) == *type) {
                    emit(std::nullopt, comment);
                } else {
                    auto held = state.start->data();
                    emit(blockError(VornickBlockEndCommentMismatchError,
                                    fill(u"Incomplete block: Encountered block end comment <!-- %@ --> that doesn't match preceding block start comment <!--%@-->",
                                         { std::u16string(text), held }),
                                    info()));
                }
            } else {
                emit(blockError(VornickBlockEndCommentUnconfirmedError,
                                fill(u"Incomplete block: Encountered block end comment <!-- %@ --> and couldn't confirm match to block start comment",
                                     { std::u16string(text) }),
                                info()));
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
}

} // namespace brevanton
