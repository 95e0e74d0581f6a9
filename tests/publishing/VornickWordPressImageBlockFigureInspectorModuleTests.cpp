// The image block's module: the sizes it computes, the controls it shows for
// a block, and each change as one step that writes what the block editor
// writes for the new attributes (the link around the img alone, "is-resized"
// with width and height on the img and in the JSON), undone byte for byte,
// read back by WordPress with only the edited block's attributes changed.
#include "tests/publishing/BlockInspectorTestSupport.h"

#include "platform/views/Button.h"
#include "platform/views/SegmentedControl.h"
#include "platform/views/TextField.h"
#include "publishing/VornickWordPressImageBlockFigureInspectorModule.h"
#include "publishing/VornickWordPressImageBlockSizing.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <algorithm>
#include <regex>

namespace brevanton::vornick_wordpress_image_block_figure_inspector_module_tests {
namespace {

using Module = VornickWordPressImageBlockFigureInspectorModule;

// Class attribute values with their words sorted, so that class lists
// compare as sets.
std::string withSortedClasses(const std::u16string& html)
{
    std::string text = toUTF8(html);
    std::regex classAttribute("class=\"([^\"]*)\"");
    std::string out;
    auto last = text.cbegin();
    for (std::sregex_iterator match(text.begin(), text.end(), classAttribute), end; match != end; ++match) {
        out.append(last, text.cbegin() + match->position(0));
        std::vector<std::string> words;
        std::istringstream stream((*match)[1].str());
        for (std::string word; stream >> word;)
            words.push_back(word);
        std::sort(words.begin(), words.end());
        std::string joined;
        for (auto& word : words)
            joined += (joined.empty() ? "" : " ") + word;
        out += "class=\"" + joined + "\"";
        last = text.cbegin() + match->position(0) + match->length(0);
    }
    out.append(last, text.cend());
    return out;
}

// The written figure holding `marker`, a void element's " />" read as "/>".
std::u16string writtenFigure(const std::u16string& body, const std::u16string& marker)
{
    size_t at = body.find(marker);
    if (at == std::u16string::npos)
        return u"";
    size_t start = body.rfind(u"<figure", at);
    size_t end = body.find(u"</figure>", at);
    if (start == std::u16string::npos || end == std::u16string::npos)
        return u"";
    auto figure = body.substr(start, end + 9 - start);
    for (size_t space; (space = figure.find(u" />")) != std::u16string::npos;)
        figure.erase(space, 1);
    return figure;
}

class VornickWordPressImageBlockFigureInspectorModuleTests : public BlockInspectorTest {
protected:
    std::shared_ptr<VornickWordPressMediaItem> ferry;

    // The ferry's item at the site: 1200 × 800, its large variant 1024 ×
    // 683, its medium one recorded with its width only.
    void addFerryItem()
    {
        auto& context = *project->index()->managedObjectContext();
        ferry = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context.insertNewObject(u"MediaItem"));
        ferry->setObjectForKey(blog, u"blog");
        ferry->ManagedObject::setValueForKey(Value(u"412"), u"identifierUsedByBlogService");
        ferry->ManagedObject::setValueForKey(Value(u"https://example.com/wp-content/uploads/2024/05/ferry.jpg"), u"remoteURLString");
        ferry->ManagedObject::setValueForKey(Value(1200), u"pixelsWide");
        ferry->ManagedObject::setValueForKey(Value(800), u"pixelsHigh");
        auto variant = [&](const char16_t* name, const char16_t* file, long wide, long high) {
            auto made = context.insertNewObject(u"MediaItemVariant");
            made->setValueForKey(Value(name), u"variantName");
            made->setValueForKey(Value(file), u"filename");
            if (wide)
                made->setValueForKey(Value(wide), u"pixelsWide");
            if (high)
                made->setValueForKey(Value(high), u"pixelsHigh");
            made->setObjectForKey(ferry, u"mediaItem");
        };
        variant(u"large", u"ferry-1024x683.jpg", 1024, 683);
        variant(u"medium", u"ferry-300x200.jpg", 300, 0);
    }

    std::shared_ptr<Module> figureModule() const { return module<Module>(); }
    std::shared_ptr<DOMElement> figureWithText(const std::u16string& text) const { return elementWithText(u"figure", text); }
    std::shared_ptr<DOMElement> figureOfImage(const std::u16string& alt) const
    {
        auto images = pointElement(u"body")->getElementsByTagName(u"img");
        for (unsigned index = 0; index < images->length(); ++index) {
            if (images->item(index)->getAttribute(u"alt") == alt) {
                auto up = images->item(index)->parentElement();
                while (up && !up->hasTagName(u"figure"))
                    up = up->parentElement();
                return up;
            }
        }
        return nullptr;
    }
    std::shared_ptr<DOMElement> targetImage() const { return targetElement()->getElementsByTagName(u"img")->item(0); }

