// Text fields that look like labels: a framed one (the platform field
// unchanged), one that sends its action on a mouse down, and one that cycles
// through labels on each click.
#pragma once

#include "platform/views/TextField.h"

#include <any>
#include <vector>

namespace brevanton {

class VornickFramedTextField : public TextField {
public:
    using TextField::TextField;
};

class VornickClickableStaticTextField : public TextField {
public:
    using TextField::TextField;
    // Sends the action to the target.
    void mouseDown(const Event&) override;
};

// Labels are strings (std::u16string) or attributed strings; any other
// object shows as "(non-[Attributed]String)". A set of labels is one array
// object: setting the same one again changes nothing.
using VornickCyclingLabels = std::vector<std::any>;

class VornickCyclingStaticTextField : public TextField {
public:
    static constexpr size_t NotFound = static_cast<size_t>(-1);

    using TextField::TextField;

    // The labels set; without any, one label: the field's current text.
    std::shared_ptr<const VornickCyclingLabels> labels() const;
    // Shows label 0 of a new array.
    void setLabels(std::shared_ptr<const VornickCyclingLabels>);
    // An index past the labels shows the empty string and records NotFound.
    void switchToLabelAtIndex(size_t);
    size_t indexOfDisplayedLabel() const { return m_indexOfDisplayedLabel; }

    // With two labels or more, shows the next (label 0 when none is shown).
    void mouseDown(const Event&) override;

private:
    std::shared_ptr<const VornickCyclingLabels> m_labels;
    size_t m_indexOfDisplayedLabel { NotFound };
};

} // namespace brevanton
