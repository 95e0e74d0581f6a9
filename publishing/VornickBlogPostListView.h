// VornickBlogPostListView: the post list's web view. The text size actions
// ("makeTextLarger:", "makeTextSmaller:", "makeTextStandardSize:") go to
// the target the window's document names for them, which also validates
// their menu items; without one they go nowhere and are disabled.
#pragma once

#include "ui/VornickWebListView.h"

#include <functional>

namespace brevanton {

class VornickBlogPostListView : public VornickWebListView {
public:
    using TextMagnificationTargetProvider = std::function<std::shared_ptr<Responder>()>;

    explicit VornickBlogPostListView(Rect frame);

    // Answers the document's target for the text size actions (null: none).
    void setTextMagnificationTargetProvider(TextMagnificationTargetProvider provider)
    {
        m_textMagnificationTarget = std::move(provider);
    }
    bool validateMenuItem(MenuItem&) override;

private:
    std::shared_ptr<Responder> textMagnificationTarget() const;

    TextMagnificationTargetProvider m_textMagnificationTarget;
};

} // namespace brevanton
