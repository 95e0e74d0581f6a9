// An editable text field taking the keyboard in a window: the whole text
// selected when it becomes first responder, a click putting the insertion
// point at the end, typing, Backspace, Select All, Return, and the keys it
// leaves to others; the box its text is drawn in.
#include "platform/foundation/NotificationCenter.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/TextField.h"
#include "platform/views/TextLayout.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

#include <functional>
#include <unicode/utf16.h>

using namespace brevanton;

namespace {

struct FieldInWindow {
    std::shared_ptr<Window> window = Window::create(Rect(0, 0, 300, 100));
    std::shared_ptr<TextField> field = std::make_shared<TextField>(Rect(10, 40, 200, 22));
    std::shared_ptr<View> target = std::make_shared<View>();
    EventSynthesizer events;
    int edits { 0 };
    int actions { 0 };

    FieldInWindow()
    {
        field->setEditable(true);
        field->setTextString(u"class");
        window->contentView()->addSubview(field);
        target->setActionHandler("edited:", [this](ActionSender*) { ++actions; });
        field->setTarget(target);
        field->setAction("edited:");
        observation = NotificationCenter::defaultCenter().addObserver(TextField::TextDidChangeNotification, field.get(), nullptr,
                                                                      [this](const Notification&) { ++edits; });
    }
    std::u16string text() const { return field->attributedStringValue().string(); }
    void type(std::u16string_view text) { events.typeText(window, text); }
    void press(char16_t character, ModifierFlags flags = 0) { events.pressKey(window, character, flags); }

    ObserverToken observation;
};

} // namespace

TEST(TextFieldTests, TypingReplacesTheSelectionThenGoesAtTheEndAndBackspaceErases)
{
    FieldInWindow f;
    ASSERT_TRUE(f.window->makeFirstResponder(f.field));
    EXPECT_TRUE(f.field->selectsWholeText());
    f.type(u"item");
    EXPECT_EQ(f.text(), u"item");
    EXPECT_EQ(f.field->stringValue(), u"item");
    f.type(u"prop");
    EXPECT_EQ(f.text(), u"itemprop");
    EXPECT_EQ(f.edits, 8) << "each key is an edit of the user's";

    f.press(u'\x7f');
    EXPECT_EQ(f.text(), u"itempro");
    // A character outside the basic plane goes as a whole.
    f.field->setTextString(u"a\U0001F680");
    f.press(u'\x7f');
    EXPECT_EQ(f.text(), u"a");

    // Select All, then Backspace: nothing is left; another Backspace changes nothing.
    ASSERT_TRUE(f.field->performAction("selectAll:", nullptr));
    EXPECT_TRUE(f.field->selectsWholeText());
    f.press(u'\x7f');
    EXPECT_EQ(f.text(), u"");
    int edits = f.edits;
    f.press(u'\x7f');
    EXPECT_EQ(f.edits, edits);
}

TEST(TextFieldTests, AClickPutsTheInsertionPointAtTheEndAndCommandsAreNotTyped)
{
    FieldInWindow f;
    f.events.click(f.window, Point { 100, 50 });
    ASSERT_EQ(f.window->firstResponder(), f.field);
    EXPECT_FALSE(f.field->selectsWholeText());
    f.type(u"es");
    EXPECT_EQ(f.text(), u"classes");

    // Command and Control keys, Tab and Escape type nothing.
    f.press(u'a', ModifierFlag::Control);
    f.press(u'\t');
    f.press(u'\x1b');
    EXPECT_EQ(f.text(), u"classes");
    EXPECT_EQ(f.actions, 0);
    // Return sends the field's action.
    f.press(u'\r');
    EXPECT_EQ(f.actions, 1);
    EXPECT_EQ(f.text(), u"classes");

    // A disabled field or a label takes no keys.
    f.field->setEnabled(false);
    f.type(u"x");
    EXPECT_EQ(f.text(), u"classes");
    auto label = TextField::labelWithString(u"Label");
    f.window->contentView()->addSubview(label);
    EXPECT_FALSE(f.window->makeFirstResponder(label));
}

namespace text_field_tests {

// Every unit advances 2 points; lines are 9 high.
class TwoPointProvider final : public FontMetricsProvider {
public:
    double widthOfRun(const FontDescriptor&, std::u16string_view run) const override { return 2.0 * static_cast<double>(run.size()); }
    std::vector<double> caretPositions(const FontDescriptor&, std::u16string_view run) const override
    {
        std::vector<double> positions;
        for (size_t i = 0; i <= run.size(); ++i)
            positions.push_back(2.0 * static_cast<double>(i));
        return positions;
    }
    FontLineMetrics lineMetrics(const FontDescriptor&) const override { return { 7, 2, 9 }; }
};

// The box of the one text the field draws (an empty size when it draws none).
Size drawnTextSize(TextField& field)
{
    auto image = field.cacheDisplayInRect(field.bounds());
    for (const auto& command : image->drawing()) {
        if (command.kind == DrawCommand::Kind::Text)
            return command.rect.size;
    }
    return {};
}

} // namespace text_field_tests

