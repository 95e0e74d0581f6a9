#include "editing/commands/VornickUndoableMediaReplacement.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
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

std::u16string stepName(VornickUndoableMediaReplacement::Kind kind)
{
    switch (kind) {
    case VornickUndoableMediaReplacement::Kind::Image:
        return u"Insert Image";
    case VornickUndoableMediaReplacement::Kind::Figure:
        return u"Insert Figure";
    case VornickUndoableMediaReplacement::Kind::Picture:
        return u"Insert Picture";
    case VornickUndoableMediaReplacement::Kind::Video:
        return u"Insert Video";
    case VornickUndoableMediaReplacement::Kind::Audio:
        return u"Insert Audio Player";
    }
    return {};
}

} // namespace

VornickUndoableMediaReplacement::VornickUndoableMediaReplacement(VornickEditingContext& context, bool undoable, std::shared_ptr<DOMRange> range,
                                                                 Kind kind, std::optional<URL> url, std::u16string elementKind)
    : VornickUndoableEdit(context, undoable)
    , m_range(std::move(range))
    , m_kind(kind)
    , m_url(std::move(url))
    , m_elementKind(std::move(elementKind))
{
}

std::shared_ptr<DOMDocumentFragment> VornickUndoableMediaReplacement::createFragment(DOMDocument& document)
{
    switch (m_kind) {
    case Kind::Image: {
        auto* blockModeHelper = context().blockModeHelper();
        if (!blockModeHelper || !m_url)
            return nullptr;
        return blockModeHelper->createImageWithURL(*m_url, document, context().blockModeEditingContext(),
                                                   m_range ? m_range.get() : context().effectiveOperationRange().get());
    }
    case Kind::Figure: {
        auto figure = document.createElement(u"figure");
        auto caption = document.createElement(u"figcaption");
        caption->appendChild(document.createTextNode(u"Caption"));
        if (m_url) {
            m_elementToEdit = imageElementReferencing(document, *m_url);
            figure->appendChild(m_elementToEdit);
        }
        figure->appendChild(caption);
        return fragmentHolding(document, figure);
    }
    case Kind::Picture: {
        auto picture = document.createElement(u"picture");
        if (m_url) {
            picture->appendChild(imageElementReferencing(document, *m_url));
        } else {
            // The picture still needs its image, to be chosen in the attribute editor.
            picture->appendChild(document.createElement(u"img"));
        }
        m_elementToEdit = picture;
        return fragmentHolding(document, picture);
    }
    case Kind::Video:
    case Kind::Audio: {
        auto player = m_url ? playerElement(document, m_elementKind, m_kind == Kind::Video ? u"VIDEO" : u"AUDIO", *m_url) : nullptr;
        if (!player)
            return nullptr;
        m_elementToEdit = player;
        return fragmentHolding(document, player);
    }
    }
    return nullptr;
}

bool VornickUndoableMediaReplacement::apply(std::shared_ptr<DOMRange>* outResultRange)
{
    begin(stepName(m_kind), TypingRun::End, BackspaceRun::Keep);
    auto replaced = m_range ? m_range : context().effectiveOperationRange();
    auto document = replaced ? vornick_ownerDocument(*replaced) : nullptr;
    if (!document)
        return false;
    auto fragment = createFragment(*document);
    if (!fragment) {
        m_elementToEdit = nullptr;
        return false;
    }
    if (!VornickUndoableFragmentReplacement(context(), undoable(), m_range, fragment, actionName()).apply(outResultRange)) {
        m_elementToEdit = nullptr;
        return false;
    }
    return true;
}

} // namespace brevanton