    void choose(const std::shared_ptr<SegmentedControl>& control, long segment)
    {
        control->setSelectedSegment(segment);
        ASSERT_TRUE(control->sendAction());
        endEvent();
    }
    void type(const std::shared_ptr<TextField>& field, const std::u16string& text)
    {
        field->setStringValue(text);
        ASSERT_TRUE(field->sendAction());
        endEvent();
    }
    void click(const std::shared_ptr<Button>& button)
    {
        ASSERT_TRUE(button->performClick());
        endEvent();
    }

    // WordPress's tree of the stored body with one block's attributes replaced.
    static Value treeWithAttributes(Value tree, const std::vector<size_t>& path, Dictionary attributes)
    {
        auto blocks = tree.array();
        auto block = blocks[path.front()].dictionary();
        if (path.size() > 1) {
            block.insert_or_assign(u"inner", treeWithAttributes(block.at(u"inner"), std::vector<size_t>(path.begin() + 1, path.end()),
                                                               std::move(attributes)));
        } else {
            block.insert_or_assign(u"attrs", Value(std::move(attributes)));
        }
        blocks[path.front()] = Value(std::move(block));
        return Value(std::move(blocks));
    }
    // The index of the first top-level block whose attributes hold the id.
    static size_t indexOfBlockWithID(const Value& tree, long identifier)
    {
        auto& blocks = tree.array();
        for (size_t index = 0; index < blocks.size(); ++index) {
            auto& attributes = blocks[index].dictionary().at(u"attrs");
            if (attributes.isDictionary()) {
                auto found = attributes.dictionary().find(u"id");
                if (found != attributes.dictionary().end() && found->second.integerValue() == identifier)
                    return index;
            }
        }
        return blocks.size();
    }
};

} // namespace

TEST_F(VornickWordPressImageBlockFigureInspectorModuleTests, UnscaledSizesAndScaleSegments)
{
    Size item { 1200, 800 };
    EXPECT_EQ(vornick_resolvedUnscaledImageSize(item, Size { 1024, 683 }), (Size { 1024, 683 }));
    // One recorded side takes the other in the item's proportions.
    EXPECT_EQ(vornick_resolvedUnscaledImageSize(item, Size { 300, 0 }), (Size { 300, 200 }));
    EXPECT_EQ(vornick_resolvedUnscaledImageSize(item, Size { 0, 100 }), (Size { 150, 100 }));
    EXPECT_EQ(vornick_resolvedUnscaledImageSize(item, Size {}), item);
    EXPECT_EQ(vornick_resolvedUnscaledImageSize(Size {}, Size { 300, 0 }), (Size {}));

    EXPECT_EQ(vornick_scaleSegmentForDisplayedImageSize(300, 200, item), 0);
    EXPECT_EQ(vornick_scaleSegmentForDisplayedImageSize(600, 400, item), 1);
    EXPECT_EQ(vornick_scaleSegmentForDisplayedImageSize(1200, 800, item), 3);
    // The two sides scaled differently, or by no offered factor.
    EXPECT_EQ(vornick_scaleSegmentForDisplayedImageSize(310, 200, item), -1);
    EXPECT_EQ(vornick_scaleSegmentForDisplayedImageSize(480, 320, item), -1);
    // No displayed size is the full size; no unscaled size, no scale.
    EXPECT_EQ(vornick_scaleSegmentForDisplayedImageSize(0, 200, item), 3);
    EXPECT_EQ(vornick_scaleSegmentForDisplayedImageSize(300, 200, Size { 0, 800 }), -1);
    // 683 × 0.5 rounds to 342, within the tolerance of a half.
    EXPECT_EQ(vornick_scaleSegmentForDisplayedImageSize(512, 342, Size { 1024, 683 }), 1);
}

