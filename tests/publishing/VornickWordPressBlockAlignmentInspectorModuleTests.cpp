// The alignment and class modules: the alignments each block type offers
// and which one a block shows, the property and classes a choice writes
// (per type, as WordPress keeps them), the user's own classes kept, and the
// post WordPress reads back: the same tree with only the edited blocks'
// attributes changed, each comment's JSON as WordPress writes it.
#include "tests/publishing/BlockInspectorTestSupport.h"

#include "platform/views/SegmentedControl.h"
#include "platform/views/TextField.h"
#include "publishing/VornickWordPressBlockAlignmentInspectorModule.h"
#include "publishing/VornickWordPressBlockCSSClassesInspectorModule.h"

namespace brevanton {
namespace {

constexpr const char16_t* alignmentPost
    = u"<!-- wp:heading {\"align\":\"full\"} -->\n<h2 class=\"wp-block-heading alignfull\">Full title</h2>\n<!-- /wp:heading -->\n\n"
      u"<!-- wp:paragraph -->\n<p class=\"intro\">Plain paragraph.</p>\n<!-- /wp:paragraph -->\n\n"
      u"<!-- wp:heading {\"textAlign\":\"justify\",\"level\":3} -->\n<h3 class=\"wp-block-heading has-text-align-justify\">Justified</h3>\n<!-- /wp:heading -->\n\n"
      u"<!-- wp:pullquote -->\n<figure class=\"wp-block-pullquote\"><blockquote><p>Pulled words.</p></blockquote></figure>\n<!-- /wp:pullquote -->\n\n"
      u"<!-- wp:quote -->\n<blockquote class=\"wp-block-quote\"><!-- wp:paragraph -->\n<p>Quoted words.</p>\n<!-- /wp:paragraph --></blockquote>\n<!-- /wp:quote -->\n\n"
      u"<!-- wp:verse -->\n<pre class=\"wp-block-verse\">Verse lines</pre>\n<!-- /wp:verse -->\n\n"
      u"<!-- wp:image {\"id\":5,\"className\":\"alignment-note\"} -->\n<figure class=\"wp-block-image alignment-note\"><img src=\"https://site.example/a.png\" alt=\"\" class=\"wp-image-5\"/></figure>\n<!-- /wp:image -->\n\n"
      u"<!-- wp:paragraph {\"className\":\"first  second\"} -->\n<p class=\"keep  first second\">Classed paragraph.</p>\n<!-- /wp:paragraph -->";

class VornickWordPressBlockAlignmentInspectorModuleTests : public BlockInspectorTest {
protected:
    template<typename Module> std::vector<std::u16string> segments()
    {
        std::vector<std::u16string> labels;
        auto control = module<Module>()->alignmentSegmentedControl();
        for (long segment = 0; segment < control->segmentCount(); ++segment)
            labels.push_back(control->labelForSegment(segment));
        return labels;
    }
    std::shared_ptr<DOMElement> image() const
    {
        auto figures = pointElement(u"body")->getElementsByTagName(u"figure");
        for (unsigned index = 0; index < figures->length(); ++index) {
            if (figures->item(index)->getAttribute(u"class").starts_with(u"wp-block-image"))
                return figures->item(index);
        }
        return nullptr;
    }
    template<typename Module> long selected() { return module<Module>()->alignmentSegmentedControl()->selectedSegment(); }
    template<typename Module> void choose(const std::u16string& label)
    {
        auto control = module<Module>()->alignmentSegmentedControl();
        for (long segment = 0; segment < control->segmentCount(); ++segment) {
            if (control->labelForSegment(segment) == label)
                control->setSelectedSegment(segment);
        }
        ASSERT_TRUE(control->sendAction());
        endEvent();
    }
    void typeClasses(const std::u16string& text)
    {
        auto field = module<VornickWordPressBlockCSSClassesInspectorModule>()->classNamesTextField();
        field->setStringValue(text);
        ASSERT_TRUE(field->sendAction());
        endEvent();
    }
};

} // namespace

TEST_F(VornickWordPressBlockAlignmentInspectorModuleTests, EachTypeOffersItsAlignmentsAndShowsTheBlocksOwn)
{
    using Labels = std::vector<std::u16string>;
    showBlockPost(alignmentPost);
    inspect(elementWithText(u"h2", u"Full title"));
    EXPECT_EQ(segments<VornickWordPressBlockMediaAlignmentInspectorModule>(), (Labels { u"None", u"Wide", u"Full" }));
    EXPECT_EQ(selected<VornickWordPressBlockMediaAlignmentInspectorModule>(), 2);
    EXPECT_EQ(segments<VornickWordPressBlockTextAlignmentInspectorModule>(), (Labels { u"Left", u"Center", u"Right" }));
    EXPECT_EQ(selected<VornickWordPressBlockTextAlignmentInspectorModule>(), 0);
    // A value no alignment has (justify) shows the first.
    inspect(elementWithText(u"h3", u"Justified"));
    EXPECT_EQ(selected<VornickWordPressBlockTextAlignmentInspectorModule>(), 0);
    // A pullquote without a text alignment is centred; it has no centred media alignment.
    inspect(elementWithText(u"figure", u"Pulled words"));
    EXPECT_EQ(selected<VornickWordPressBlockTextAlignmentInspectorModule>(), 1);
    EXPECT_EQ(segments<VornickWordPressBlockMediaAlignmentInspectorModule>(), (Labels { u"None", u"Left", u"Right", u"Wide", u"Full" }));
    inspect(image());
    EXPECT_EQ(segments<VornickWordPressBlockMediaAlignmentInspectorModule>(),
              (Labels { u"None", u"Left", u"Center", u"Right", u"Wide", u"Full" }));
}

TEST_F(VornickWordPressBlockAlignmentInspectorModuleTests, AChoiceWritesThePropertyItsTypeKeepsAndTheMatchingClass)
{
    showBlockPost(alignmentPost);
    // Wide on a full heading: the property and the one alignment class swapped, in place at the end.
    inspect(elementWithText(u"h2", u"Full title"));
    choose<VornickWordPressBlockMediaAlignmentInspectorModule>(u"Wide");
    EXPECT_EQ(targetStartComment(), u" wp:heading {\"align\":\"wide\"} ");
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"wp-block-heading alignwide");
    // The heading's text alignment goes to "textAlign", beside "align".
    choose<VornickWordPressBlockTextAlignmentInspectorModule>(u"Right");
    EXPECT_EQ(targetStartComment(), u" wp:heading {\"align\":\"wide\",\"textAlign\":\"right\"} ");
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"wp-block-heading alignwide has-text-align-right");

    // A paragraph keeps its text alignment in "align"; Left takes both away again.
    inspect(elementWithText(u"p", u"Plain paragraph"));
    choose<VornickWordPressBlockTextAlignmentInspectorModule>(u"Center");
    EXPECT_EQ(targetStartComment(), u" wp:paragraph {\"align\":\"center\"} ");
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"intro has-text-align-center");
    choose<VornickWordPressBlockTextAlignmentInspectorModule>(u"Left");
    EXPECT_EQ(targetStartComment(), u" wp:paragraph ");
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"intro");

    // So does a quote; a verse uses "textAlign".
    inspect(elementWithText(u"blockquote", u"Quoted words"));
    choose<VornickWordPressBlockTextAlignmentInspectorModule>(u"Right");
    EXPECT_EQ(targetStartComment(), u" wp:quote {\"align\":\"right\"} ");
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"wp-block-quote has-text-align-right");
    inspect(elementWithText(u"pre", u"Verse lines"));
    choose<VornickWordPressBlockTextAlignmentInspectorModule>(u"Center");
    EXPECT_EQ(targetStartComment(), u" wp:verse {\"textAlign\":\"center\"} ");

    // The user's own "alignment-note" stays when the image is aligned and unaligned.
    inspect(image());
    choose<VornickWordPressBlockMediaAlignmentInspectorModule>(u"Center");
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"wp-block-image alignment-note aligncenter");
    choose<VornickWordPressBlockMediaAlignmentInspectorModule>(u"None");
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"wp-block-image alignment-note");
    EXPECT_EQ(targetStartComment(), u" wp:image {\"id\":5,\"className\":\"alignment-note\"} ");
}

