// The computed-style provider backed by the CSS cascade of platform/css:
// every property the cascade computes (display, fonts, colours, margins,
// list styles ...) answered as the editor's typed values.
#pragma once

#include "dom/VornickComputedStyle.h"

#include <memory>

namespace brevanton {

class CSSValue;

class VornickCascadeComputedStyleProvider final : public VornickComputedStyleProvider {
public:
    std::shared_ptr<VornickComputedStyle> computedStyle(const DOMElement&) const override;
    std::u16string computedDisplay(const DOMElement&) const override;
};

// A cascade value as the editor's typed value.
VornickCSSValue VornickCSSValueFromCascadeValue(const CSSValue&);

// Makes the cascade answer vornick_computedStyle and vornick_computedDisplay.
void VornickInstallCascadeComputedStyleProvider();

} // namespace brevanton
