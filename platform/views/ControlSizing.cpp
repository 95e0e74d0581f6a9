#include "platform/views/ControlSizing.h"

#include "platform/foundation/AttributedString.h"
#include "platform/views/TextLayout.h"

#include <cmath>
#include <string>

namespace brevanton {

namespace {

ControlLabelMarginsMeasure& installedMeasure()
{
    static ControlLabelMarginsMeasure measure;
    return measure;
}

ControlLabelMargins fixedMargins(ControlKind kind)
{
    switch (kind) {
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: return { 20, 4 };
    case ControlKind::PopUpButton: return { 6, 26 };
    case ControlKind::PushButton:
    case ControlKind::ToolButton:
    case ControlKind::SegmentedControl: return { 8, 8 };
    case ControlKind::ProgressBar:
    case ControlKind::TextFieldFrame: break;
    }
    return { 4, 4 };
}

} // namespace

void setControlLabelMarginsMeasure(ControlLabelMarginsMeasure measure)
{
    installedMeasure() = std::move(measure);
}

ControlLabelMargins controlLabelMargins(ControlKind kind, double height)
{
    const auto& measure = installedMeasure();
    return measure ? measure(kind, height) : fixedMargins(kind);
}

double controlWidthToFitLabel(ControlKind kind, std::u16string_view label, double height)
{
    double labelWidth = sizeOfAttributedString(AttributedString(std::u16string(label))).width;
    ControlLabelMargins margins = controlLabelMargins(kind, height);
    return std::ceil(margins.leading + labelWidth + margins.trailing);
}

} // namespace brevanton
