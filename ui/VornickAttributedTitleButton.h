// VornickAttributedTitleButton: a button (a check box, say) whose title may
// carry colours of its own, drawn run by run, each in its colour. Setting a
// plain title drops the colours.
#pragma once

#include "platform/foundation/AttributedString.h"
#include "platform/views/Button.h"

#include <optional>

namespace brevanton {

class VornickAttributedTitleButton : public Button {
public:
    using Button::Button;

    // The coloured title while its text is the title's; null otherwise.
    const std::optional<AttributedString>& attributedTitle() const { return m_attributedTitle; }
    // Also sets the title to its text.
    void setAttributedTitle(AttributedString);

    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    std::optional<AttributedString> m_attributedTitle;
};

} // namespace brevanton
