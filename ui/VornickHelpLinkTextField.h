// VornickHelpLinkTextField: a label drawn as a link (the link colour,
// underlined) that opens a help topic when clicked.
#pragma once

#include "platform/views/TextField.h"

#include <string>
#include <string_view>

namespace brevanton {

class VornickHelpLinkTextField final : public TextField {
public:
    // `text` in the link colour, underlined, its link the anchor; a click
    // opens the anchor (views/VornickHelpExtensions.h).
    VornickHelpLinkTextField(Rect frame, std::u16string_view text, std::u16string_view helpAnchor);

    const std::u16string& helpAnchor() const { return m_helpAnchor; }
    void mouseDown(const Event&) override;

private:
    std::u16string m_helpAnchor;
};

} // namespace brevanton
