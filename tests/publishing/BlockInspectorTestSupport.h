// A block post in a post view with its element editor open, for the block
// inspector modules' tests: the post of tests/data/wordpress/, helpers to
// find its blocks, open the editor on one, end an event, read the post as
// the view writes it back, and WordPress's own reading of it.
#pragma once

#include "tests/html/WordPressBlockOracle.h"
#include "tests/publishing/PostViewTestSupport.h"

#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickElementInspectorModule.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Popover.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton {

class BlockInspectorTest : public PostViewTest {
protected:
    std::shared_ptr<VornickWordPressBlogPost> post;
    std::u16string storedBody;

    void showBlockPost(const std::u16string& body)
    {
        writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
        storedBody = body;
        post = makePost(u"Blocks", body);
        show(post);
        ASSERT_TRUE(view->blockModeHelper()->operatingInBlockMode());
    }
    void showDataPost(const std::string& name)
    {
        showBlockPost(toUTF16(readTestFile(std::string(BREVANTON_TEST_DATA_DIR) + "/wordpress/" + name)));
    }

    // The first element of the body with the tag whose text contains `text`.
    std::shared_ptr<DOMElement> elementWithText(const std::u16string& tag, const std::u16string& text) const
    {
        auto elements = pointElement(u"body")->getElementsByTagName(tag);
        for (unsigned index = 0; index < elements->length(); ++index) {
            if (elements->item(index)->textContent().find(text) != std::u16string::npos)
                return elements->item(index);
        }
        return nullptr;
    }

    std::shared_ptr<VornickElementEditorUIController> editor() const
    {
        return VornickContentEditingViewTestPeer::of(*view).elementEditorUIController;
    }
    // Opens the editor on the element's block; its modules by type.
    void inspect(const std::shared_ptr<DOMElement>& element)
    {
        ASSERT_TRUE(element);
        // As a click selects it first.
        view->setTargetRange(view->blockModeHelper()->blockOrElement(element).outerRange());
        ASSERT_TRUE(view->showAttributeEditorForElement(element, std::nullopt));
    }
    template<typename Module> std::shared_ptr<Module> module() const
    {
        auto current = editor();
        if (!current)
            return nullptr;
        for (const auto& candidate : current->modules()) {
            if (auto found = std::dynamic_pointer_cast<Module>(candidate))
                return found;
        }
        return nullptr;
    }
    std::shared_ptr<DOMElement> targetElement() const { return editor() ? editor()->targetElement() : nullptr; }
    std::u16string targetStartComment() const
    {
        auto current = editor();
        return current && current->targetObject() && current->targetObject()->blockStartComment()
            ? current->targetObject()->blockStartComment()->data()
            : u"";
    }

    static void endEvent() { RunLoop::main().runOnce(0); }
    UndoManager& undo() const { return *view->undoManager(); }

    // The body as the view writes it back into the post.
    std::u16string writtenBody()
    {
        EXPECT_TRUE(view->updatePostFromContent());
        return post->sourceContentString();
    }

    // WordPress's tree of the body: names, attributes, inner blocks.
    static std::optional<Value> serverTree(const std::u16string& body)
    {
        auto tree = testing::runWordPressOracle("tree", toUTF8(body));
        return tree ? std::optional<Value>(testing::normalizedOracleValue(*tree)) : std::nullopt;
    }
    // The JSON of the body's first opening comment of the type, as written.
    static std::string writtenCommentJSON(const std::u16string& body, const std::u16string& typeAndSpace)
    {
        auto start = body.find(u"<!-- " + typeAndSpace);
        if (start == std::u16string::npos)
            return "";
        start += 5 + typeAndSpace.size();
        auto end = body.find(u" -->", start);
        return toUTF8(body.substr(start, end - start));
    }
};

} // namespace brevanton
