// The four checks every undoable edit gets, on a page loaded into a real
// editing view:
//   1. the result is right (the caller's own expectations);
//   2. one Undo restores the document exactly: its node structure (every
//      node with its type, name, attributes and data, so text node
//      boundaries show) and its serialization;
//   3. Redo gives the result again, exactly;
//   4. the selection comes back: after Undo the effective operation range,
//      frozen relative to the body, is the one before the step (and after
//      Redo the one after it).
// Use `UndoableEditTest` as the fixture and `checkUndoableStep` per step.
#pragma once

#include "EditingTestSupport.h"

#include "dom/VornickFreezeDriedDOMRange.h"
#include "dom/VornickRangeExtensions.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/UndoManager.h"

#include <functional>
#include <optional>
#include <string>

namespace brevanton::testing {

// One line per node, indented by depth: type, name, attributes and data.
inline void appendNodeStructure(const DOMNode& node, int depth, std::string& out)
{
    out.append(static_cast<size_t>(depth) * 2, ' ');
    switch (node.nodeType()) {
    case DOMNode::ELEMENT_NODE: {
        auto& element = downcast<DOMElement>(node);
        out += "<" + toUTF8(element.tagName());
        for (const auto& attribute : element.attributeList())
            out += " " + toUTF8(attribute.name) + "=\"" + toUTF8(attribute.value) + "\"";
        out += ">";
        break;
    }
    case DOMNode::TEXT_NODE:
    case DOMNode::CDATA_SECTION_NODE:
        out += "#text \"" + toUTF8(downcast<DOMCharacterData>(node).data()) + "\"";
        break;
    case DOMNode::COMMENT_NODE:
        out += "#comment \"" + toUTF8(downcast<DOMCharacterData>(node).data()) + "\"";
        break;
    default:
        out += toUTF8(node.nodeName());
        break;
    }
    out += "\n";
    for (DOMNode* child = node.first(); child; child = child->next())
        appendNodeStructure(*child, depth + 1, out);
}

inline std::string documentStructure(const DOMNode& root)
{
    std::string out;
    appendNodeStructure(root, 0, out);
    return out;
}

// The whole document: node structure, then its serialization.
inline std::string documentSnapshot(const DOMDocument& document)
{
    return documentStructure(document) + "----\n" + toUTF8(document.innerHTML());
}

// The effective operation range frozen relative to the body, as text ("" for none).
inline std::string frozenSelection(const VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    auto document = range ? vornick_ownerDocument(*range) : nullptr;
    auto body = document ? document->body() : nullptr;
    if (!body)
        return "";
    auto frozen = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*range, body, false);
    return frozen ? toUTF8(frozen->description()) : "(not in the body)";
}

struct UndoableStepExpectations {
    // The undo action name the step takes; unchecked when absent.
    std::optional<std::u16string> actionName;
    // Check 4; off only for steps that by design leave the selection to their caller.
    bool selectionComesBack { true };
};

// Closes the undo group of the current run-loop turn, as the end of an event does.
inline void endEvent()
{
    RunLoop::main().runOnce(0);
}

// Runs the step and makes the four checks. `checkResult` runs after the step
// and again after the redo.
inline void checkUndoableStep(VornickContentEditingView& view, const std::function<void()>& step,
                              const std::function<void()>& checkResult, const UndoableStepExpectations& expectations = {})
{
    auto document = view.mainFrameDocument();
    ASSERT_TRUE(document);
    auto* undo = view.undoManager();
    ASSERT_TRUE(undo);
    endEvent();
    std::string before = documentSnapshot(*document);
    std::string selectionBefore = frozenSelection(view);

    step();
    checkResult();
    std::string after = documentSnapshot(*document);
    std::string selectionAfter = frozenSelection(view);
    endEvent();
    ASSERT_TRUE(undo->canUndo()) << "the step registered no undo";
    if (expectations.actionName) {
        EXPECT_EQ(toUTF8(undo->undoActionName()), toUTF8(*expectations.actionName));
    }

    undo->undo();
    EXPECT_EQ(documentSnapshot(*document), before) << "undo did not restore the document exactly";
    if (expectations.selectionComesBack) {
        EXPECT_EQ(frozenSelection(view), selectionBefore) << "undo did not restore the selection";
    }
    ASSERT_TRUE(undo->canRedo());
    endEvent();

    undo->redo();
    EXPECT_EQ(documentSnapshot(*document), after) << "redo did not give the result again";
    if (expectations.selectionComesBack) {
        EXPECT_EQ(frozenSelection(view), selectionAfter) << "redo did not restore the selection";
    }
    checkResult();
    endEvent();
}

class UndoableEditTest : public EditingViewTest {
protected:
    // Loads a page made of the body markup given.
    void loadBody(const std::string& bodyMarkup)
    {
        writePage("edit.html", "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Edit</title></head><body>" + bodyMarkup
                                   + "</body></html>\n");
        load("edit.html");
    }
    void writePage(const std::string& name, const std::string& html)
    {
        ASSERT_TRUE(writeFileAtomically(path(name), html));
    }

    std::shared_ptr<DOMElement> body() const { return document()->body(); }
    // The text node whose data contains `text` (the first one in document order).
    std::shared_ptr<DOMCharacterData> textNode(const std::u16string& text) const
    {
        for (DOMNode* node = document().get(); node; node = node->traverseNext()) {
            if (node->isTextNode() && downcast<DOMCharacterData>(node)->data().find(text) != std::u16string::npos)
                return downcast<DOMCharacterData>(node->shared_from_this());
        }
        return nullptr;
    }
    std::shared_ptr<DOMRange> rangeIn(const std::shared_ptr<DOMNode>& node, unsigned start, unsigned end) const
    {
        auto range = document()->createRange();
        range->setStart(node, start);
        range->setEnd(node, end);
        return range;
    }
    std::shared_ptr<DOMRange> rangeBetween(const std::shared_ptr<DOMNode>& startNode, unsigned start,
                                           const std::shared_ptr<DOMNode>& endNode, unsigned end) const
    {
        auto range = document()->createRange();
        range->setStart(startNode, start);
        range->setEnd(endNode, end);
        return range;
    }
    // Selects the range as the view's target range.
    void select(const std::shared_ptr<DOMRange>& range) { view->setTargetRange(range); }
    std::shared_ptr<DOMDocumentFragment> fragmentFromMarkup(const std::u16string& markup) const
    {
        return document()->createDocumentFragmentWithMarkupString(markup, {}, body().get());
    }
    std::string bodyHTML() const { return toUTF8(body()->innerHTML()); }
    // The body's child structure (text node boundaries show).
    std::string bodyStructure() const { return documentStructure(*body()); }
};

} // namespace brevanton::testing
