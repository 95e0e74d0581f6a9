// VornickWordPressPagePropertiesUIController: the popover of a WordPress
// page's properties ("VornickWordPressPagePropertiesUI", built in code): its
// format (a pop-up fed by the blog's formats, sorted by title), whether its
// body is in classic or block mode, and its featured image. Changes are
// pending until accepted; Cancel, or the popover closing, drops them.
//
// VornickWordPressPostPropertiesUIController ("VornickWordPressPostPropertiesUI")
// adds the post's tags (a token field) and categories (a check box outline).
// A word naming no tag keeps the popover open and says so.
#pragma once

#include "platform/foundation/URL.h"
#include "platform/views/Popover.h"
#include "publishing/VornickMediaItemImageView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class ArrayController;
class Button;
class ManagedObject;
class PopUpButton;
class TextField;
class View;
class VornickBlogCategory;
class VornickBlogPostCategoriesOutlineViewController;
class VornickBlogPostTagListTokenFieldController;
class VornickBlogTag;
class VornickWordPressBlogEditorOperations;
class VornickWordPressBlogPost;
class VornickWordPressMediaItem;
class VornickWordPressPostView;

// The post's editor, as the properties popover needs it.
class VornickPostPropertiesEditor {
public:
    virtual ~VornickPostPropertiesEditor() = default;
    // The post's format, featured image, tags or categories were accepted.
    virtual void postPropertiesEdited() = 0;
    virtual std::shared_ptr<VornickWordPressPostView> postPropertiesPostView() const = 0;
};

class VornickWordPressPagePropertiesUIController : public PopoverDelegate,
                                                   public VornickMediaItemFinder,
                                                   public std::enable_shared_from_this<VornickWordPressPagePropertiesUIController> {
public:
    static constexpr const char16_t* pageNibName = u"VornickWordPressPagePropertiesUI";
    static std::shared_ptr<VornickWordPressPagePropertiesUIController> create();
    ~VornickWordPressPagePropertiesUIController() override;

    virtual std::u16string nibName() const { return pageNibName; }
    const std::shared_ptr<Popover>& popover() const { return m_popover; }
    const std::shared_ptr<VornickWordPressBlogPost>& post() const { return m_post; }
    virtual void setPost(std::shared_ptr<VornickWordPressBlogPost>);
    // Not held.
    VornickPostPropertiesEditor* postEditor() const { return m_postEditor; }
    void setPostEditor(VornickPostPropertiesEditor* editor) { m_postEditor = editor; }

    // Pending values.
    const std::shared_ptr<ManagedObject>& postFormat() const { return m_postFormat; }
    const std::shared_ptr<VornickWordPressMediaItem>& featuredImageMediaItem() const { return m_featuredImageMediaItem; }
    bool edited() const { return m_edited; }

    const std::shared_ptr<ArrayController>& postFormatsArrayController() const { return m_postFormatsArrayController; }
    const std::shared_ptr<PopUpButton>& postFormatPopUpButton() const { return m_postFormatPopUpButton; }
    const std::shared_ptr<Button>& classicModeRadioButton() const { return m_classicModeRadioButton; }
    const std::shared_ptr<Button>& blockModeRadioButton() const { return m_blockModeRadioButton; }
    const std::shared_ptr<TextField>& convertToBlockModeTipLabel() const { return m_convertToBlockModeTipLabel; }
    // The featured image well: a plain image view until the media item image view replaces it.
    const std::shared_ptr<VornickMediaItemImageView>& featuredImageImageView() const { return m_featuredImageImageView; }
    const std::shared_ptr<View>& contentView() const { return m_contentView; }
    // The open window of the post's blog, when it can show the media library.
    std::shared_ptr<VornickWordPressBlogEditorOperations> wordPressBlogEditor() const;

    // Nothing without a post. Below the view's bounds (or the given rectangle of it).
    void showForWordPressBlogPost(std::shared_ptr<VornickWordPressBlogPost>, const std::shared_ptr<View>& emergingFromView,
                                  VornickPostPropertiesEditor*, std::optional<Rect> rectOfView = std::nullopt);
    virtual void updateControlsFromPost();

    // --- Actions
    void postFormatEdited();
    // The well's image changed: its media item (when given) becomes the pending featured image.
    void featuredImageChanged(std::shared_ptr<VornickWordPressMediaItem>);
    void removeFeaturedImage();
    // A file dropped on the featured image well.
    void featuredImageDropped();
    void openFeaturedImageInMediaLibrary();
    void postContentTypeEdited();
    void cancelEdits();
    // False while the edits cannot be accepted (the popover stays open).
    virtual bool acceptSettings();

    void popoverDidClose(Popover&) override;
    std::shared_ptr<VornickWordPressMediaItem> mediaItemForLocalURL(const URL&) override;

protected:
    VornickWordPressPagePropertiesUIController() = default;
    // Makes the controls; subclasses add theirs below `top` (flipped) and return the height used.
    virtual void build();
    void finishBuilding(double height);
    void markEdited() { m_edited = true; }
    void showFeaturedImage();
    std::shared_ptr<View> m_contentView;

private:
    void populateFormats();

    std::shared_ptr<VornickWordPressBlogPost> m_post;
    VornickPostPropertiesEditor* m_postEditor { nullptr };
    std::shared_ptr<Popover> m_popover;
    std::shared_ptr<ManagedObject> m_postFormat;
    std::shared_ptr<VornickWordPressMediaItem> m_featuredImageMediaItem;
    bool m_edited { false };
    std::shared_ptr<ArrayController> m_postFormatsArrayController;
    std::shared_ptr<PopUpButton> m_postFormatPopUpButton;
    std::shared_ptr<Button> m_classicModeRadioButton;
    std::shared_ptr<Button> m_blockModeRadioButton;
    std::shared_ptr<TextField> m_convertToBlockModeTipLabel;
    std::shared_ptr<VornickMediaItemImageView> m_featuredImageImageView;
    std::shared_ptr<Button> m_removeImageButton;
    std::shared_ptr<Button> m_okButton;
    std::shared_ptr<Button> m_cancelButton;
};

class VornickWordPressPostPropertiesUIController final : public VornickWordPressPagePropertiesUIController {
public:
    static constexpr const char16_t* postNibName = u"VornickWordPressPostPropertiesUI";
    static std::shared_ptr<VornickWordPressPostPropertiesUIController> create();
    ~VornickWordPressPostPropertiesUIController() override;

    std::u16string nibName() const override { return postNibName; }
    void setPost(std::shared_ptr<VornickWordPressBlogPost>) override;
    void updateControlsFromPost() override;
    bool acceptSettings() override;

    // The tags as last committed from the field.
    const std::vector<std::shared_ptr<VornickBlogTag>>& postTags() const { return m_postTags; }
    const std::shared_ptr<VornickBlogPostTagListTokenFieldController>& tagsTokenFieldController() const { return m_tagsController; }
    const std::shared_ptr<VornickBlogPostCategoriesOutlineViewController>& categoriesOutlineViewController() const { return m_categoriesController; }
    // Shown when a word names no tag.
    const std::shared_ptr<TextField>& tagMessageLabel() const { return m_tagMessageLabel; }

private:
    VornickWordPressPostPropertiesUIController() = default;
    void build() override;

    std::vector<std::shared_ptr<VornickBlogTag>> m_postTags;
    std::shared_ptr<VornickBlogPostTagListTokenFieldController> m_tagsController;
    std::shared_ptr<VornickBlogPostCategoriesOutlineViewController> m_categoriesController;
    std::shared_ptr<TextField> m_tagMessageLabel;
};

} // namespace brevanton
