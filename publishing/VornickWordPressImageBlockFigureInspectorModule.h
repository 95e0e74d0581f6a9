// VornickWordPressImageBlockFigureInspectorModule: the inspector module of a
// "wp:image" block: which media item it shows and at which WordPress size,
// its style (plain or rounded), its alt text, its link and its displayed
// width and height (typed, as a fraction of the image's own size, or reset).
// Each change updates the block's JSON and its figure, img and link together
// as one "Change Block Property" step.
//
// The block stays as the block editor writes it:
// - "is-resized" is on the figure exactly when the JSON has a width or a
//   height, and the img carries the same width and height; a new media item
//   drops both (the new image shows at its own size).
// - A link wraps the img alone (a caption stays outside it); "none" unwraps
//   the img and leaves the caption.
// - The rounded style is the word "is-style-rounded" of "className"; the
//   user's other classes there stay.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/Geometry.h"
#include "publishing/VornickWordPressBlockInspectorModule.h"

#include <array>
#include <optional>
#include <string>

namespace brevanton {

class Button;
class DOMElement;
class SegmentedControl;
class TextField;
class VornickMediaItemImageView;
class VornickWordPressMediaItem;
class VornickWordPressMediaItemVariant;

class VornickWordPressImageBlockFigureInspectorModule final : public VornickWordPressBlockInspectorModule {
public:
    enum class LinkType : long { None = 0, MediaFile = 1, AttachmentPage = 2, CustomURL = 3 };

    // The size names in segment order.
    static constexpr std::array<const char16_t*, 4> wordPressImageSizeNames { u"full", u"large", u"medium", u"thumbnail" };
    // What "linkDestination" holds for each link type ("none" is written for
    // the first and read as it).
    static constexpr std::array<const char16_t*, 4> linkDestinationTypeIdentifiers { u"", u"media", u"attachment", u"custom" };
    static constexpr const char16_t* roundedStyleClassName = u"is-style-rounded";
    static constexpr const char16_t* resizedClassName = u"is-resized";

    using VornickWordPressBlockInspectorModule::VornickWordPressBlockInspectorModule;
    ~VornickWordPressImageBlockFigureInspectorModule() override;

    // Blocks of the type "wp:image" (in any case).
    static bool canInspectTargetOf(const VornickElementEditorUIController&);
    std::u16string nibName() const override { return u"WordPressImageBlockFigureInspectorModule"; }

    // 1 (rounded) when "className" lists "is-style-rounded", else 0.
    static long imageStyleFromBlockMetadata(const VornickWordPressBlockMetadata*);
    // The index of a non-empty "linkDestination" in the identifiers; 0 when
    // empty, absent or unknown ("none").
    static LinkType linkDestinationTypeFromBlockMetadata(const VornickWordPressBlockMetadata*);

    // --- The media item (through the post's blog)
    std::shared_ptr<VornickWordPressMediaItem> wordPressMediaItem() const;
    std::shared_ptr<VornickWordPressMediaItemVariant> wordPressMediaItemVariantForSizeSlug(const std::u16string&) const;
    std::shared_ptr<VornickWordPressMediaItemVariant> wordPressMediaItemVariant() const;
    // The item's pixel size; zero without an item.
    Size wordPressMediaItemSize() const;
    Size resolvedUnscaledSizeForSizeSlug(const std::u16string&) const;
    Size resolvedUnscaledSize() const;
    long scaleSegmentToSelectForDisplayedWidth(double width, double height) const;