TEST_F(VornickWordPressBlockAlignmentInspectorModuleTests, TheClassesFieldReplacesOnlyTheClassesItListed)
{
    showBlockPost(alignmentPost);
    inspect(elementWithText(u"p", u"Classed paragraph"));
    auto field = module<VornickWordPressBlockCSSClassesInspectorModule>()->classNamesTextField();
    EXPECT_EQ(field->stringValue(), u"first  second");
    typeClasses(u"  third first ");
    EXPECT_EQ(targetStartComment(), u" wp:paragraph {\"className\":\"third first\"} ");
    // The block's own class and the double space it wrote stay.
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"keep  third first");
    EXPECT_EQ(field->stringValue(), u"third first");
    typeClasses(u"");
    EXPECT_EQ(targetStartComment(), u" wp:paragraph ");
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"keep ");
}

TEST_F(VornickWordPressBlockAlignmentInspectorModuleTests, WordPressReadsBackOnlyTheEditedAttributesAsItWritesThem)
{
    showBlockPost(alignmentPost);
    auto treeBefore = serverTree(storedBody);
    ASSERT_TRUE(treeBefore && treeBefore->isArray());

    inspect(elementWithText(u"h2", u"Full title"));
    choose<VornickWordPressBlockMediaAlignmentInspectorModule>(u"Wide");
    inspect(elementWithText(u"p", u"Plain paragraph"));
    choose<VornickWordPressBlockTextAlignmentInspectorModule>(u"Center");
    std::u16string typed = u"x--y <b>&amp;\"q\"</b> a/b été 💡";
    typeClasses(typed);
    EXPECT_EQ(undo().undoActionName(), u"Change Block Property");

    auto body = writtenBody();
    auto treeAfter = serverTree(body);
    ASSERT_TRUE(treeAfter && treeAfter->isArray());
    // The expected tree: the stored one with the two blocks' attributes changed.
    auto expected = treeBefore->array();
    ASSERT_GE(expected.size(), 2u);
    auto withAttributes = [](Value block, Dictionary attributes) {
        auto dictionary = block.dictionary();
        dictionary.insert_or_assign(u"attrs", attributes.empty() ? Value(Array()) : Value(std::move(attributes)));
        return Value(std::move(dictionary));
    };
    expected[0] = withAttributes(expected[0], Dictionary { { u"align", Value(u"wide") } });
    expected[1] = withAttributes(expected[1], Dictionary { { u"align", Value(u"center") }, { u"className", Value(typed) } });
    EXPECT_EQ(*treeAfter, Value(expected)) << toUTF8(body);

    // The comments' JSON is what WordPress writes for the same attributes.
    for (const auto* type : { u"wp:heading ", u"wp:paragraph " }) {
        auto json = writtenCommentJSON(body, type);
        ASSERT_FALSE(json.empty());
        EXPECT_EQ(testing::runWordPressOracleText("attributes", json).value_or(""), json);
    }
    // The element as WordPress 6.1 saves it: the classes in step with the attributes.
    auto paragraph = elementWithText(u"p", u"Plain paragraph");
    EXPECT_EQ(paragraph->getAttribute(u"class"), u"intro has-text-align-center x--y <b>&amp;\"q\"</b> a/b été 💡");
}

} // namespace brevanton

