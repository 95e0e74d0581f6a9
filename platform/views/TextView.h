// TextView: a view showing attributed text (its text storage) with a
// selection, inside a text container inset from the view's edges. Changes
// to the storage are grouped in editing batches; each batch that changed the
// text ends with the delegate's textDidChange. A click on a character with a
// link attribute is offered to the delegate.
#pragma once

#include "platform/foundation/AttributedString.h"
#include "platform/foundation/Color.h"
#include "platform/views/TextRange.h"
#include "platform/views/View.h"

#include <any>
#include <cstddef>
#include <memory>
#include <optional>

namespace brevanton {

class TextView;

class TextViewDelegate {
public:
    virtual ~TextViewDelegate() = default;
    // True when the delegate handled the click; the link is the attribute's value.
    virtual bool clickedOnLink(TextView&, const std::any& /*link*/, size_t /*characterIndex*/) { return false; }
    virtual void textDidChange(TextView&) {}
};

class TextView : public View {
public:
    explicit TextView(Rect frame = {});

    bool isFlipped() const override { return true; }
    bool acceptsFirstResponder() const override { return m_selectable; }

    // The text.
    const AttributedString& textStorage() const { return m_text; }
    std::u16string string() const { return m_text.string(); }
    // Replaces the whole text in one batch; the selection is clamped to the new text.
    void setString(std::u16string);
    // Batches nest; the text may change only inside one (mutableTextStorage asserts it).
    void beginEditing();
    void endEditing();
    AttributedString& mutableTextStorage();
    // The number of batches that changed the text.
    size_t processedEditCount() const { return m_processedEditCount; }

    // The selection; location TextNotFound means none.
    TextRange selectedRange() const { return m_selectedRange; }
    // Clamped to the text.
    void setSelectedRange(TextRange);

    // Appearance.
    bool drawsBackground() const { return m_drawsBackground; }
    void setDrawsBackground(bool draws) { m_drawsBackground = draws; }
    const Color& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(Color);
    const Color& insertionPointColor() const { return m_insertionPointColor; }
    void setInsertionPointColor(Color color) { m_insertionPointColor = color; }
    Size textContainerInset() const { return m_textContainerInset; }
    void setTextContainerInset(Size);
    bool isEditable() const { return m_editable; }
    void setEditable(bool editable) { m_editable = editable; }
    bool isSelectable() const { return m_selectable; }
    void setSelectable(bool selectable) { m_selectable = selectable; }

    // Sizing: sizeToFit makes the view as tall (vertically resizable) and as
    // wide (horizontally resizable) as its text and inset need.
    bool isHorizontallyResizable() const { return m_horizontallyResizable; }
    void setHorizontallyResizable(bool resizable) { m_horizontallyResizable = resizable; }
    bool isVerticallyResizable() const { return m_verticallyResizable; }
    void setVerticallyResizable(bool resizable) { m_verticallyResizable = resizable; }
    void sizeToFit();

    std::weak_ptr<TextViewDelegate> delegate() const { return m_delegate; }
    void setDelegate(const std::weak_ptr<TextViewDelegate>& delegate) { m_delegate = delegate; }
    // What a click on a character does: offers its link (if any) to the
    // delegate; true when the delegate handled it.
    bool clickedOnCharacter(size_t characterIndex);

    // Called before the view draws.
    virtual void viewWillDraw() {}
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    AttributedString m_text;
    int m_editingDepth { 0 };
    bool m_changedInBatch { false };
    size_t m_processedEditCount { 0 };
    TextRange m_selectedRange { 0, 0 };
    bool m_drawsBackground { true };
    Color m_backgroundColor { Color::white() };
    Color m_insertionPointColor { Color::black() };
    Size m_textContainerInset;
    bool m_editable { true };
    bool m_selectable { true };
    bool m_horizontallyResizable { false };
    bool m_verticallyResizable { true };
    std::weak_ptr<TextViewDelegate> m_delegate;
};

} // namespace brevanton
