// Replacing a range with a media element (an image, a figure, a picture, a
// video or an audio player) referencing a file, as one undoable step named
// after the element; the attribute editor then opens on the new element.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

// How a new element refers to the file: relative to the document where it can.
std::u16string referenceToFile(const DOMDocument& document, const URL& url)
{
    return vornick_relativeURLStringForReferencingTargetURL(document, &url).value_or(url.absoluteString());
}

// The document of the range to replace (null: of the effective operation range).
std::shared_ptr<DOMDocument> documentOfRange(const VornickContentEditingView& view, const std::shared_ptr<DOMRange>& range)
{
    auto replaced = range ? range : view.effectiveOperationRange();
    return replaced ? vornick_ownerDocument(*replaced) : nullptr;
}

std::shared_ptr<DOMDocumentFragment> fragmentHolding(DOMDocument& document, const std::shared_ptr<DOMElement>& element)
{
    auto fragment = document.createDocumentFragment();
    fragment->appendChild(element);
    return fragment;
}

// An "img" referencing the file, sized from it once its size is known.
std::shared_ptr<DOMElement> imageElementReferencing(DOMDocument& document, const URL& url)
{
    auto image = document.createElement(u"img");
    image->setAttribute(u"src", referenceToFile(document, url));
    vornick_setImgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(*image, true);
    return image;
}

} // namespace

bool VornickContentEditingView::undoableReplaceRangeWithImageElementReferencingURL(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                                                   const URL& url,
                                                                                   std::shared_ptr<DOMRange>* outResultRange)
{
    endTypingRun();
    auto document = documentOfRange(*this, range);
    if (!document || !m_blockModeHelper)
        return false;
    auto fragment = m_blockModeHelper->createImageWithURL(url, *document, this, range ? range.get() : effectiveOperationRange().get());
    if (!fragment)
        return false;
    if (!undoableReplaceRangeWithFragment(undoable, range, fragment, u"Insert Image", outResultRange))
        return false;
    vornick_editElementAttributes(nullptr);
    return true;
}

bool VornickContentEditingView::undoableReplaceRangeWithFigureElementReferencingImageURL(bool undoable,
                                                                                         const std::shared_ptr<DOMRange>& range,
                                                                                         const std::optional<URL>& imageURL,
                                                                                         std::shared_ptr<DOMRange>* outResultRange)
{
    endTypingRun();
    auto document = documentOfRange(*this, range);
    if (!document)
        return false;
    auto figure = document->createElement(u"figure");
    auto caption = document->createElement(u"figcaption");
    caption->appendChild(document->createTextNode(u"Caption"));
    std::shared_ptr<DOMElement> image;
    if (imageURL) {
        image = imageElementReferencing(*document, *imageURL);
        figure->appendChild(image);
    }
    figure->appendChild(caption);
    if (!undoableReplaceRangeWithFragment(undoable, range, fragmentHolding(*document, figure), u"Insert Figure", outResultRange))
        return false;
    if (image)
        showAttributeEditorForElement(image, std::nullopt);
    return true;
}

bool VornickContentEditingView::undoableReplaceRangeWithPictureElementReferencingImageURL(bool undoable,
                                                                                          const std::shared_ptr<DOMRange>& range,
                                                                                          const std::optional<URL>& imageURL,
                                                                                          std::shared_ptr<DOMRange>* outResultRange)
{
    endTypingRun();
    auto document = documentOfRange(*this, range);
    if (!document)
        return false;
    auto picture = document->createElement(u"picture");
    if (imageURL) {
        picture->appendChild(imageElementReferencing(*document, *imageURL));
    } else {
        // The picture still needs its image, to be chosen in the attribute editor.
        picture->appendChild(document->createElement(u"img"));
    }
    if (!undoableReplaceRangeWithFragment(undoable, range, fragmentHolding(*document, picture), u"Insert Picture", outResultRange))
        return false;
    showAttributeEditorForElement(picture, std::nullopt);
    return true;
}

namespace {

// An empty player element of the kind with the file and its controls;
// null unless the kind is `expectedKind`.
std::shared_ptr<DOMElement> playerElement(DOMDocument& document, const std::u16string& kind, std::u16string_view expectedKind,
                                          const URL& url)
{
    if (!equalsIgnoringASCIICase(kind, expectedKind))
        return nullptr;
    auto player = document.createElement(asciiLowercase(kind));
    player->setAttribute(u"src", referenceToFile(document, url));
    player->setAttribute(u"controls", u"controls");
    return player;
}

} // namespace

bool VornickContentEditingView::undoableReplaceRangeWithVideoElementOfKind(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                                           const std::u16string& elementKind, const URL& url,
                                                                           std::shared_ptr<DOMRange>* outResultRange)
{
    endTypingRun();
    auto document = documentOfRange(*this, range);
    auto video = document ? playerElement(*document, elementKind, u"VIDEO", url) : nullptr;
    if (!video)
        return false;
    if (!undoableReplaceRangeWithFragment(undoable, range, fragmentHolding(*document, video), u"Insert Video", outResultRange))
        return false;
    showAttributeEditorForElement(video, std::nullopt);
    return true;
}

bool VornickContentEditingView::undoableReplaceRangeWithAudioElementOfKind(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                                           const std::u16string& elementKind, const URL& url,
                                                                           std::shared_ptr<DOMRange>* outResultRange)
{
    endTypingRun();
    auto document = documentOfRange(*this, range);
    auto audio = document ? playerElement(*document, elementKind, u"AUDIO", url) : nullptr;
    if (!audio)
        return false;
    if (!undoableReplaceRangeWithFragment(undoable, range, fragmentHolding(*document, audio), u"Insert Audio Player", outResultRange))
        return false;
    showAttributeEditorForElement(audio, std::nullopt);
    return true;
}

} // namespace brevanton
