// The block element editor and its modules on a block post in a post view:
// which modules a block gets and in what order, the modules kept from one
// block to the next showing the next one (and writing to it), one change as one undo step
// that Undo takes back byte for byte (reopening the editor) and Redo
// repeats, a change to the value already there being no change at all, and
// a change the view refuses leaving no step behind.
#include "tests/publishing/BlockInspectorTestSupport.h"

#include "editing/VornickElementEditorUIControllerClass.h"
#include "platform/dom/DOMRange.h"
#include "platform/views/SegmentedControl.h"
#include "platform/views/TextField.h"
#include "publishing/VornickWordPressBlockAlignmentInspectorModule.h"
#include "publishing/VornickWordPressBlockCSSClassesInspectorModule.h"
#include "publishing/VornickWordPressBlockColorInspectorModule.h"
#include "publishing/VornickWordPressBlockElementEditorUIController.h"
#include "publishing/VornickWordPressEmbedBlockInspectorModule.h"
#include "publishing/VornickWordPressImageBlockFigureInspectorModule.h"
#include "publishing/VornickWordPressNonInspectableBlockInspectorModule.h"

#include <typeinfo>

namespace brevanton {
namespace {

class VornickWordPressBlockInspectorModuleTests : public BlockInspectorTest {
protected:
    std::vector<std::string> moduleNames() const
    {
        std::vector<std::string> names;
        for (const auto& module : editor()->modules()) {
            if (std::dynamic_pointer_cast<VornickWordPressBlockMediaAlignmentInspectorModule>(module))
                names.push_back("media alignment");
            else if (std::dynamic_pointer_cast<VornickWordPressBlockTextAlignmentInspectorModule>(module))
                names.push_back("text alignment");
            else if (std::dynamic_pointer_cast<VornickWordPressBlockColorInspectorModule>(module))
                names.push_back("colour");
            else if (std::dynamic_pointer_cast<VornickWordPressBlockCSSClassesInspectorModule>(module))
                names.push_back("classes");
            else if (std::dynamic_pointer_cast<VornickWordPressImageBlockFigureInspectorModule>(module))
                names.push_back("image");
            else if (std::dynamic_pointer_cast<VornickWordPressEmbedBlockInspectorModule>(module))
                names.push_back("embed");
            else if (std::dynamic_pointer_cast<VornickWordPressNonInspectableBlockInspectorModule>(module))
                names.push_back("nothing to inspect");
            else {
                auto& other = *module;
                names.push_back(typeid(other).name());
            }
        }
        return names;
    }
    void chooseAlignment(long segment)
    {
        auto control = module<VornickWordPressBlockTextAlignmentInspectorModule>()->alignmentSegmentedControl();
        control->setSelectedSegment(segment);
        control->sendAction();
        endEvent();
    }
};

} // namespace

TEST_F(VornickWordPressBlockInspectorModuleTests, EveryBlockGetsItsModulesInOrderStackedInThePopover)
{
    showDataPost("travel-article.html");
    using Names = std::vector<std::string>;
    auto modulesOf = [&](const std::shared_ptr<DOMElement>& element) {
        inspect(element);
        EXPECT_TRUE(dynamic_cast<VornickWordPressBlockElementEditorUIController*>(editor().get()));
        return moduleNames();
    };
    EXPECT_EQ(modulesOf(elementWithText(u"p", u"We left Lisbon")), (Names { "text alignment", "colour", "classes" }));
    EXPECT_EQ(modulesOf(elementWithText(u"h2", u"Getting there")), (Names { "media alignment", "text alignment", "colour", "classes" }));
    // An image block (which no colour module takes) still opens with its own modules.
    EXPECT_EQ(modulesOf(elementWithText(u"figure", u"The ferry at")), (Names { "media alignment", "image", "classes" }));
    // An embed (its wrapper shows a stand-in, not the URL).
    auto figures = pointElement(u"body")->getElementsByTagName(u"figure");
    std::shared_ptr<DOMElement> embed;
    for (unsigned index = 0; index < figures->length() && !embed; ++index) {
        if (figures->item(index)->getAttribute(u"class").starts_with(u"wp-block-embed "))
            embed = figures->item(index);
    }
    EXPECT_EQ(modulesOf(embed), (Names { "media alignment", "embed", "classes" }));
    // A table has no text alignment.
    EXPECT_EQ(modulesOf(elementWithText(u"figure", u"Cacilhas08:52")), (Names { "media alignment", "colour", "classes" }));
    EXPECT_EQ(modulesOf(elementWithText(u"blockquote", u"grilled sardines")), (Names { "text alignment", "classes" }));
    // A block no module takes shows that it has nothing to inspect.
    auto item = elementWithText(u"li", u"Take the metro");
    EXPECT_TRUE(VornickElementEditorUIControllerClass::of<VornickWordPressBlockElementEditorUIController>().canInspectElement(*item));
    EXPECT_EQ(modulesOf(item), (Names { "nothing to inspect" }));

    // The heading's four modules, one under another, and the popover sized to them.
    inspect(elementWithText(u"h2", u"Getting there"));
    EXPECT_TRUE(editor()->popover()->isShown());
    auto& modules = editor()->modules();
    ASSERT_EQ(modules.size(), 4u);
    for (size_t index = 0; index < modules.size(); ++index)
        EXPECT_EQ(modules[index]->view()->superview(), editor()->view());
    for (size_t index = 0; index + 1 < modules.size(); ++index)
        EXPECT_LT(modules[index]->view()->frame().maxY(), modules[index + 1]->view()->frame().minY() + 0.5);
    EXPECT_GE(editor()->popover()->contentSize().height, modules[3]->view()->frame().maxY());
    EXPECT_LT(editor()->popover()->contentSize().height, 400);
    // The controls show the block: a heading without "align" shows None, without "textAlign" Left.
    EXPECT_EQ(module<VornickWordPressBlockMediaAlignmentInspectorModule>()->alignmentSegmentedControl()->selectedSegment(), 0);
    EXPECT_EQ(module<VornickWordPressBlockTextAlignmentInspectorModule>()->labelTextField()->stringValue(), u"Text Alignment");
}

TEST_F(VornickWordPressBlockInspectorModuleTests, AModuleKeptForTheNextBlockShowsAndWritesThatBlock)
{
    showBlockPost(u"<!-- wp:paragraph {\"align\":\"center\",\"className\":\"lead\",\"textColor\":\"vivid-red\"} -->\n"
                  u"<p class=\"has-text-align-center lead has-vivid-red-color has-text-color\">One</p>\n"
                  u"<!-- /wp:paragraph -->\n\n"
                  u"<!-- wp:paragraph -->\n<p>Two</p>\n<!-- /wp:paragraph -->\n\n"
                  u"<!-- wp:heading {\"textAlign\":\"right\"} -->\n"
                  u"<h2 class=\"wp-block-heading has-text-align-right\">Three</h2>\n<!-- /wp:heading -->\n\n"
                  u"<!-- wp:list -->\n<ul><!-- wp:list-item -->\n<li>Four</li>\n<!-- /wp:list-item --></ul>\n<!-- /wp:list -->\n");
    using Names = std::vector<std::string>;
    inspect(elementWithText(u"p", u"One"));
    auto alignment = module<VornickWordPressBlockTextAlignmentInspectorModule>();
    auto colour = module<VornickWordPressBlockColorInspectorModule>();
    auto classes = module<VornickWordPressBlockCSSClassesInspectorModule>();
    ASSERT_TRUE(alignment && colour && classes);
    EXPECT_EQ(alignment->alignmentSegmentedControl()->selectedSegment(), 1);
    EXPECT_EQ(classes->classNamesTextField()->stringValue(), u"lead");
    EXPECT_TRUE(colour->textColorChooser()->colorDescription());

    // Another paragraph: the same modules, views and stack, showing its own (empty) values.
    inspect(elementWithText(u"p", u"Two"));
    EXPECT_EQ(module<VornickWordPressBlockTextAlignmentInspectorModule>(), alignment);
    EXPECT_EQ(module<VornickWordPressBlockColorInspectorModule>(), colour);
    EXPECT_EQ(module<VornickWordPressBlockCSSClassesInspectorModule>(), classes);
    EXPECT_EQ(alignment->alignmentSegmentedControl()->selectedSegment(), 0);
    EXPECT_EQ(classes->classNamesTextField()->stringValue(), u"");
    EXPECT_FALSE(colour->textColorChooser()->colorDescription());
    EXPECT_EQ(alignment->view()->superview(), editor()->view());

    // A heading: the text alignment kept takes the heading's property and
    // list; a media alignment module is made and stacked first.
    inspect(elementWithText(u"h2", u"Three"));
    EXPECT_EQ(moduleNames(), (Names { "media alignment", "text alignment", "colour", "classes" }));
    EXPECT_EQ(module<VornickWordPressBlockTextAlignmentInspectorModule>(), alignment);
    EXPECT_EQ(alignment->propertyName(), u"textAlign");
    EXPECT_EQ(alignment->alignmentSegmentedControl()->selectedSegment(), 2);
    auto& modules = editor()->modules();
    for (size_t index = 0; index + 1 < modules.size(); ++index) {
        EXPECT_EQ(modules[index]->view()->superview(), editor()->view());
        EXPECT_LT(modules[index]->view()->frame().maxY(), modules[index + 1]->view()->frame().minY() + 0.5);
    }
    // The kept module writes to the heading, not to a paragraph before it.
    chooseAlignment(1);
    auto heading = elementWithText(u"h2", u"Three");
    EXPECT_EQ(heading->getAttribute(u"class"), u"wp-block-heading has-text-align-center");
    EXPECT_EQ(targetStartComment(), u" wp:heading {\"textAlign\":\"center\"} ");
    EXPECT_EQ(elementWithText(u"p", u"Two")->getAttribute(u"class"), u"");

    // Back to a paragraph: the media alignment module is let go, its view unstacked.
    auto media = module<VornickWordPressBlockMediaAlignmentInspectorModule>();
    inspect(elementWithText(u"p", u"Two"));
    EXPECT_EQ(moduleNames(), (Names { "text alignment", "colour", "classes" }));
    EXPECT_EQ(media->view()->superview(), nullptr);
    EXPECT_EQ(media->elementEditor(), nullptr);
    EXPECT_EQ(alignment->propertyName(), u"align");
    EXPECT_EQ(editor()->view()->subviews().size(), 3u);
    // A block no module takes, then a paragraph: the modules are made anew.
    inspect(elementWithText(u"li", u"Four"));
    EXPECT_EQ(moduleNames(), (Names { "nothing to inspect" }));
    inspect(elementWithText(u"p", u"One"));
    EXPECT_NE(module<VornickWordPressBlockTextAlignmentInspectorModule>(), alignment);
    EXPECT_EQ(module<VornickWordPressBlockTextAlignmentInspectorModule>()->alignmentSegmentedControl()->selectedSegment(), 1);
    EXPECT_EQ(module<VornickWordPressBlockCSSClassesInspectorModule>()->classNamesTextField()->stringValue(), u"lead");
}

TEST_F(VornickWordPressBlockInspectorModuleTests, AChangeIsOneStepThatUndoTakesBackAndReopensAndRedoRepeats)
{
    showDataPost("travel-article.html");
    EXPECT_EQ(writtenBody(), storedBody);
    auto before = pointElement(u"body")->innerHTML();
    size_t editsBefore = delegate.userEdits();
    inspect(elementWithText(u"p", u"We left Lisbon"));
    auto oldParagraph = targetElement();
    chooseAlignment(1);

    EXPECT_EQ(undo().undoActionName(), u"Change Block Property");
    EXPECT_GT(delegate.userEdits(), editsBefore);
    auto paragraph = elementWithText(u"p", u"We left Lisbon");
    EXPECT_NE(paragraph, oldParagraph) << "the block was replaced by its edited copy";
    EXPECT_EQ(paragraph->getAttribute(u"class"), u"has-text-align-center");
    // The editor follows the new block; the module stays and shows it.
    EXPECT_EQ(targetElement(), paragraph);
    EXPECT_EQ(targetStartComment(), u" wp:paragraph {\"align\":\"center\"} ");
    EXPECT_EQ(module<VornickWordPressBlockTextAlignmentInspectorModule>()->alignmentSegmentedControl()->selectedSegment(), 1);
    auto changed = pointElement(u"body")->innerHTML();
    auto changedBody = writtenBody();
    EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_NE(changedBody.find(u"<!-- wp:paragraph {\"align\":\"center\"} -->\n<p class=\"has-text-align-center\">We left"),
              std::u16string::npos)
        << toUTF8(changedBody);

    // Undo: the post byte for byte, the editor open on the restored block.
    editor()->closePopover();
    undo().undo();
    endEvent();
    EXPECT_EQ(pointElement(u"body")->innerHTML(), before);
    EXPECT_EQ(writtenBody().find(u"has-text-align-center\">We left"), std::u16string::npos);
    EXPECT_TRUE(editor()->popover()->isShown());
    ASSERT_TRUE(targetElement());
    EXPECT_EQ(targetElement(), elementWithText(u"p", u"We left Lisbon"));
    EXPECT_EQ(targetStartComment(), u" wp:paragraph ");
    EXPECT_EQ(module<VornickWordPressBlockTextAlignmentInspectorModule>()->alignmentSegmentedControl()->selectedSegment(), 0);

    // Redo repeats it.
    ASSERT_TRUE(undo().canRedo());
    undo().redo();
    endEvent();
    EXPECT_EQ(pointElement(u"body")->innerHTML(), changed);
    EXPECT_EQ(writtenBody(), changedBody);
    EXPECT_FALSE(undo().canRedo());
}

TEST_F(VornickWordPressBlockInspectorModuleTests, WritingTheValueAlreadyThereIsNoChange)
{
    showDataPost("travel-article.html");
    inspect(elementWithText(u"p", u"We left Lisbon"));
    auto paragraph = targetElement();
    size_t editsBefore = delegate.userEdits();
    EXPECT_FALSE(undo().canUndo());

    // The segment already chosen.
    chooseAlignment(0);
    // The classes field as it is, and again with only spaces around and between nothing.
    auto classes = module<VornickWordPressBlockCSSClassesInspectorModule>();
    classes->classNamesTextField()->sendAction();
    classes->classNamesTextField()->setStringValue(u"  ");
    classes->classNamesTextField()->sendAction();
    endEvent();

    EXPECT_FALSE(undo().canUndo());
    EXPECT_EQ(delegate.userEdits(), editsBefore);
    EXPECT_EQ(targetElement(), paragraph) << "the block was left in place";
    EXPECT_EQ(writtenBody(), storedBody);
    EXPECT_FALSE(post->hasEditsNotYetSavedToSourceFile());
}

TEST_F(VornickWordPressBlockInspectorModuleTests, AChangeTheViewRefusesLeavesNoStepAndNoEdit)
{
    showDataPost("travel-article.html");
    inspect(elementWithText(u"p", u"We left Lisbon"));
    auto target = *editor()->targetObject();
    size_t editsBefore = delegate.userEdits();
    // The block taken out of the page behind the editor's back: the view
    // refuses to replace what is no longer in the document.
    auto outer = target.outerRange();
    ASSERT_TRUE(outer);
    auto taken = outer->extractContents();
    ASSERT_TRUE(taken);
    ASSERT_FALSE(target.element()->isConnected());
    auto pageBefore = pointElement(u"body")->innerHTML();

    auto control = module<VornickWordPressBlockTextAlignmentInspectorModule>()->alignmentSegmentedControl();
    control->setSelectedSegment(1);
    EXPECT_FALSE(module<VornickWordPressBlockTextAlignmentInspectorModule>()->changeProperty(control.get()));
    endEvent();

    // The step's first registration (reopening the editor) was taken back.
    EXPECT_FALSE(undo().canUndo());
    EXPECT_FALSE(undo().canRedo());
    EXPECT_EQ(delegate.userEdits(), editsBefore);
    EXPECT_FALSE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(pointElement(u"body")->innerHTML(), pageBefore);
    EXPECT_EQ(target.element()->getAttribute(u"class"), u"") << "the taken block is left as it was";
}

} // namespace brevanton