namespace brevanton {

TEST_F(VornickWordPressBlockAlignmentInspectorModuleTests, EachControlsChangeIsOneStepUndoneAndRedoneExactly)
{
    showBlockPost(alignmentPost);
    auto bodyHTML = [&] { return pointElement(u"body")->innerHTML(); };
    const std::vector<std::function<void()>> changes {
        [&] { choose<VornickWordPressBlockMediaAlignmentInspectorModule>(u"Wide"); },
        [&] { choose<VornickWordPressBlockTextAlignmentInspectorModule>(u"Center"); },
        [&] { typeClasses(u"big -- <note> & \"quoted\" a/b ñ"); },
    };
    for (size_t index = 0; index < changes.size(); ++index) {
        inspect(elementWithText(u"h2", u"Full title"));
        auto before = bodyHTML();
        changes[index]();
        auto after = bodyHTML();
        ASSERT_NE(after, before) << index;
        EXPECT_EQ(undo().undoActionName(), u"Change Block Property") << index;
        undo().undo();
        endEvent();
        EXPECT_EQ(bodyHTML(), before) << index;
        EXPECT_EQ(targetElement(), elementWithText(u"h2", u"Full title")) << "the editor reopened on the block";
        undo().redo();
        endEvent();
        EXPECT_EQ(bodyHTML(), after) << index;
    }
}

} // namespace brevanton