TEST_F(VornickWordPressImageBlockFigureInspectorModuleTests, TheControlsShowTheBlock)
{
    showDataPost("photo-essay.html");

    inspect(figureOfImage(u"Café terrace"));
    auto shown = figureModule();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->mediaItemIDTextField()->stringValue(), u"-");
    EXPECT_EQ(shown->altTextTextField()->stringValue(), u"Café terrace");
    EXPECT_EQ(shown->sizeSegmentedControl()->selectedSegment(), 1);
    EXPECT_EQ(shown->linkTypeSegmentedControl()->selectedSegment(), 0);
    EXPECT_EQ(shown->widthTextField()->stringValue(), u"");
    EXPECT_EQ(shown->scaleSegmentedControl()->selectedSegment(), 3);
    // Without a blog window there is no media library to pick from.
    EXPECT_FALSE(shown->chooseOtherMediaItemButton()->isEnabled());

    inspect(figureOfImage(u"Dunes"));
    shown = figureModule();
    EXPECT_EQ(shown->mediaItemIDTextField()->stringValue(), u"0");
    EXPECT_EQ(shown->linkTypeSegmentedControl()->selectedSegment(), 1);
    EXPECT_TRUE(shown->linkURLTextField()->stringValue().ends_with(u"/media/dunes.jpg"));
    EXPECT_FALSE(shown->linkURLTextField()->isEditable());
    EXPECT_EQ(shown->sizeSegmentedControl()->selectedSegment(), 2);
    EXPECT_EQ(shown->widthTextField()->stringValue(), u"300");
    EXPECT_EQ(shown->heightTextField()->stringValue(), u"200");
    // No item: no unscaled size to compare with.
    EXPECT_EQ(shown->scaleSegmentedControl()->selectedSegment(), -1);

    inspect(figureOfImage(u"Boats in the harbour at dawn"));
    EXPECT_EQ(figureModule()->styleSegmentedControl()->selectedSegment(), 0);
    EXPECT_EQ(figureModule()->linkTypeSegmentedControl()->selectedSegment(), 0);
    auto lighthouse = pointElement(u"body")->getElementsByTagName(u"figure");
    for (unsigned index = 0; index < lighthouse->length(); ++index) {
        if (lighthouse->item(index)->getAttribute(u"class").find(u"is-style-rounded") != std::u16string::npos)
            inspect(lighthouse->item(index));
    }
    EXPECT_EQ(figureModule()->styleSegmentedControl()->selectedSegment(), 1);
    EXPECT_EQ(figureModule()->mediaItemIDTextField()->stringValue(), u"9001");
    EXPECT_EQ(figureModule()->sizeSegmentedControl()->selectedSegment(), 0);
}

