// The element editor's inspector modules: made for each new target by the
// editor's kind, kept for the same element, stacked in module order in the
// popover's content, and let go with the editor.
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickElementInspectorModule.h"
#include "editing/VornickElementInspectorModuleClass.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/views/Popover.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

// A module for every element, one only for headings, one for none.
class AnyElementModule : public VornickElementInspectorModule {
public:
    using VornickElementInspectorModule::VornickElementInspectorModule;
    static bool canInspectTargetOf(const VornickElementEditorUIController&) { return true; }
    int updates { 0 };
    void updateControlsFromElement() override { ++updates; }

protected:
    void loadView() override { setView(std::make_shared<View>(Rect(0, 0, 300, 40))); }
};

class HeadingModule final : public AnyElementModule {
public:
    using AnyElementModule::AnyElementModule;
    static bool canInspectTargetOf(const VornickElementEditorUIController& editor) { return editor.targetElement()->hasTagName(u"h2"); }
};

class NoElementModule final : public AnyElementModule {
public:
    using AnyElementModule::AnyElementModule;
    static bool canInspectTargetOf(const VornickElementEditorUIController&) { return false; }
};

class ModularEditor final : public VornickElementEditorUIController {
public:
    int rebuilds { 0 };
    void addAllModulesForTargetObject() override
    {
        ++rebuilds;
        addInspectorModuleOfClassIfApplicable(VornickElementInspectorModuleClass::of<HeadingModule>());
        addInspectorModuleOfClassIfApplicable(VornickElementInspectorModuleClass::of<NoElementModule>());
        addInspectorModuleOfClassIfApplicable(VornickElementInspectorModuleClass::of<AnyElementModule>());
    }
};

} // namespace

TEST(VornickElementEditorUIControllerModules, EachNewTargetGetsItsModulesStackedInOrder)
{
    auto document = parseHTMLDocument("<!DOCTYPE html><html><body><h2 id=h>Title</h2><p id=p>Text</p></body></html>");
    auto heading = document->getElementById(u"h");
    auto paragraph = document->getElementById(u"p");
    auto editor = std::make_unique<ModularEditor>();
    auto isHeadingModule = [](VornickElementInspectorModule& module) { return dynamic_cast<HeadingModule*>(&module) != nullptr; };

    editor->setTargetObject(VornickExactSelection(heading));
    EXPECT_EQ(editor->targetElement(), heading);
    ASSERT_EQ(editor->moduleCount(), 2u);
    EXPECT_TRUE(isHeadingModule(*editor->modules()[0]));
    EXPECT_EQ(editor->firstModulePassingTest(isHeadingModule), editor->modules()[0]);
    auto first = editor->modules()[0];
    EXPECT_EQ(std::static_pointer_cast<AnyElementModule>(first)->updates, 1) << "each module shows the target once";
    EXPECT_EQ(first->elementEditor(), editor.get());
    // One under another, the popover sized to them.
    EXPECT_EQ(first->view()->superview(), editor->view());
    EXPECT_LE(first->view()->frame().maxY(), editor->modules()[1]->view()->frame().minY());
    EXPECT_EQ(editor->popover()->contentSize().height, editor->view()->frame().height());
    EXPECT_GE(editor->view()->frame().height(), 80);

    // The same element again: nothing is made anew.
    editor->setTargetObject(VornickExactSelection(heading));
    EXPECT_EQ(editor->rebuilds, 1);
    EXPECT_EQ(editor->modules()[0], first);

    // Another element: its own modules, the old ones let go.
    editor->setTargetObject(VornickExactSelection(paragraph));
    EXPECT_EQ(editor->rebuilds, 2);
    ASSERT_EQ(editor->moduleCount(), 1u);
    EXPECT_FALSE(editor->firstModulePassingTest(isHeadingModule));
    EXPECT_EQ(first->elementEditor(), nullptr);
    EXPECT_EQ(first->view()->superview(), nullptr);
    EXPECT_LT(editor->view()->frame().height(), 80);

    // A module inserted at the front goes first in the stack too.
    auto inserted = std::make_shared<HeadingModule>(*editor);
    editor->insertModule(inserted, 0);
    EXPECT_EQ(editor->modules()[0], inserted);
    EXPECT_EQ(editor->view()->subviews().front(), inserted->view());

    // No target: no modules.
    editor->setTargetObject(std::nullopt);
    EXPECT_EQ(editor->moduleCount(), 0u);
    editor->setTargetObject(VornickExactSelection(paragraph));
    auto last = editor->modules()[0];
    editor.reset();
    EXPECT_EQ(last->elementEditor(), nullptr) << "the editor lets its modules go";
}

} // namespace brevanton
