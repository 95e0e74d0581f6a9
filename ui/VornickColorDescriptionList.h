// VornickColorDescriptionList: colour descriptions in order, and those with
// a CSS name found by it (a later description of the same name replaces the
// earlier in the lookup; the order keeps both).
#pragma once

#include "ui/VornickColorDescription.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class VornickColorDescriptionList {
public:
    using Description = std::shared_ptr<const VornickColorDescription>;

    // WordPress's text and background colour palette, Black to Vivid purple:
    // one list made on first use.
    static const VornickColorDescriptionList& wordPressTextAndBackgroundColors();

    void addColorDescription(Description);
    void addColorDescriptionWithHexRGBString(std::u16string hexRGBString, std::optional<std::u16string> cssName,
                                             std::optional<std::u16string> displayName);
    // Exact, case-sensitive; null when none has the name.
    Description colorDescriptionWithCSSName(std::u16string_view) const;
    const std::vector<Description>& colorDescriptions() const { return m_descriptions; }

private:
    std::vector<Description> m_descriptions;
    std::map<std::u16string, Description, std::less<>> m_descriptionsByCSSName;
};

} // namespace brevanton