    // --- Outlets, made with the view
    const std::shared_ptr<VornickMediaItemImageView>& mediaItemImageView() { view(); return m_mediaItemImageView; }
    const std::shared_ptr<TextField>& mediaItemIDTextField() { view(); return m_mediaItemIDTextField; }
    const std::shared_ptr<Button>& chooseOtherImageFileButton() { view(); return m_chooseOtherImageFileButton; }
    const std::shared_ptr<Button>& chooseOtherMediaItemButton() { view(); return m_chooseOtherMediaItemButton; }
    const std::shared_ptr<SegmentedControl>& styleSegmentedControl() { view(); return m_styleSegmentedControl; }
    const std::shared_ptr<TextField>& altTextTextField() { view(); return m_altTextTextField; }
    const std::shared_ptr<SegmentedControl>& linkTypeSegmentedControl() { view(); return m_linkTypeSegmentedControl; }
    const std::shared_ptr<TextField>& linkURLTextField() { view(); return m_linkURLTextField; }
    const std::shared_ptr<SegmentedControl>& sizeSegmentedControl() { view(); return m_sizeSegmentedControl; }
    const std::shared_ptr<TextField>& widthTextField() { view(); return m_widthTextField; }
    const std::shared_ptr<TextField>& heightTextField() { view(); return m_heightTextField; }
    const std::shared_ptr<SegmentedControl>& scaleSegmentedControl() { view(); return m_scaleSegmentedControl; }
    const std::shared_ptr<Button>& resetDimensionsButton() { view(); return m_resetDimensionsButton; }

    void updateControlsFromElement() override;

    // --- Actions
    // Closes the popover and lets the view choose an image file to put in
    // the block's place.
    void chooseOtherImageFile(ActionSender*);
    // Has the blog window's media library pick an item beside the popover;
    // closing the popover cancels the pick. Nothing without a blog window.
    void chooseOtherMediaItem(ActionSender*) override;
    bool choosesMediaItem() const override { return true; }
    bool isPickingMediaItem() const { return m_popoverWillCloseObserver.has_value(); }

    bool writeChangeFromControl(ActionSender*, const VornickExactSelection& replacementBlock, DOMDocumentFragment&,
                                VornickWordPressBlockMetadata&) override;
    // The media item in the block: id, the img's source and class; no
    // width or height any more; a media-file link follows the item.
    [[nodiscard]] bool writeMediaItemChange(const VornickWordPressMediaItem&, const VornickExactSelection& replacementBlock,
                                            VornickWordPressBlockMetadata&);
    // Links the figure's img to the URL: the link there takes it, else the
    // img alone is wrapped in a new one.
    static void setLinkURLString(const std::u16string&, DOMElement& figure);

protected:
    void loadView() override;

private:
    void stopObservingPopover();
    // Width and height in the JSON, on the img and "is-resized" in step;
    // none for either removes all three.
    void writeDimensions(std::optional<long> width, std::optional<long> height, const VornickExactSelection&,
                         VornickWordPressBlockMetadata&);
    [[nodiscard]] bool writeScale(double factor, const VornickExactSelection&, VornickWordPressBlockMetadata&);
    void showDimensions(std::optional<long> width, std::optional<long> height);

    std::shared_ptr<VornickMediaItemImageView> m_mediaItemImageView;
    std::shared_ptr<TextField> m_mediaItemIDTextField;
    std::shared_ptr<Button> m_chooseOtherImageFileButton;
    std::shared_ptr<Button> m_chooseOtherMediaItemButton;
    std::shared_ptr<SegmentedControl> m_styleSegmentedControl;
    std::shared_ptr<TextField> m_altTextTextField;
    std::shared_ptr<SegmentedControl> m_linkTypeSegmentedControl;
    std::shared_ptr<TextField> m_linkURLTextField;
    std::shared_ptr<SegmentedControl> m_sizeSegmentedControl;
    std::shared_ptr<TextField> m_widthTextField;
    std::shared_ptr<TextField> m_heightTextField;
    std::shared_ptr<SegmentedControl> m_scaleSegmentedControl;
    std::shared_ptr<Button> m_resetDimensionsButton;
    // While a pick is pending: the popover's will-close observer.
    std::optional<ObserverToken> m_popoverWillCloseObserver;
    // Custom URL was chosen: the link is made when its address is entered.
    bool m_awaitingCustomLinkURL { false };
};

} // namespace brevanton
