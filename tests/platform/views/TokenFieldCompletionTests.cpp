// A token field with a delegate, as a user types into it: completions in a
// list under the field, the keys that make tokens, unknown words kept as
// marked tokens, Backspace, Escape, and a click on a completion.
#include "platform/views/EventSynthesizer.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/TokenField.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace token_field_completion_tests {
namespace {

// Names: the objects are their index in the list.
class NamesDelegate final : public TokenFieldDelegate {
public:
    std::vector<std::u16string> names { u"apple", u"apricot", u"banana", u"grape", u"grapefruit" };
    std::vector<std::u16string> substrings;

    std::vector<std::u16string> completionsForSubstring(TokenField&, std::u16string_view substring, long, size_t limit) override
    {
        substrings.emplace_back(substring);
        std::vector<std::u16string> result;
        for (const auto& name : names) {
            if (name.starts_with(substring) && result.size() < limit)
                result.push_back(name);
        }
        return result;
    }
    std::u16string displayStringForRepresentedObject(TokenField&, const std::any& object) override
    {
        if (auto index = std::any_cast<size_t>(&object))
            return names[*index];
        return u"?";
    }
    std::any representedObjectForEditingString(TokenField&, std::u16string_view string) override
    {
        for (size_t index = 0; index < names.size(); ++index) {
            if (names[index] == string)
                return index;
        }
        return {};
    }
};

struct FieldInWindow {
    std::shared_ptr<Window> window = Window::create(Rect(100, 300, 300, 100));
    std::shared_ptr<TokenField> field = std::make_shared<TokenField>(Rect(10, 40, 200, 22));
    std::shared_ptr<NamesDelegate> delegate = std::make_shared<NamesDelegate>();
    std::shared_ptr<View> target = std::make_shared<View>();
    EventSynthesizer events;
    int actions { 0 };

    FieldInWindow()
    {
        window->contentView()->addSubview(field);
        field->setDelegate(delegate);
        target->setActionHandler("committed:", [this](ActionSender*) { ++actions; });
        field->setTarget(target);
        field->setAction("committed:");
        window->makeKeyAndOrderFront();
        EXPECT_TRUE(window->makeFirstResponder(field));
    }
    ~FieldInWindow() { window->orderOut(); }

    void type(std::u16string_view text) { events.typeText(window, text); }
    void press(char16_t character) { events.pressKey(window, character); }
    std::vector<size_t> indexes() const
    {
        std::vector<size_t> result;
        for (const auto& token : field->tokenItems()) {
            if (auto index = std::any_cast<size_t>(&token.object))
                result.push_back(*index);
        }
        return result;
    }
};

} // namespace

TEST(TokenFieldCompletionTests, TypingListsCompletionsUnderTheFieldAndReturnTakesTheHighlightedOne)
{
    FieldInWindow f;
    f.field->setObjects({ size_t(2) });
    EXPECT_FALSE(f.field->selectsWholeText()) << "typing adds to the tokens";
    f.type(u"ap");
    EXPECT_EQ(f.field->typedText(), u"ap");
    EXPECT_EQ(f.field->completions(), (std::vector<std::u16string> { u"apple", u"apricot" }));
    EXPECT_EQ(f.field->highlightedCompletion(), 0);
    auto list = f.field->completionWindow();
    ASSERT_TRUE(list);
    EXPECT_FALSE(list->canBecomeKeyWindow()) << "the keyboard stays with the field";
    Rect field = f.field->convertRectToScreen(f.field->bounds());
    EXPECT_DOUBLE_EQ(list->frame().maxY(), field.minY()) << "the list hangs from the field's lower edge";
    EXPECT_DOUBLE_EQ(list->frame().minX(), field.minX());

    f.press(FunctionKey::DownArrow);
    EXPECT_EQ(f.field->highlightedCompletion(), 1);
    f.press(FunctionKey::DownArrow);
    EXPECT_EQ(f.field->highlightedCompletion(), 0) << "the highlight wraps";
    f.press(FunctionKey::UpArrow);
    EXPECT_EQ(f.field->highlightedCompletion(), 1);
    f.press(u'\r');
    EXPECT_EQ(f.indexes(), (std::vector<size_t> { 2, 1 })) << "banana, apricot";
    EXPECT_TRUE(f.field->typedText().empty());
    EXPECT_FALSE(f.field->completionWindow());
    EXPECT_EQ(f.actions, 0) << "making a token is not the end of the edit";
    EXPECT_EQ(f.field->attributedStringValue().string(), u"banana, apricot");
    EXPECT_EQ(f.field->tokens(), (std::vector<std::u16string> { u"banana", u"apricot" }));

    // Return with nothing typed ends the edit.
    f.press(u'\r');
    EXPECT_EQ(f.actions, 1);
}

