// TextInputClient: what a view that takes typed text offers an input method
// while it composes. The text being composed (the marked text) is shown at
// the insertion point but never becomes part of the view's content: what the
// input method commits arrives as typed text (a key down carrying those
// characters), and the marked text is forgotten first. A view that shows
// text for editing implements it; the window backend asks the key window's
// first responder.
#pragma once

#include "platform/views/Geometry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class Window;

// A part of the marked text the input method set apart; the part it is
// converting now is emphasized.
struct MarkedTextClause {
    size_t location { 0 };
    size_t length { 0 };
    bool emphasized { false };

    bool operator==(const MarkedTextClause&) const = default;
};

struct MarkedText {
    std::u16string text;
    // Where the input method's cursor stands in the text (0 to its length),
    // and whether it is shown.
    size_t cursor { 0 };
    bool showsCursor { true };
    // In order and not overlapping; without clauses the text is one plain clause.
    std::vector<MarkedTextClause> clauses;
};

class TextInputClient {
public:
    virtual ~TextInputClient() = default;

    virtual bool hasMarkedText() const = 0;
    // Shows the text at the insertion point in place of the marked text shown
    // before; an empty text is the same as unmarkText. The content does not change.
    virtual void setMarkedText(MarkedText) = 0;
    // Stops showing the marked text; the content does not change.
    virtual void unmarkText() = 0;
    // The caret at an offset of the marked text, in the window's base
    // coordinates (an input method places its candidate window by it);
    // nullopt without marked text or while it cannot be placed.
    virtual std::optional<Rect> firstRectForMarkedTextOffset(size_t offset) = 0;
};

// The window's first responder when it takes marked text, else null.
TextInputClient* textInputClientOfWindow(const Window&);

} // namespace brevanton
