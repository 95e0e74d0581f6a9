// The structural edit tests' fixture, on the shared undoable edit harness: a
// page built from a body string, ranges by node and offset, the body written
// with every text node in brackets (so that node boundaries show), and the
// four checks split around the step: `beginStep` before it, the test's own
// expectations, then `checkUndoAndRedo`.
#pragma once

#include "UndoableEditChecks.h"

#include "dom/VornickNodeExtensions.h"
#include "platform/foundation/Assertions.h"

namespace brevanton::testing {

// How an outline of nodes shows their text: each text node's data in
// brackets (so that node boundaries show) with the comments, or what a reader
// sees of the structure: texts trimmed, whitespace-only texts and comments
// left out.
enum class OutlineText { Bracketed, Trimmed };

// The node as markup: elements with their attributes as they stand, texts
// as the option says.
inline void appendOutlineOfNode(std::u16string& out, const DOMNode& node, OutlineText shown)
{
    if (node.isTextNode()) {
        const auto& data = downcast<DOMCharacterData>(node).data();
        if (shown == OutlineText::Bracketed) {
            out += u"[" + data + u"]";
        } else if (auto first = data.find_first_not_of(u" \n\t"); first != std::u16string::npos) {
            out += data.substr(first, data.find_last_not_of(u" \n\t") - first + 1);
        }
    } else if (node.nodeType() == DOMNode::COMMENT_NODE) {
        if (shown == OutlineText::Bracketed)
            out += u"<!--" + downcast<DOMCharacterData>(node).data() + u"-->";
    } else if (node.isElementNode()) {
        const auto& element = downcast<DOMElement>(node);
        std::u16string name = asciiLowercase(element.tagName());
        out += u"<" + name;
        for (const auto& attribute : element.attributeList())
            out += u" " + attribute.name + u"=\"" + attribute.value + u"\"";
        out += u">";
        for (DOMNode* child = node.first(); child; child = child->next())
            appendOutlineOfNode(out, *child, shown);
        out += u"</" + name + u">";
    }
}

inline std::u16string outlineOfNode(const DOMNode& node, OutlineText shown)
{
    std::u16string out;
    appendOutlineOfNode(out, node, shown);
    return out;
}

// The node's children, one after the other.
inline std::u16string outlineOfChildren(const DOMNode& parent, OutlineText shown)
{
    std::u16string out;
    for (DOMNode* child = parent.first(); child; child = child->next())
        appendOutlineOfNode(out, *child, shown);
    return out;
}

class StructuralEditTest : public UndoableEditTest {
protected:
    void loadBody(const std::string& bodyMarkup)
    {
        // No newline after the body, so that its last child is the markup's own.
        writePage("edit.html", "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Edit</title></head><body>" + bodyMarkup
                                   + "</body></html>");
        load("edit.html");
        // Timers (the regeneration of the source) wait; each step's undo
        // group closes at the end of the loop's turn.
        if (!RunLoop::main().isUsingManualClock())
            RunLoop::main().useManualClock();
        view->undoManager()->removeAllActions();
    }
    std::shared_ptr<DOMRange> rangeAt(const std::shared_ptr<DOMNode>& start, unsigned startOffset,
                                      const std::shared_ptr<DOMNode>& end, unsigned endOffset) const
    {
        return rangeBetween(start, startOffset, end, endOffset);
    }
    std::shared_ptr<DOMRange> rangeAt(const std::shared_ptr<DOMNode>& node, unsigned start, unsigned end) const
    {
        return rangeIn(node, start, end);
    }
    std::shared_ptr<DOMRange> caretAt(const std::shared_ptr<DOMNode>& node, unsigned offset) const { return rangeIn(node, offset, offset); }
    // The child of the element of that tag (the first one, or the one at `index`).
    std::shared_ptr<DOMNode> text(const std::u16string& tag, unsigned index = 0, unsigned child = 0) const
    {
        auto parent = element(tag, index);
        auto* node = parent ? parent->childAt(child) : nullptr;
        return node ? node->shared_from_this() : nullptr;
    }
    UndoManager& undo() const { return *view->undoManager(); }

    // The body's children, each text node's data in brackets.
    std::u16string markup() const { return outlineOfChildren(*body(), OutlineText::Bracketed); }

    struct Step {
        std::string documentBefore;
        std::string selectionBefore;
    };
    Step beginStep() const
    {
        endEvent();
        return { documentSnapshot(*document()), frozenSelection(*view) };
    }
    // Closes the step's undo group, then: Undo gives the document (node for
    // node) and the selection of before, Redo those of after, under the name.
    void checkUndoAndRedo(const Step& step, const std::u16string& actionName) const
    {
        std::string after = documentSnapshot(*document());
        std::string selectionAfter = frozenSelection(*view);
        endEvent();
        ASSERT_TRUE(undo().canUndo()) << "the step registered no undo";
        EXPECT_EQ(toUTF8(undo().undoActionName()), toUTF8(actionName));
        undo().undo();
        EXPECT_EQ(documentSnapshot(*document()), step.documentBefore) << "undo did not restore the document exactly";
        EXPECT_EQ(frozenSelection(*view), step.selectionBefore) << "undo did not restore the selection";
        endEvent();
        ASSERT_TRUE(undo().canRedo());
        undo().redo();
        EXPECT_EQ(documentSnapshot(*document()), after) << "redo did not give the result again";
        EXPECT_EQ(frozenSelection(*view), selectionAfter) << "redo did not restore the selection";
        EXPECT_EQ(toUTF8(undo().undoActionName()), toUTF8(actionName)) << "the redone step has another name";
        endEvent();
    }
    // Undoes the last step.
    void undoStep() const
    {
        undo().undo();
        endEvent();
    }
};

} // namespace brevanton::testing