TEST_F(VornickWordPressImageBlockFigureInspectorModuleTests, ALinkWrapsAndUnwrapsTheImageAloneOneStepEach)
{
    addFerryItem();
    showDataPost("travel-article.html");
    auto stored = writtenBody();
    auto storedHTML = pointElement(u"body")->innerHTML();
    auto treeBefore = serverTree(stored);
    ASSERT_TRUE(treeBefore && treeBefore->isArray());
    inspect(figureWithText(u"The ferry at Cais"));
    ASSERT_TRUE(figureModule());
    EXPECT_EQ(figureModule()->sizeSegmentedControl()->selectedSegment(), 1);
    EXPECT_EQ(figureModule()->scaleSegmentedControl()->selectedSegment(), 3);
    auto steps = undo().undoPosition();

    // Custom URL waits for the address; Attachment changes nothing, and the
    // control shows the block's link again, as does a refused size.
    choose(figureModule()->linkTypeSegmentedControl(), 3);
    EXPECT_TRUE(figureModule()->linkURLTextField()->isEditable());
    EXPECT_EQ(figureModule()->linkTypeSegmentedControl()->selectedSegment(), 3);
    choose(figureModule()->linkTypeSegmentedControl(), 2);
    EXPECT_EQ(figureModule()->linkTypeSegmentedControl()->selectedSegment(), 0);
    EXPECT_FALSE(figureModule()->linkURLTextField()->isEditable());
    type(figureModule()->widthTextField(), u"wide");
    EXPECT_EQ(figureModule()->widthTextField()->stringValue(), u"");
    EXPECT_EQ(undo().undoPosition(), steps);

    std::u16string address = u"https://example.com/ferry?a=1&b=--<x>";
    figureModule()->linkTypeSegmentedControl()->setSelectedSegment(3);
    type(figureModule()->linkURLTextField(), u"  " + address + u"\n");
    EXPECT_EQ(undo().undoActionName(), u"Change Block Property");
    EXPECT_NE(undo().undoPosition(), steps);
    auto figure = targetElement();
    auto link = figure->firstElementChild();
    ASSERT_TRUE(link && link->hasTagName(u"a"));
    EXPECT_EQ(link->getAttribute(u"href"), address);
    EXPECT_TRUE(link->firstElementChild()->hasTagName(u"img"));
    EXPECT_TRUE(link->nextElementSibling()->hasTagName(u"figcaption"));
    EXPECT_EQ(targetStartComment(), u" wp:image {\"id\":412,\"sizeSlug\":\"large\",\"linkDestination\":\"custom\"} ");
    auto linkedHTML = pointElement(u"body")->innerHTML();

    // None unwraps the img; the caption stays.
    choose(figureModule()->linkTypeSegmentedControl(), 0);
    figure = targetElement();
    EXPECT_TRUE(figure->firstElementChild()->hasTagName(u"img"));
    EXPECT_EQ(figure->lastElementChild()->textContent(), u"The ferry at Cais do Sodré");
    EXPECT_EQ(figure->getElementsByTagName(u"a")->length(), 0u);
    EXPECT_EQ(targetStartComment(), u" wp:image {\"id\":412,\"sizeSlug\":\"large\",\"linkDestination\":\"none\"} ");

    // Media File links to the item's file at the site.
    choose(figureModule()->linkTypeSegmentedControl(), 1);
    EXPECT_EQ(targetElement()->firstElementChild()->getAttribute(u"href"), ferry->ManagedObject::valueForKey(u"remoteURLString").stringValue());

    auto body = writtenBody();
    auto expected = treeWithAttributes(*treeBefore, { indexOfBlockWithID(*treeBefore, 412) },
                                       Dictionary { { u"id", Value(412) }, { u"sizeSlug", Value(u"large") }, { u"linkDestination", Value(u"media") } });
    EXPECT_EQ(serverTree(body), expected);
    auto json = writtenCommentJSON(body, u"wp:image ");
    EXPECT_EQ(testing::runWordPressOracleText("attributes", json).value_or(""), json);
    EXPECT_EQ(withSortedClasses(writtenFigure(body, u"ferry at Cais")),
              withSortedClasses(u"<figure class=\"wp-block-image size-large\"><a href=\"https://example.com/wp-content/uploads/2024/05/ferry.jpg\">"
                                u"<img src=\"https://example.com/wp-content/uploads/2024/05/ferry-1024x683.jpg\" "
                                u"alt=\"The orange ferry crossing the Tagus\" class=\"wp-image-412\"/></a>"
                                u"<figcaption class=\"wp-element-caption\">The ferry at Cais do Sodré</figcaption></figure>"));

    // Undo restores the post byte for byte and reopens the editor; Redo repeats.
    undo().undo();
    undo().undo();
    EXPECT_EQ(pointElement(u"body")->innerHTML(), linkedHTML);
    undo().undo();
    EXPECT_EQ(pointElement(u"body")->innerHTML(), storedHTML);
    EXPECT_EQ(serverTree(writtenBody()), treeBefore);
    endEvent();
    EXPECT_TRUE(editor() && editor()->popover()->isShown());
    undo().redo();
    undo().redo();
    undo().redo();
    EXPECT_EQ(writtenBody(), body);
}

