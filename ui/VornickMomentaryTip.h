// VornickMomentaryTip: a small pale-yellow window placed just below a
// rectangle of a view (a completion list entry, an attribute editor field,
// a snippet's shorthand field), that may end in a "Learn more..." link into
// the help book. A tip stays up until its owner hides it (fadeOut or
// orderOutImmediately); it moves with the window of the view it was shown for.
#pragma once

#include "platform/views/TextView.h"
#include "platform/views/View.h"
#include "ui/VornickTransientBanner.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class TextField;

// The tip window's content view; no behaviour of its own.
class VornickMomentaryTipContentView : public View {
public:
    using View::View;
};

class VornickMomentaryTip : public VornickTransientBanner, public TextViewDelegate {
public:
    // The three shared tips, each made on first use and never released.
    static std::shared_ptr<VornickMomentaryTip> sharedCompletionTip();
    static std::shared_ptr<VornickMomentaryTip> sharedValidationTip();
    static std::shared_ptr<VornickMomentaryTip> sharedSnippetShorthandTip();
    // Calibrated red 1.0, green 1.0, blue 0.78 at alpha 0.95.
    static Color momentaryTipBackgroundColor();
    // The text after the message that links to the help anchor.
    static constexpr const char16_t* LearnMoreText = u"\nLearn more...";

    // Owners that keep a tip of their own make it with std::make_shared.
    VornickMomentaryTip() = default;
    std::u16string windowNibName() const override { return u"VornickMomentaryTip"; }
    // The tip's colour; a subclass may answer another.
    virtual Color backgroundColor() const { return momentaryTipBackgroundColor(); }

    // Shows the message (with the link when a help anchor is given, even an
    // empty one) centred under the rectangle (in the view's coordinates),
    // its top edge on the rectangle's lower edge, as a child of the view's window.
    void showMessage(const std::u16string& message, const std::optional<std::u16string>& learnMoreHelpAnchor,
                     const Rect& belowRect, const View& ofView);

    // Opens a non-empty help anchor; always handles the click.
    bool clickedOnLink(TextView&, const std::any& link, size_t characterIndex) override;

    std::shared_ptr<TextField> messageTextField() const { return m_messageTextField; }
    std::shared_ptr<TextView> messageTextView() const { return m_messageTextView; }

protected:
    std::shared_ptr<Window> loadWindow() override;

private:
    std::shared_ptr<TextField> m_messageTextField;
    std::shared_ptr<TextView> m_messageTextView;
};

} // namespace brevanton
