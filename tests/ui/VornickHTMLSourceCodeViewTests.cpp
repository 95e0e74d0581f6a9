#include "ui/VornickHTMLSourceCodeView.h"

#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "platform/foundation/Text.h"
#include "platform/views/GraphicsContext.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

AttributedString text(size_t length)
{
    return AttributedString(std::u16string(length, u'x'));
}

struct CountingDelegate : TextViewDelegate {
    int changes { 0 };
    void textDidChange(TextView&) override { ++changes; }
};

} // namespace

TEST(HTMLSourceCodeView, StartsWithTheUsersDefaultColoursAndAnInset)
{
    auto view = std::make_shared<VornickHTMLSourceCodeView>(Rect(0, 0, 300, 200));
    auto defaults = VornickHTMLSyntaxColoringPreferences::usersDefaultHTMLSyntaxHighlightingPreferences();
    EXPECT_EQ(view->syntaxColoringPreferences(), defaults);
    EXPECT_EQ(view->backgroundColor(), defaults->backgroundColor());
    EXPECT_EQ(view->insertionPointColor(), defaults->insertionPointColor());
    EXPECT_EQ(view->textContainerInset(), (Size { 8, 8 }));
}

TEST(HTMLSourceCodeView, ReplacingTheTextKeepsTheSelectionWhereItCan)
{
    auto view = std::make_shared<VornickHTMLSourceCodeView>();
    auto delegate = std::make_shared<CountingDelegate>();
    view->setDelegate(delegate);
    view->setSourceCodeAttributedString(text(100));
    view->setSelectedRange({ 90, 20 });
    EXPECT_EQ(view->selectedRange(), (TextRange { 90, 10 }));
    view->setSelectedRange({ 90, 10 });

    view->setSourceCodeAttributedString(text(50));
    EXPECT_EQ(view->selectedRange(), (TextRange { 50, 0 }));
    view->setSelectedRange({ 10, 30 });
    view->setSourceCodeAttributedString(text(20));
    EXPECT_EQ(view->selectedRange(), (TextRange { 10, 10 }));
    EXPECT_EQ(view->sourceCodeAttributedString().length(), 20u);

    // No selection stays none.
    view->setSelectedRange({ TextNotFound, 0 });
    view->setSourceCodeAttributedString(text(5));
    EXPECT_EQ(view->selectedRange().location, TextNotFound);
    // Each replacement is one editing batch.
    EXPECT_EQ(delegate->changes, 4);
    EXPECT_EQ(view->processedEditCount(), 4u);
}

TEST(HTMLSourceCodeView, FollowsPreferencesThatChangeTheirColoursInPlace)
{
    auto view = std::make_shared<VornickHTMLSourceCodeView>(Rect(0, 0, 100, 100));
    auto preferences = VornickHTMLSyntaxColoringPreferences::usersDefaultHTMLSyntaxHighlightingPreferences()->mutableCopy();
    preferences->setBackgroundColor(Color::sRGB(0.1, 0.2, 0.3));
    preferences->setInsertionPointColor(Color::white());
    view->setSyntaxColoringPreferences(preferences);
    EXPECT_EQ(view->backgroundColor(), Color::sRGB(0.1, 0.2, 0.3));
    EXPECT_EQ(view->insertionPointColor(), Color::white());

    preferences->setBackgroundColor(Color::black());
    GraphicsContext context;
    view->display(context);
    EXPECT_EQ(view->backgroundColor(), Color::black());
    ASSERT_FALSE(context.commandsOfView(view.get()).empty());
    EXPECT_EQ(context.commandsOfView(view.get()).front().color, Color::black());

    // Null preferences leave the colours as they were.
    view->setSyntaxColoringPreferences(nullptr);
    EXPECT_EQ(view->backgroundColor(), Color::black());
}

// Source that is not coloured yet is drawn as the coloured source will draw
// its text: in the preferences' text colour and font, never in the text
// view's black, which the dark presets' background would swallow.
TEST(HTMLSourceCodeView, PlainSourceIsDrawnInThePreferencesTextColourAndFont)
{
    auto view = std::make_shared<VornickHTMLSourceCodeView>(Rect(0, 0, 300, 100));
    auto dark = VornickHTMLSyntaxColoringPreferences::sourceLoupeDarkHTMLSyntaxHighlightingPreferences();
    view->setSyntaxColoringPreferences(dark);
    view->setPlainSourceCode(u"<p>plain</p>\n<b>x</b>");
    EXPECT_EQ(view->string(), u"<p>plain</p>\n<b>x</b>");
    const auto& runs = view->textStorage().runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].length, view->string().size());
    EXPECT_EQ(runs[0].attributes, dark->attributesDictionaryForTokenKind(TK_OTHER_TEXT, 4));

    GraphicsContext context;
    view->display(context);
    size_t texts = 0;
    for (const auto& command : context.commandsOfView(view.get())) {
        if (command.kind != DrawCommand::Kind::Text)
            continue;
        ++texts;
        EXPECT_EQ(command.color, *dark->colorForTokenKind(TK_OTHER_TEXT)) << toUTF8(command.text);
        EXPECT_NE(command.color, dark->backgroundColor());
    }
    EXPECT_EQ(texts, 2u);
}