TEST_F(VornickWordPressImageBlockFigureInspectorModuleTests, WidthHeightAndResizedStayInStep)
{
    addFerryItem();
    showDataPost("travel-article.html");
    auto stored = writtenBody();
    auto storedHTML = pointElement(u"body")->innerHTML();
    auto treeBefore = serverTree(stored);
    ASSERT_TRUE(treeBefore && treeBefore->isArray());
    inspect(figureWithText(u"The ferry at Cais"));

    // Typed: both numbers, rounded to whole pixels.
    figureModule()->widthTextField()->setStringValue(u"512");
    type(figureModule()->heightTextField(), u"341.6");
    EXPECT_EQ(targetStartComment(), u" wp:image {\"id\":412,\"width\":512,\"height\":342,\"sizeSlug\":\"large\",\"linkDestination\":\"none\"} ");
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"wp-block-image size-large is-resized");
    EXPECT_EQ(targetImage()->getAttribute(u"width"), u"512");
    EXPECT_EQ(targetImage()->getAttribute(u"height"), u"342");
    EXPECT_EQ(figureModule()->scaleSegmentedControl()->selectedSegment(), 1);
    auto steps = undo().undoPosition();
    // Not numbers, or below a pixel: nothing.
    type(figureModule()->widthTextField(), u"wide");
    type(figureModule()->widthTextField(), u"0.4");
    EXPECT_EQ(undo().undoPosition(), steps);

    choose(figureModule()->scaleSegmentedControl(), 0);
    EXPECT_EQ(targetImage()->getAttribute(u"width"), u"256");
    EXPECT_EQ(targetImage()->getAttribute(u"height"), u"171");
    EXPECT_EQ(figureModule()->widthTextField()->stringValue(), u"256");
    click(figureModule()->resetDimensionsButton());
    EXPECT_EQ(targetImage()->getAttribute(u"width"), u"1024");
    EXPECT_EQ(figureModule()->scaleSegmentedControl()->selectedSegment(), 3);

    // Medium: its recorded width, the height in the item's proportions, its file.
    choose(figureModule()->sizeSegmentedControl(), 2);
    EXPECT_EQ(targetStartComment(), u" wp:image {\"id\":412,\"width\":300,\"height\":200,\"sizeSlug\":\"medium\",\"linkDestination\":\"none\"} ");
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"wp-block-image size-medium is-resized");
    EXPECT_EQ(targetImage()->getAttribute(u"src"), u"https://example.com/wp-content/uploads/2024/05/ferry-300x200.jpg");
    // The size it has already: no step.
    steps = undo().undoPosition();
    choose(figureModule()->sizeSegmentedControl(), 2);
    EXPECT_EQ(undo().undoPosition(), steps);

    auto body = writtenBody();
    auto expected = treeWithAttributes(*treeBefore, { indexOfBlockWithID(*treeBefore, 412) },
                                       Dictionary { { u"id", Value(412) }, { u"width", Value(300) }, { u"height", Value(200) },
                                                    { u"sizeSlug", Value(u"medium") }, { u"linkDestination", Value(u"none") } });
    EXPECT_EQ(serverTree(body), expected);
    auto json = writtenCommentJSON(body, u"wp:image ");
    EXPECT_EQ(testing::runWordPressOracleText("attributes", json).value_or(""), json);
    EXPECT_EQ(withSortedClasses(writtenFigure(body, u"ferry at Cais")),
              withSortedClasses(u"<figure class=\"wp-block-image size-medium is-resized\">"
                                u"<img src=\"https://example.com/wp-content/uploads/2024/05/ferry-300x200.jpg\" "
                                u"alt=\"The orange ferry crossing the Tagus\" class=\"wp-image-412\" width=\"300\" height=\"200\"/>"
                                u"<figcaption class=\"wp-element-caption\">The ferry at Cais do Sodré</figcaption></figure>"));

    // Five changes, five steps.
    for (int step = 0; step < 5; ++step)
        undo().undo();
    EXPECT_EQ(pointElement(u"body")->innerHTML(), storedHTML);
}

TEST_F(VornickWordPressImageBlockFigureInspectorModuleTests, StyleAndAltTextKeepWhatTheyDoNotOwn)
{
    showBlockPost(u"<!-- wp:image {\"id\":7,\"sizeSlug\":\"large\",\"className\":\"note is-style-rounded\"} -->\n"
                  u"<figure class=\"wp-block-image size-large note is-style-rounded\"><img src=\"https://site.example/a.png\" alt=\"\" class=\"wp-image-7\"/></figure>\n"
                  u"<!-- /wp:image -->\n\n"
                  u"<!-- wp:paragraph -->\n<p>After.</p>\n<!-- /wp:paragraph -->");
    auto stored = writtenBody();
    auto storedHTML = pointElement(u"body")->innerHTML();
    inspect(pointElement(u"body")->getElementsByTagName(u"figure")->item(0));
    ASSERT_TRUE(figureModule());
    EXPECT_EQ(figureModule()->styleSegmentedControl()->selectedSegment(), 1);

    // Default drops the style's word and class only.
    choose(figureModule()->styleSegmentedControl(), 0);
    EXPECT_EQ(targetStartComment(), u" wp:image {\"id\":7,\"sizeSlug\":\"large\",\"className\":\"note\"} ");
    EXPECT_EQ(targetElement()->getAttribute(u"class"), u"wp-block-image size-large note");
    choose(figureModule()->styleSegmentedControl(), 1);
    EXPECT_EQ(targetStartComment(), u" wp:image {\"id\":7,\"sizeSlug\":\"large\",\"className\":\"note is-style-rounded\"} ");

    // Alt text is the img's own, escaped as the block editor escapes attributes ("&" and '"').
    std::u16string alt = u"x--y <b>&amp;\"q\"</b> a/b été 💡";
    type(figureModule()->altTextTextField(), alt);
    EXPECT_EQ(targetImage()->getAttribute(u"alt"), alt);
    type(figureModule()->altTextTextField(), alt);
    auto body = writtenBody();
    EXPECT_NE(body.find(u"alt=\"x--y <b>&amp;amp;&quot;q&quot;</b> a/b été 💡\""), std::u16string::npos) << toUTF8(body);
    EXPECT_EQ(serverTree(body), serverTree(stored));
    for (int step = 0; step < 3; ++step)
        undo().undo();
    EXPECT_EQ(pointElement(u"body")->innerHTML(), storedHTML);
}

} // namespace brevanton::vornick_wordpress_image_block_figure_inspector_module_tests
