// ControlDrawing: a control as its drawing records it, by kind and state,
// so that a backend draws it in the desktop's style (and measures its label
// against the room the style leaves), and tests read what was drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brevanton {

// As in Menu.h: on 1, off 0, mixed -1.
using ControlStateValue = int;

enum class ControlKind : uint8_t {
    PushButton,
    CheckBox,
    RadioButton,
    // A push-on push-off button, drawn as the desktop's tool button.
    ToolButton,
    // A pop-up button, drawn as the desktop's combo box.
    PopUpButton,
    SegmentedControl,
    ProgressBar,
    // The frame and background of an editable or bezeled text field (its
    // text is drawn after it, by the field).
    TextFieldFrame,
};

struct ControlDrawing {
    ControlKind kind { ControlKind::PushButton };
    // A check box's, radio button's or tool button's value: on, off or mixed.
    ControlStateValue state { 0 };
    bool enabled { true };
    // A click that began in the control is held down.
    bool pressed { false };
    // The control is its window's first responder.
    bool focused { false };
    // A push button Return presses.
    bool isDefault { false };
    // A segmented control's labels and its selected segment (-1: none).
    std::vector<std::u16string> segmentLabels;
    long selectedSegment { -1 };
    // A progress bar's value between its minimum and maximum; an
    // indeterminate one shows only that work goes on.
    double minValue { 0 };
    double maxValue { 0 };
    double value { 0 };
    bool indeterminate { false };
    // How many of the commands after the control's own are its plain drawing
    // (what a backend without the desktop's style shows): a backend drawing
    // the control in the style passes over them.
    size_t plainCommands { 0 };

    friend bool operator==(const ControlDrawing&, const ControlDrawing&) = default;
};

} // namespace brevanton
