// TextField: a control showing one attributed text: a static label, or an
// editable field. Its string value is the text's characters.
//
// An editable field takes the keyboard as its own field editor: becoming
// first responder selects its whole text, a click puts the insertion point
// at its end (and sends no action); typed characters replace the selection or go at the end,
// Backspace deletes the selection or the character before the end, Delete
// the selection; "selectAll:" selects the whole text. Each change is a
// user's edit (textDidChange). Return sends the field's action (when it has
// one and someone takes it); Tab, Escape and the keys that move go on to
// the next responder.
#pragma once

#include "platform/foundation/AttributedString.h"
#include "platform/views/Control.h"
#include "platform/views/Shadow.h"

#include <functional>
#include <optional>

namespace brevanton {

class TextField : public Control {
public:
    explicit TextField(Rect frame = {});
    // A static label showing `text`.
    static std::shared_ptr<TextField> labelWithString(std::u16string text);

    const AttributedString& attributedStringValue() const { return m_text; }
    // Also sets the string value.
    void setAttributedStringValue(AttributedString);
    // Sets the text without attributes.
    void setTextString(std::u16string);
    // A string or a number given as the value is the text the field shows
    // (from then on without attributes); other values leave the text.
    void setObjectValue(Value) override;

    // Shown, greyed, while the field is empty.
    const std::u16string& placeholderString() const { return m_placeholderString; }
    void setPlaceholderString(std::u16string);

    bool isEditable() const { return m_editable; }
    void setEditable(bool editable) { m_editable = editable; }
    bool isBezeled() const { return m_bezeled; }
    void setBezeled(bool bezeled) { m_bezeled = bezeled; }
    bool drawsBackground() const { return m_drawsBackground; }
    void setDrawsBackground(bool draws) { m_drawsBackground = draws; }
    bool acceptsFirstResponder() const override { return m_editable && isEnabled(); }
    bool becomeFirstResponder() override;
    // Whether the whole text is selected (typing replaces it).
    bool selectsWholeText() const { return m_selectsWholeText; }
    // Ends the whole-text selection: what is typed next goes at the end.
    void placeInsertionPointAtEnd() { m_selectsWholeText = false; }
    void mouseDown(const Event&) override;
    void keyDown(const Event&) override;

    // Posted through the default notification center with the field as object.
    static constexpr const char* TextDidChangeNotification = "ControlTextDidChangeNotification";
    // The user changed the text (the new text is already the value); the
    // field posts TextDidChangeNotification.
    virtual void textDidChange();
    // The field editor's part: the user's edit replaces the text, then
    // textDidChange runs.
    void editTextAsUser(std::u16string);

    // The size of the text on its own.
    Size naturalSize() const;
    // What a label too wide for its field draws, ending in an ellipsis; none
    // when the whole text fits or the field is edited.
    std::optional<std::u16string> elidedText() const;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

protected:
    void setSelectsWholeText(bool selects) { m_selectsWholeText = selects; }
    // An editable or bezeled field's frame, as a text field frame control
    // over the plain background `drawPlain` records; a label records only that.
    void drawFrame(GraphicsContext&, const std::function<void()>& drawPlain) const;
    // The text's shadow (its ShadowAttributeName), under the text at `textRect`.
    void drawTextShadow(GraphicsContext&, const Shadow&, const Rect& textRect) const;

private:
    AttributedString m_text;
    std::u16string m_placeholderString;
    bool m_editable { false };
    bool m_drawsBackground { false };
    bool m_bezeled { false };
    bool m_selectsWholeText { false };
    // Measuring a text costs more than drawing it: each draw reuses the
    // sizes last measured until the text or the fonts' metrics change.
    struct MeasuredSize {
        Size size;
        uint64_t metricsGeneration { 0 };
        bool valid { false };
    };
    Size measured(MeasuredSize&, const AttributedString&) const;
    mutable MeasuredSize m_textSize;
    mutable MeasuredSize m_placeholderSize;
};

} // namespace brevanton
