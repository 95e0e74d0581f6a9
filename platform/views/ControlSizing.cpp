#include "platform/views/ControlSizing.h"

#include "platform/foundation/AttributedString.h"
#include "platform/views/TextLayout.h"

#include <cmath>
#include <string>

namespace brevanton {

namespace {

ControlLabelAllowance& installedAllowance()
{
    static ControlLabelAllowance allowance;
    return allowance;
}

double fixedAllowance(ControlKind kind)
{
    switch (kind) {
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: return 24;
    case ControlKind::PopUpButton: return 32;
    case ControlKind::PushButton:
    case ControlKind::ToolButton:
    case ControlKind::SegmentedControl: return 16;
    case ControlKind::ProgressBar:
    case ControlKind::TextFieldFrame: return 8;
    }
    return 16;
}

} // namespace

void setControlLabelAllowance(ControlLabelAllowance allowance)
{
    installedAllowance() = std::move(allowance);
}

double controlWidthToFitLabel(ControlKind kind, std::u16string_view label, double height)
{
    double labelWidth = sizeOfAttributedString(AttributedString(std::u16string(label))).width;
    const auto& allowance = installedAllowance();
    return std::ceil(labelWidth + (allowance ? allowance(kind, height) : fixedAllowance(kind)));
}

} // namespace brevanton