TEST(TokenFieldCompletionTests, CommaAndTabMakeTokensAndAWordNamingNothingIsKeptAsUnknown)
{
    FieldInWindow f;
    // The typed text wins over the highlight when it is a completion itself.
    f.type(u"grape,");
    EXPECT_EQ(f.indexes(), (std::vector<size_t> { 3 }));
    f.type(u" cherry\t");
    ASSERT_EQ(f.field->tokenItems().size(), 2u);
    const auto& unknown = f.field->tokenItems()[1];
    EXPECT_TRUE(unknown.unknown);
    EXPECT_EQ(unknown.displayString, u"cherry");
    ASSERT_TRUE(std::any_cast<std::u16string>(&unknown.object));
    EXPECT_EQ(std::any_cast<std::u16string>(unknown.object), u"cherry");
    EXPECT_EQ(f.field->attributedStringValue().string(), u"grape, cherry");
    EXPECT_EQ(f.window->firstResponder(), f.field) << "Tab made a token and kept the keyboard";

    // Tab and comma with nothing typed make nothing; Tab goes on.
    f.type(u",");
    EXPECT_EQ(f.field->tokenItems().size(), 2u);

    // Backspace with nothing typed removes the last token; with text, a character.
    f.type(u"ba");
    f.press(u'\x7f');
    EXPECT_EQ(f.field->typedText(), u"b");
    f.press(u'\x7f');
    f.press(u'\x7f');
    EXPECT_EQ(f.indexes(), (std::vector<size_t> { 3 }));
    EXPECT_EQ(f.field->tokenItems().size(), 1u);
}

TEST(TokenFieldCompletionTests, EscapeClosesTheListAClickChoosesAndLeavingFinishesTheWord)
{
    FieldInWindow f;
    f.type(u"gr");
    ASSERT_TRUE(f.field->completionWindow());
    f.press(u'\x1b');
    EXPECT_FALSE(f.field->completionWindow());
    EXPECT_EQ(f.field->typedText(), u"gr") << "Escape keeps the typed text";
    f.press(u'\r');
    ASSERT_EQ(f.field->tokenItems().size(), 1u);
    EXPECT_TRUE(f.field->tokenItems()[0].unknown) << "with the list closed Return takes the typed text";

    f.type(u"gra");
    auto list = f.field->completionWindow();
    ASSERT_TRUE(list);
    f.events.click(list, Point { 20, list->frame().height() - 18 - 9 });
    EXPECT_EQ(f.indexes(), (std::vector<size_t> { 4 })) << "the second row: grapefruit";

    f.type(u"banana");
    EXPECT_TRUE(f.field->resignFirstResponder());
    EXPECT_EQ(f.indexes(), (std::vector<size_t> { 4, 2 }));
    EXPECT_FALSE(f.field->completionWindow());
}

TEST(TokenFieldCompletionTests, TheListAndTheTokensAreDrawn)
{
    FieldInWindow f;
    f.field->setObjects({ size_t(0) });
    f.type(u"kiwi,ba");
    GraphicsContext field;
    f.field->display(field);
    std::vector<std::pair<std::u16string, Color>> texts;
    for (const auto& command : field.commands()) {
        if (command.kind == DrawCommand::Kind::Text || command.kind == DrawCommand::Kind::TextRun)
            texts.emplace_back(command.text, command.color);
    }
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].first, u"apple");
    EXPECT_EQ(texts[1].first, u"kiwi");
    EXPECT_NE(texts[1].second, texts[0].second) << "an unknown word looks different";
    EXPECT_EQ(texts[2].first, u"ba");

    auto list = f.field->completionWindow();
    ASSERT_TRUE(list);
    GraphicsContext rows;
    list->contentView()->display(rows);
    std::vector<std::u16string> shown;
    for (const auto& command : rows.commands()) {
        if (command.kind == DrawCommand::Kind::Text || command.kind == DrawCommand::Kind::TextRun)
            shown.push_back(command.text);
    }
    EXPECT_EQ(shown, (std::vector<std::u16string> { u"banana" }));
}

TEST(TokenFieldCompletionTests, TheListShowsAtMostTheMaximum)
{
    FieldInWindow f;
    f.field->setMaximumCompletions(1);
    f.type(u"a");
    EXPECT_EQ(f.delegate->substrings.back(), u"a");
    EXPECT_EQ(f.field->completions().size(), 1u);
}

} // namespace token_field_completion_tests
