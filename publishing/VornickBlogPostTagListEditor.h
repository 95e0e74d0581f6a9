// VornickBlogPostTagListEditor: the small popover a post view opens over the
// tag list of its template ("VornickBlogPostTagListEditor", built in code):
// the post's tags in a token field, with OK and Cancel. Accepting (OK, or
// Return with nothing typed) gives the post the field's tags and tells the
// post view; a word naming no tag keeps the popover open and says so, the
// post unchanged. Scrolling the tag list out of view cancels.
#pragma once

#include "platform/views/Popover.h"

#include <memory>
#include <string>

namespace brevanton {

class Button;
class DOMRange;
class TextField;
class View;
class VornickContentEditingView;
class VornickBlogPost;
class VornickBlogPostTagListTokenFieldController;
class VornickBlogPostView;

class VornickBlogPostTagListEditor final : public PopoverDelegate, public std::enable_shared_from_this<VornickBlogPostTagListEditor> {
public:
    static constexpr const char16_t* nibName = u"VornickBlogPostTagListEditor";

    static std::shared_ptr<VornickBlogPostTagListEditor> create();
    ~VornickBlogPostTagListEditor() override;

    const std::shared_ptr<VornickBlogPost>& post() const { return m_post; }
    std::shared_ptr<VornickBlogPostView> postView() const { return m_postView.lock(); }
    const std::shared_ptr<Popover>& popover() const { return m_popover; }
    const std::shared_ptr<VornickBlogPostTagListTokenFieldController>& tagsTokenFieldController() const { return m_controller; }
    std::shared_ptr<DOMRange> tagListRange() const { return m_tagListRange; }
    // Shown under the words naming no tag; hidden otherwise.
    const std::shared_ptr<TextField>& messageLabel() const { return m_messageLabel; }

    // Below the range's bounds in the post view.
    void showForBlogPost(std::shared_ptr<VornickBlogPost>, std::shared_ptr<DOMRange>, const std::shared_ptr<VornickBlogPostView>&);
    // False (and the popover left open, the message shown) while a word names no tag.
    bool applyTagEdits();
    void cancelTagEdits();
    // The post view scrolled: out of view cancels, else the popover follows.
    void repositionToTrackTargetRange();
    void updateControlsFromPost();

    void popoverDidShow(Popover&) override;
    void popoverDidClose(Popover&) override;

private:
    VornickBlogPostTagListEditor();
    void build();

    std::shared_ptr<VornickBlogPost> m_post;
    std::weak_ptr<VornickBlogPostView> m_postView;
    std::shared_ptr<DOMRange> m_tagListRange;
    std::shared_ptr<Popover> m_popover;
    std::shared_ptr<View> m_contentView;
    std::shared_ptr<VornickBlogPostTagListTokenFieldController> m_controller;
    std::shared_ptr<TextField> m_messageLabel;
    std::shared_ptr<Button> m_okButton;
    std::shared_ptr<Button> m_cancelButton;
};

// A push button titled `title` sending `action` to `target`.
std::shared_ptr<Button> vornick_makePopoverButton(Rect, std::u16string title, const char* action, const std::shared_ptr<View>& target);
// A popover that closes as the user works elsewhere, showing the content
// view and telling the delegate.
std::shared_ptr<Popover> vornick_makeTransientPopover(const std::shared_ptr<View>& content, std::weak_ptr<PopoverDelegate>);
// Moves a shown popover to follow the range it edits as the view scrolls,
// closing it once the range is out of sight.
void vornick_keepPopoverAtRange(Popover&, const std::shared_ptr<VornickContentEditingView>&, const DOMRange&);

} // namespace brevanton
