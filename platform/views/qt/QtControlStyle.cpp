#include "platform/views/qt/QtControlStyle.h"

#include "platform/views/ControlSizing.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"
#include "platform/views/qt/QtConversions.h"
#include "platform/views/qt/QtDrawCommandPainter.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

namespace brevanton {

namespace {

QStyle* style()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::style() : nullptr;
}

// What every part of a control shares: its box, font, palette and states.
void prepareOption(QStyleOption& option, const ControlDrawing& control, const QRect& box, const QFont& font)
{
    option.rect = box;
    option.fontMetrics = QFontMetrics(font);
    option.direction = Qt::LeftToRight;
    option.palette = QApplication::palette();
    option.palette.setCurrentColorGroup(control.enabled ? QPalette::Active : QPalette::Disabled);
    option.state = QStyle::State_Active;
    if (control.enabled)
        option.state |= QStyle::State_Enabled;
    if (control.focused)
        option.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
}

// The style reads "&" as marking a mnemonic: a title's own is doubled.
QString withoutMnemonics(QString title)
{
    return title.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QStyle::State valueState(ControlStateValue state)
{
    if (state > 0)
        return QStyle::State_On;
    return state < 0 ? QStyle::State_NoChange : QStyle::State_Off;
}

QStyleOptionButton buttonOption(const ControlDrawing& control, const QString& title, const QRect& box, const QFont& font)
{
    QStyleOptionButton option;
    prepareOption(option, control, box, font);
    option.text = withoutMnemonics(title);
    switch (control.kind) {
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        option.state |= valueState(control.state);
        if (control.pressed)
            option.state |= QStyle::State_Sunken;
        break;
    default:
        option.state |= control.pressed ? QStyle::State_Sunken : QStyle::State_Raised;
        if (control.isDefault)
            option.features |= QStyleOptionButton::DefaultButton | QStyleOptionButton::AutoDefaultButton;
        break;
    }
    return option;
}

QStyleOptionComboBox popUpOption(const ControlDrawing& control, const QString& title, const QRect& box, const QFont& font)
{
    QStyleOptionComboBox option;
    prepareOption(option, control, box, font);
    option.currentText = title;
    option.editable = false;
    option.frame = true;
    option.subControls = QStyle::SC_All;
    if (control.pressed) {
        option.state |= QStyle::State_Sunken | QStyle::State_On;
        option.activeSubControls = QStyle::SC_ComboBoxArrow;
    }
    return option;
}

QStyleOptionToolButton toolButtonOption(const ControlDrawing& control, const QString& title, const QRect& box, const QFont& font)
{
    QStyleOptionToolButton option;
    prepareOption(option, control, box, font);
    option.text = withoutMnemonics(title);
    option.font = font;
    option.toolButtonStyle = Qt::ToolButtonTextOnly;
    option.subControls = QStyle::SC_ToolButton;
    option.state |= control.pressed ? QStyle::State_Sunken : QStyle::State_Raised;
    if (control.state > 0)
        option.state |= QStyle::State_On;
    return option;
}

// The segments of a segmented control side by side, equally wide.
QRect segmentBox(const ControlDrawing& control, const QRect& box, size_t segment)
{
    auto count = static_cast<double>(std::max<size_t>(1, control.segmentLabels.size()));
    double width = box.width() / count;
    int left = box.left() + static_cast<int>(std::lround(segment * width));
    int right = box.left() + static_cast<int>(std::lround((segment + 1) * width));
    return QRect(left, box.top(), right - left, box.height());
}

QStyleOptionButton segmentOption(const ControlDrawing& control, size_t segment, const QRect& box, const QFont& font)
{
    ControlDrawing button = control;
    button.kind = ControlKind::PushButton;
    bool selected = control.selectedSegment >= 0 && static_cast<size_t>(control.selectedSegment) == segment;
    auto option = buttonOption(button, qtString(control.segmentLabels[segment]), segmentBox(control, box, segment), font);
    if (selected)
        option.state = (option.state & ~QStyle::State_Raised) | QStyle::State_On | QStyle::State_Sunken;
    return option;
}

// Where the style draws a label of the control.
QRectF labelRoom(QStyle& style, const ControlDrawing& control, const QStyleOption& option)
{
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::SegmentedControl:
        return style.subElementRect(QStyle::SE_PushButtonContents, &option, nullptr);
    case ControlKind::CheckBox:
        return style.subElementRect(QStyle::SE_CheckBoxContents, &option, nullptr);
    case ControlKind::RadioButton:
        return style.subElementRect(QStyle::SE_RadioButtonContents, &option, nullptr);
    case ControlKind::ToolButton: {
        int frame = style.pixelMetric(QStyle::PM_DefaultFrameWidth, &option, nullptr);
        return QRectF(style.subControlRect(QStyle::CC_ToolButton, static_cast<const QStyleOptionComplex*>(&option), QStyle::SC_ToolButton, nullptr)
                          .adjusted(frame, frame, -frame, -frame));
    }
    case ControlKind::PopUpButton:
        // The label is drawn a pixel inside the edit field.
        return QRectF(style.subControlRect(QStyle::CC_ComboBox, static_cast<const QStyleOptionComplex*>(&option), QStyle::SC_ComboBoxEditField, nullptr)
                          .adjusted(1, 0, -1, 0));
    case ControlKind::ProgressBar:
    case ControlKind::TextFieldFrame:
        break;
    }
    return {};
}

QtControlLabel measuredLabel(QStyle& style, const ControlDrawing& control, const QStyleOption& option, const QString& text, const QFont& font)
{
    QtControlLabel label;
    label.text = text;
    label.room = labelRoom(style, control, option);
    label.width = QFontMetricsF(font).horizontalAdvance(text);
    return label;
}

QString fitted(const QtControlLabel& label, const QFont& font)
{
    if (label.fits())
        return label.text;
    return QFontMetricsF(font).elidedText(label.text, Qt::ElideRight, label.room.width());
}

void paintProgressBar(QStyle& style, QPainter& painter, const ControlDrawing& control, const QRect& box, const QFont& font)
{
    QStyleOptionProgressBar option;
    prepareOption(option, control, box, font);
    option.state |= QStyle::State_Horizontal;
    option.textVisible = false;
    // Steps of a thousandth; an indeterminate bar has no range.
    constexpr int steps = 1000;
    option.minimum = 0;
    option.maximum = control.indeterminate ? 0 : steps;
    double span = control.maxValue - control.minValue;
    double fraction = span > 0 ? std::clamp((control.value - control.minValue) / span, 0.0, 1.0) : 0;
    option.progress = control.indeterminate ? 0 : static_cast<int>(std::lround(fraction * steps));
    style.drawControl(QStyle::CE_ProgressBar, &option, &painter, nullptr);
}

void paintTextFieldFrame(QStyle& style, QPainter& painter, const ControlDrawing& control, const QRect& box, const QFont& font)
{
    QStyleOptionFrame option;
    prepareOption(option, control, box, font);
    option.state |= QStyle::State_Sunken;
    option.lineWidth = style.pixelMetric(QStyle::PM_DefaultFrameWidth, &option, nullptr);
    option.midLineWidth = 0;
    style.drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, nullptr);
}

} // namespace

