#include "platform/views/TextView.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/Font.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/TextField.h"
#include "platform/views/TextLayout.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct LinkDelegate : TextViewDelegate {
    std::vector<size_t> clicks;
    int changes { 0 };
    bool clickedOnLink(TextView&, const std::any& link, size_t index) override
    {
        clicks.push_back(index);
        return std::any_cast<std::u16string>(&link) != nullptr;
    }
    void textDidChange(TextView&) override { ++changes; }
};

} // namespace

TEST(TextView, EditsHappenInBatchesAndTheSelectionStaysInTheText)
{
    auto view = std::make_shared<TextView>(Rect(0, 0, 100, 100));
    auto delegate = std::make_shared<LinkDelegate>();
    view->setDelegate(delegate);
    EXPECT_THROW(view->mutableTextStorage(), InternalInconsistencyException);

    view->beginEditing();
    view->mutableTextStorage().appendString(u"Hello", nullptr);
    view->beginEditing();
    view->mutableTextStorage().appendString(u" world", nullptr);
    view->endEditing();
    EXPECT_EQ(delegate->changes, 0);
    view->endEditing();
    EXPECT_EQ(delegate->changes, 1);
    EXPECT_EQ(view->processedEditCount(), 1u);

    view->setSelectedRange({ 8, 10 });
    EXPECT_EQ(view->selectedRange(), (TextRange { 8, 3 }));
    view->setString(u"Hi");
    EXPECT_EQ(view->selectedRange(), (TextRange { 2, 0 }));
    // A batch that changed nothing tells nobody.
    view->beginEditing();
    view->endEditing();
    EXPECT_EQ(delegate->changes, 2);
}

TEST(TextView, ClicksOnLinksGoToTheDelegate)
{
    auto view = std::make_shared<TextView>();
    auto delegate = std::make_shared<LinkDelegate>();
    view->setDelegate(delegate);
    auto linked = std::make_shared<TextAttributeDictionary>();
    (*linked)[LinkAttributeName] = std::u16string(u"anchor");
    view->beginEditing();
    view->mutableTextStorage().appendString(u"Read ", nullptr);
    view->mutableTextStorage().appendString(u"more", linked);
    view->endEditing();
    EXPECT_FALSE(view->clickedOnCharacter(1));
    EXPECT_TRUE(view->clickedOnCharacter(6));
    EXPECT_FALSE(view->clickedOnCharacter(60));
    EXPECT_EQ(delegate->clicks, std::vector<size_t> { 6 });
}

TEST(TextView, SizesToItsTextAndInset)
{
    auto view = std::make_shared<TextView>(Rect(0, 0, 80, 10));
    view->setTextContainerInset({ 4, 5 });
    view->setString(u"ab\ncd");
    view->sizeToFit();
    Size text = sizeOfAttributedString(view->textStorage());
    EXPECT_EQ(view->frame().size, (Size { 80, text.height + 10 }));
    EXPECT_EQ(text.height, 2 * sizeOfAttributedString(AttributedString(u"ab")).height);
    view->setHorizontallyResizable(true);
    view->sizeToFit();
    EXPECT_EQ(view->frame().width(), text.width + 8);

    auto label = TextField::labelWithString(u"Label");
    EXPECT_EQ(label->stringValue(), u"Label");
    EXPECT_EQ(label->frame().size, label->naturalSize());
    EXPECT_FALSE(label->acceptsFirstResponder());
}

TEST(TextView, DrawsEachLineAsItsRunsOfOneColourWhereTheFontsPlaceThem)
{
    auto view = std::make_shared<TextView>(Rect(0, 0, 200, 100));
    view->setTextContainerInset({ 4, 5 });
    auto font = Font::fontWithName(u"Menlo", 10);
    auto attributes = [&](Color color) {
        return std::make_shared<const TextAttributeDictionary>(
            TextAttributeDictionary { { FontAttributeName, font }, { ForegroundColorAttributeName, color } });
    };
    AttributedString text(u"<p>", attributes(Color::sRGB(0, 0, 1)));
    text.appendString(u"Hi\n  x", attributes(Color::black()));
    view->beginEditing();
    view->mutableTextStorage() = text;
    view->endEditing();
    GraphicsContext context;
    view->display(context);
    std::vector<DrawCommand> texts;
    for (const auto& command : context.commands()) {
        if (command.kind == DrawCommand::Kind::Text)
            texts.push_back(command);
    }
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, u"<p>");
    EXPECT_EQ(texts[0].color, Color::sRGB(0, 0, 1));
    EXPECT_EQ(texts[0].rect, Rect(4, 5, font->widthOfString(u"<p>"), font->lineHeight()));
    EXPECT_EQ(texts[1].text, u"Hi");
    EXPECT_EQ(texts[1].rect.minX(), 4 + font->widthOfString(u"<p>"));
    // The second line's run starts with its spaces, under the first line.
    EXPECT_EQ(texts[2].text, u"  x");
    EXPECT_EQ(texts[2].rect.origin, (Point { 4, 5 + font->lineHeight() }));

    // Only the lines in the part drawn are drawn.
    GraphicsContext part;
    view->setNeedsDisplayInRect(Rect(0, 5 + font->lineHeight() + 1, 200, 5));
    view->displayIfNeeded(part);
    size_t drawn = 0;
    for (const auto& command : part.commands())
        drawn += command.kind == DrawCommand::Kind::Text ? 1 : 0;
    EXPECT_EQ(drawn, 1u);
}

// The measure of a long text with runs of several fonts: lines as high as
// their tallest font, the gaps between runs in the system font, and the width
// of the widest line however far down it is.
TEST(TextView, TheSizeOfTextFollowsItsFontsAndItsWidestLine)
{
    auto small = Font::fontWithName(u"Menlo", 10);
    auto large = Font::fontWithName(u"Menlo", 30);
    auto attributes = [](const std::shared_ptr<const Font>& font) {
        auto dictionary = std::make_shared<TextAttributeDictionary>();
        (*dictionary)[FontAttributeName] = font;
        return TextAttributes(dictionary);
    };
    std::u16string string;
    for (int line = 0; line < 200; ++line)
        string += u"short\n";
    string += u"a much longer line than the others\nBIG\n";
    // Runs: everything small but "BIG" large; the newline after the long
    // line is in no run (the system font).
    size_t big = string.find(u"BIG");
    std::vector<AttributedString::Run> runs { { 0, big - 1, attributes(small) }, { big, 3, attributes(large) },
                                              { big + 3, 1, attributes(small) } };
    AttributedString text(string, runs);
    Size size = sizeOfAttributedString(text);
    auto system = systemFontOfSize(0);
    EXPECT_DOUBLE_EQ(size.width, small->widthOfString(u"a much longer line than the others"));
    double height = 200 * small->lineHeight() + std::max(small->lineHeight(), system->lineHeight()) + large->lineHeight()
        + system->lineHeight();
    EXPECT_DOUBLE_EQ(size.height, height);
    // A tab counts as a long line does.
    AttributedString tabs(std::u16string(100, u'x') + u"\n\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t", attributes(small));
    EXPECT_DOUBLE_EQ(sizeOfAttributedString(tabs).width,
                     std::max(small->widthOfString(std::u16string(100, u'x')), small->widthOfString(std::u16string(20, u'\t'))));
    EXPECT_EQ(sizeOfAttributedString(AttributedString()).height, 0);
}