TEST(TextFieldTests, TheTextIsDrawnInABoxOfItsSizeAsTheTextAndTheFontsMetricsChange)
{
    using namespace text_field_tests;
    auto field = std::make_shared<TextField>(Rect(0, 0, 200, 22));
    field->setTextString(u"abc");
    Size abc = drawnTextSize(*field);
    EXPECT_GT(abc.width, 0);
    EXPECT_EQ(abc, field->naturalSize());
    EXPECT_EQ(drawnTextSize(*field), abc) << "drawn again, the same box";
    field->setTextString(u"abcdef");
    EXPECT_GT(drawnTextSize(*field).width, abc.width);
    field->setAttributedStringValue(AttributedString(u"ab"));
    EXPECT_LT(drawnTextSize(*field).width, abc.width);

    // Other metrics measure the same text again, and so do the former ones once back.
    FontMetricsProvider::setCurrent(std::make_shared<TwoPointProvider>());
    EXPECT_EQ(drawnTextSize(*field), (Size { 4, 9 }));
    EXPECT_EQ(field->naturalSize(), (Size { 4, 9 }));
    FontMetricsProvider::setCurrent(nullptr);
    Size ab = drawnTextSize(*field);
    EXPECT_LT(ab.width, abc.width);
    EXPECT_NE(ab, (Size { 4, 9 }));

    // An empty field draws its placeholder in the placeholder's own box.
    field->setTextString(u"");
    field->setPlaceholderString(u"ab");
    EXPECT_EQ(drawnTextSize(*field), ab);
    field->setPlaceholderString(u"abc");
    EXPECT_EQ(drawnTextSize(*field), abc);
    FontMetricsProvider::setCurrent(std::make_shared<TwoPointProvider>());
    EXPECT_EQ(drawnTextSize(*field), (Size { 6, 9 }));
    FontMetricsProvider::setCurrent(nullptr);
    EXPECT_EQ(drawnTextSize(*field), abc);
}

TEST(TextFieldTests, AValueSetAsAControlsIsTheTextTheFieldDraws)
{
    struct Case {
        const char* name;
        std::function<void(TextField&)> set;
        std::u16string drawn;
    };
    const Case cases[] = {
        { "string value", [](TextField& field) { field.setStringValue(u"wurd"); }, u"wurd" },
        { "integer value", [](TextField& field) { field.setIntegerValue(42); }, u"42" },
        { "object value", [](TextField& field) { field.setObjectValue(Value(u"ward")); }, u"ward" },
        { "emptied", [](TextField& field) { field.setStringValue(u""); }, u"" },
        { "neither text nor number", [](TextField& field) { field.setObjectValue(Value(Array {})); }, u"before" },
    };
    for (bool editable : { false, true }) {
        for (const auto& test : cases) {
            SCOPED_TRACE(std::string(test.name) + (editable ? ", editable" : ", label"));
            auto field = std::make_shared<TextField>(Rect(0, 0, 200, 22));
            field->setEditable(editable);
            field->setTextString(u"before");
            test.set(*field);
            EXPECT_EQ(field->attributedStringValue().string(), test.drawn);
            GraphicsContext context;
            field->display(context);
            std::u16string drawn;
            for (const auto& command : context.commands()) {
                if (command.kind == DrawCommand::Kind::Text)
                    drawn += command.text;
            }
            EXPECT_EQ(drawn, test.drawn);
        }
    }
}

TEST(TextFieldTests, ALabelTooWideForItsFieldEndsInAnEllipsisWithinIt)
{
    struct Case {
        const char* name;
        std::u16string text;
        double width;
        bool editable;
        bool elided;
    };
    const std::u16string status = u"Sync failed: could not find the host site.example.org";
    const Case cases[] = {
        { "fits", u"Sync", 200, false, false },
        { "cut label", status, 120, false, true },
        { "cut before an emoji", u"ab\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600", 30, false, true },
        { "edited field scrolls", status, 120, true, false },
        { "lines wrap", u"one line\nand another that is longer than the field", 60, false, false },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        auto field = std::make_shared<TextField>(Rect(0, 0, test.width, 22));
        field->setEditable(test.editable);
        field->setTextString(test.text);
        GraphicsContext context;
        field->display(context);
        std::u16string drawn;
        Rect box;
        for (const auto& command : context.commands()) {
            if (command.kind == DrawCommand::Kind::Text) {
                drawn += command.text;
                box = command.rect;
            }
        }
        EXPECT_EQ(field->elidedText().has_value(), test.elided);
        if (!test.elided) {
            EXPECT_EQ(drawn, test.text);
            continue;
        }
        ASSERT_FALSE(drawn.empty());
        EXPECT_EQ(drawn.back(), u'\u2026');
        std::u16string kept = drawn.substr(0, drawn.size() - 1);
        EXPECT_TRUE(test.text.starts_with(kept)) << "a prefix of the text";
        EXPECT_FALSE(!kept.empty() && U16_IS_LEAD(kept.back())) << "no half of a surrogate pair";
        EXPECT_LE(sizeOfAttributedString(AttributedString(drawn)).width, test.width);
        EXPECT_LE(box.size.width, test.width);
    }
}