bool qtControlStyleAvailable()
{
    return style() != nullptr;
}

std::vector<QtControlLabel> qtControlLabels(const ControlDrawing& control, std::u16string_view title, const QRect& box, const QFont& font)
{
    std::vector<QtControlLabel> labels;
    QStyle* style = brevanton::style();
    if (!style)
        return labels;
    QString text = qtString(title);
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        labels.push_back(measuredLabel(*style, control, buttonOption(control, text, box, font), text, font));
        break;
    case ControlKind::ToolButton:
        labels.push_back(measuredLabel(*style, control, toolButtonOption(control, text, box, font), text, font));
        break;
    case ControlKind::PopUpButton:
        labels.push_back(measuredLabel(*style, control, popUpOption(control, text, box, font), text, font));
        break;
    case ControlKind::SegmentedControl:
        for (size_t segment = 0; segment < control.segmentLabels.size(); ++segment) {
            auto option = segmentOption(control, segment, box, font);
            labels.push_back(measuredLabel(*style, control, option, qtString(control.segmentLabels[segment]), font));
        }
        break;
    case ControlKind::ProgressBar:
    case ControlKind::TextFieldFrame:
        break;
    }
    return labels;
}

QString qtControlToolTip(const ControlDrawing& control, std::u16string_view title, Size size, const QFont& font)
{
    QRect box(0, 0, static_cast<int>(std::lround(size.width)), static_cast<int>(std::lround(size.height)));
    QStringList cut;
    for (const auto& label : qtControlLabels(control, title, box, font)) {
        if (!label.fits() && !label.text.isEmpty())
            cut.push_back(label.text);
    }
    return cut.join(QLatin1Char('\n'));
}

QString qtControlToolTip(View& view)
{
    // A label cut with an ellipsis tells its whole text.
    if (auto* field = dynamic_cast<TextField*>(&view); field && field->elidedText())
        return qtString(field->stringValue());
    auto drawing = view.cacheDisplayInRect(view.bounds());
    for (const auto& command : drawing->drawing()) {
        if (command.kind == DrawCommand::Kind::Control && command.view == &view && command.control)
            return qtControlToolTip(*command.control, command.text, command.rect.size, QtDrawCommandPainter::qtFont(*systemFontOfSize(0)));
    }
    return {};
}

void installQtControlLabelMargins()
{
    setControlLabelMarginsMeasure([](ControlKind kind, double height) {
        // What the style takes beside the label in a wide box, and a little air.
        constexpr int probeWidth = 400;
        constexpr double air = 4;
        ControlDrawing control;
        control.kind = kind;
        if (kind == ControlKind::SegmentedControl)
            control.segmentLabels = { u"" };
        QRect box(0, 0, probeWidth, std::max(1, static_cast<int>(std::lround(height))));
        auto labels = qtControlLabels(control, {}, box, QtDrawCommandPainter::qtFont(*systemFontOfSize(0)));
        if (labels.empty())
            return ControlLabelMargins { air, air };
        const QRectF& room = labels.front().room;
        return ControlLabelMargins { room.left() - box.left(), box.left() + probeWidth - room.right() + air };
    });
}

void qtPaintControl(QPainter& painter, const DrawCommand& command, const QRect& box, const QFont& font)
{
    QStyle* style = brevanton::style();
    if (!style || !command.control)
        return;
    const ControlDrawing& control = *command.control;
    painter.setFont(font);
    QString title = qtString(command.text);
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
        auto option = buttonOption(control, title, box, font);
        option.text = withoutMnemonics(fitted(measuredLabel(*style, control, option, title, font), font));
        QStyle::ControlElement element = control.kind == ControlKind::CheckBox ? QStyle::CE_CheckBox
            : control.kind == ControlKind::RadioButton                         ? QStyle::CE_RadioButton
                                                                               : QStyle::CE_PushButton;
        style->drawControl(element, &option, &painter, nullptr);
        break;
    }
    case ControlKind::ToolButton: {
        auto option = toolButtonOption(control, title, box, font);
        option.text = withoutMnemonics(fitted(measuredLabel(*style, control, option, title, font), font));
        style->drawComplexControl(QStyle::CC_ToolButton, &option, &painter, nullptr);
        break;
    }
    case ControlKind::PopUpButton: {
        auto option = popUpOption(control, title, box, font);
        option.currentText = fitted(measuredLabel(*style, control, option, title, font), font);
        style->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, nullptr);
        style->drawControl(QStyle::CE_ComboBoxLabel, &option, &painter, nullptr);
        break;
    }
    case ControlKind::SegmentedControl:
        for (size_t segment = 0; segment < control.segmentLabels.size(); ++segment) {
            auto option = segmentOption(control, segment, box, font);
            QString label = qtString(control.segmentLabels[segment]);
            option.text = withoutMnemonics(fitted(measuredLabel(*style, control, option, label, font), font));
            style->drawControl(QStyle::CE_PushButton, &option, &painter, nullptr);
        }
        break;
    case ControlKind::ProgressBar:
        paintProgressBar(*style, painter, control, box, font);
        break;
    case ControlKind::TextFieldFrame:
        paintTextFieldFrame(*style, painter, control, box, font);
        break;
    }
}

} // namespace brevanton
