#include "publishing/VornickWordPressImageBlockFigureInspectorModule.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickElementEditorUIController.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/views/Button.h"
#include "platform/views/Popover.h"
#include "platform/views/SegmentedControl.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogPostView.h"
#include "publishing/VornickMediaItemImageView.h"
#include "publishing/VornickWordPressBlockClassNames.h"
#include "publishing/VornickWordPressBlogEditor.h"
#include "publishing/VornickWordPressImageBlockSizing.h"
#include "publishing/VornickWordPressMediaLibraryBrowser.h"
#include "ui/VornickFlippedView.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace brevanton {

namespace {

constexpr double moduleWidth = 360;
constexpr double labelWidth = 104;
constexpr double rowHeight = 28;
constexpr double imageSide = 64;

constexpr const char* changeAction = "changeImageBlockProperty:";
constexpr const char* chooseOtherImageFileAction = "chooseOtherImageFile:";
constexpr const char* chooseOtherMediaItemAction = "chooseOtherMediaItem:";

bool isSender(ActionSender* sender, const std::shared_ptr<Control>& control)
{
    return sender && control && sender == static_cast<ActionSender*>(control.get());
}

std::shared_ptr<DOMElement> firstDescendantNamed(DOMElement& root, std::u16string_view tagName)
{
    auto elements = root.getElementsByTagName(tagName);
    return elements->length() ? elements->item(0) : nullptr;
}

// The figure's first img, and the link that holds it (or the figure's first
// link when the img has none around it).
std::shared_ptr<DOMElement> imageOf(const VornickExactSelection& block)
{
    return block.element() ? firstDescendantNamed(*block.element(), u"img") : nullptr;
}

std::shared_ptr<DOMElement> linkOf(DOMElement& figure)
{
    if (auto image = firstDescendantNamed(figure, u"img")) {
        for (auto ancestor = image->parentElement(); ancestor && ancestor.get() != &figure; ancestor = ancestor->parentElement()) {
            if (ancestor->hasTagName(u"a"))
                return ancestor;
        }
    }
    return firstDescendantNamed(figure, u"a");
}

// A positive whole number of pixels typed in a field; none otherwise.
std::optional<long> typedPixels(const std::u16string& text)
{
    auto trimmed = toUTF8(vornick_trimmedOfHTMLSpace(text));
    double value = 0;
    auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (trimmed.empty() || error != std::errc() || end != trimmed.data() + trimmed.size() || !std::isfinite(value) || value < 1
        || value > 100000)
        return std::nullopt;
    return vornick_wholePixels(value);
}

std::optional<long> wholeNumberProperty(const VornickWordPressBlockMetadata* metadata, std::u16string_view key)
{
    if (!metadata)
        return std::nullopt;
    auto number = metadata->numberForProperty(key);
    if (!number || number->isBoolean())
        return std::nullopt;
    return vornick_wholePixels(number->doubleValue());
}

std::u16string decimal(long value)
{
    return toUTF16(std::to_string(value));
}

void setClassNames(DOMElement& element, std::vector<std::u16string> classes)
{
    vornick_setClassNamesOfBlockElement(element, classes);
}

long indexOfSizeSlug(const std::optional<std::u16string>& slug)
{
    if (!slug)
        return -1;
    const auto& names = VornickWordPressImageBlockFigureInspectorModule::wordPressImageSizeNames;
    for (size_t index = 0; index < names.size(); ++index) {
        if (*slug == names[index])
            return static_cast<long>(index);
    }
    return -1;
}

} // namespace

VornickWordPressImageBlockFigureInspectorModule::~VornickWordPressImageBlockFigureInspectorModule() = default;

bool VornickWordPressImageBlockFigureInspectorModule::canInspectTargetOf(const VornickElementEditorUIController& editor)
{
    auto metadata = blockMetadataOfTargetOf(editor);
    return metadata && equalsIgnoringASCIICase(metadata->typeName(), u"wp:image");
}

long VornickWordPressImageBlockFigureInspectorModule::imageStyleFromBlockMetadata(const VornickWordPressBlockMetadata* metadata)
{
    auto className = metadata ? metadata->stringForProperty(u"className") : std::nullopt;
    if (!className)
        return 0;
    auto words = vornick_wordsBetweenHTMLSpace(*className);
    return std::find(words.begin(), words.end(), roundedStyleClassName) != words.end() ? 1 : 0;
}

VornickWordPressImageBlockFigureInspectorModule::LinkType VornickWordPressImageBlockFigureInspectorModule::linkDestinationTypeFromBlockMetadata(
    const VornickWordPressBlockMetadata* metadata)
{
    auto destination = metadata ? metadata->stringForProperty(u"linkDestination") : std::nullopt;
    if (!destination || destination->empty())
        return LinkType::None;
    for (size_t index = 1; index < linkDestinationTypeIdentifiers.size(); ++index) {
        if (*destination == linkDestinationTypeIdentifiers[index])
            return static_cast<LinkType>(index);
    }
    return LinkType::None;
}

// --- The media item

std::shared_ptr<VornickWordPressMediaItem> VornickWordPressImageBlockFigureInspectorModule::wordPressMediaItem() const
{
    auto metadata = wordPressBlockMetadata();
    if (!metadata || !metadata->properties())
        return nullptr;
    auto identifier = metadata->properties()->find(u"id");
    if (identifier == metadata->properties()->end())
        return nullptr;
    auto* editor = elementEditor();
    auto* postView = editor ? dynamic_cast<VornickBlogPostView*>(editor->contentEditingView()) : nullptr;
    auto post = postView ? std::dynamic_pointer_cast<VornickWordPressBlogPost>(postView->post()) : nullptr;
    auto blog = post ? post->wordPressBlog() : nullptr;
    if (!blog)
        return nullptr;
    return entityCast<VornickWordPressMediaItem>(blog->mediaItemForIdentifier(identifier->second));
}

std::shared_ptr<VornickWordPressMediaItemVariant> VornickWordPressImageBlockFigureInspectorModule::wordPressMediaItemVariantForSizeSlug(
    const std::u16string& slug) const
{
    auto item = wordPressMediaItem();
    return item ? item->variantWithName(slug) : nullptr;
}

std::shared_ptr<VornickWordPressMediaItemVariant> VornickWordPressImageBlockFigureInspectorModule::wordPressMediaItemVariant() const
{
    auto metadata = wordPressBlockMetadata();
    auto slug = metadata ? metadata->stringForProperty(u"sizeSlug") : std::nullopt;
    return slug ? wordPressMediaItemVariantForSizeSlug(*slug) : nullptr;
}

Size VornickWordPressImageBlockFigureInspectorModule::wordPressMediaItemSize() const
{
    auto item = wordPressMediaItem();
    if (!item)
        return {};
    return Size { static_cast<double>(item->ManagedObject::valueForKey(u"pixelsWide").integerValue()),
                  static_cast<double>(item->ManagedObject::valueForKey(u"pixelsHigh").integerValue()) };
}

Size VornickWordPressImageBlockFigureInspectorModule::resolvedUnscaledSizeForSizeSlug(const std::u16string& slug) const
{
    Size variantSize;
    if (auto variant = wordPressMediaItemVariantForSizeSlug(slug)) {
        variantSize = Size { static_cast<double>(variant->valueForKey(u"pixelsWide").integerValue()),
                             static_cast<double>(variant->valueForKey(u"pixelsHigh").integerValue()) };
    }
    return vornick_resolvedUnscaledImageSize(wordPressMediaItemSize(), variantSize);
}

Size VornickWordPressImageBlockFigureInspectorModule::resolvedUnscaledSize() const
{
    auto metadata = wordPressBlockMetadata();
    auto slug = metadata ? metadata->stringForProperty(u"sizeSlug") : std::nullopt;
    return resolvedUnscaledSizeForSizeSlug(slug.value_or(u""));
}

long VornickWordPressImageBlockFigureInspectorModule::scaleSegmentToSelectForDisplayedWidth(double width, double height) const
{
    if (width < 1 || height < 1)
        return 3;
    return vornick_scaleSegmentForDisplayedImageSize(width, height, resolvedUnscaledSize());
}

// --- The view

void VornickWordPressImageBlockFigureInspectorModule::loadView()
{
    auto view = std::make_shared<VornickFlippedView>(Rect(0, 0, moduleWidth, imageSide + 8 + rowHeight * 7));
    view->setAutoresizingMask(Autoresizing::WidthSizable);
    double fieldWidth = moduleWidth - labelWidth - 4;
    auto addLabel = [&view](const std::u16string& text, double y) {
        auto label = TextField::labelWithString(text);
        label->setFrame(Rect(4, y + 5, labelWidth - 8, 18));
        view->addSubview(label);
    };
    auto target = std::static_pointer_cast<Responder>(view);
    auto connect = [&target](const std::shared_ptr<Control>& control, const char* action) {
        control->setAction(action);
        control->setTarget(target);
    };
    auto segments = [&](std::initializer_list<const char16_t*> labels, double y) {
        auto control = std::make_shared<SegmentedControl>(Rect(labelWidth, y + 2, fieldWidth, 24));
        control->setAutoresizingMask(Autoresizing::WidthSizable);
        control->setSegmentCount(static_cast<long>(labels.size()));
        long segment = 0;
        for (auto* label : labels)
            control->setLabel(label, segment++);
        connect(control, changeAction);
        view->addSubview(control);
        return control;
    };
    auto field = [&](Rect frame) {
        auto control = std::make_shared<TextField>(frame);
        control->setEditable(true);
        control->setBezeled(true);
        control->setDrawsBackground(true);
        connect(control, changeAction);
        view->addSubview(control);
        return control;
    };

    m_mediaItemImageView = std::make_shared<VornickMediaItemImageView>(Rect(4, 4, imageSide, imageSide));
    // The image only shows the block's item: a drop would replace nothing.
    m_mediaItemImageView->setTakesDroppedURLs(false);
    view->addSubview(m_mediaItemImageView);
    auto idLabel = TextField::labelWithString(u"Media Item ID:");
    idLabel->setFrame(Rect(imageSide + 12, 8, 96, 18));
    view->addSubview(idLabel);
    m_mediaItemIDTextField = TextField::labelWithString(u"-");
    m_mediaItemIDTextField->setFrame(Rect(imageSide + 112, 8, moduleWidth - imageSide - 116, 18));
    view->addSubview(m_mediaItemIDTextField);
    m_chooseOtherMediaItemButton = std::make_shared<Button>(Rect(imageSide + 12, 36, 140, 24), u"Choose Media Item…");
    connect(m_chooseOtherMediaItemButton, chooseOtherMediaItemAction);
    view->addSubview(m_chooseOtherMediaItemButton);
    m_chooseOtherImageFileButton = std::make_shared<Button>(Rect(imageSide + 156, 36, moduleWidth - imageSide - 160, 24), u"Choose File…");
    connect(m_chooseOtherImageFileButton, chooseOtherImageFileAction);
    view->addSubview(m_chooseOtherImageFileButton);

    double y = imageSide + 8;
    addLabel(u"Style", y);
    m_styleSegmentedControl = segments({ u"Default", u"Rounded" }, y);
    y += rowHeight;
    addLabel(u"Alt Text", y);
    m_altTextTextField = field(Rect(labelWidth, y + 3, fieldWidth, 22));
    y += rowHeight;
    addLabel(u"Link To", y);
    m_linkTypeSegmentedControl = segments({ u"None", u"Media File", u"Attachment", u"Custom URL" }, y);
    y += rowHeight;
    addLabel(u"Link URL", y);
    m_linkURLTextField = field(Rect(labelWidth, y + 3, fieldWidth, 22));
    y += rowHeight;
    addLabel(u"Size", y);
    m_sizeSegmentedControl = segments({ u"Full", u"Large", u"Medium", u"Thumbnail" }, y);
    y += rowHeight;
    addLabel(u"Width × Height", y);
    m_widthTextField = field(Rect(labelWidth, y + 3, 72, 22));
    m_heightTextField = field(Rect(labelWidth + 80, y + 3, 72, 22));
    m_resetDimensionsButton = std::make_shared<Button>(Rect(labelWidth + 160, y + 2, fieldWidth - 160, 24), u"Reset");
    connect(m_resetDimensionsButton, changeAction);
    view->addSubview(m_resetDimensionsButton);
    y += rowHeight;
    addLabel(u"Scale", y);
    m_scaleSegmentedControl = segments({ u"25%", u"50%", u"75%", u"100%" }, y);

    std::weak_ptr<VornickWordPressImageBlockFigureInspectorModule> weakModule
        = std::static_pointer_cast<VornickWordPressImageBlockFigureInspectorModule>(shared_from_this());
    view->setActionHandler(changeAction, [weakModule](ActionSender* sender) {
        auto module = weakModule.lock();
        if (!module)
            return;
        module->m_awaitingCustomLinkURL = false;
        // A control whose change was refused shows the block again (a custom
        // link waits for its address).
        if (!module->changeProperty(sender) && !module->m_awaitingCustomLinkURL && module->elementEditor())
            module->updateControlsFromElement();
    });
    view->setActionHandler(chooseOtherMediaItemAction, [weakModule](ActionSender* sender) {
        if (auto module = weakModule.lock())
            module->chooseOtherMediaItem(sender);
    });
    view->setActionHandler(chooseOtherImageFileAction, [weakModule](ActionSender* sender) {
        if (auto module = weakModule.lock())
            module->chooseOtherImageFile(sender);
    });
    setView(view);
}

void VornickWordPressImageBlockFigureInspectorModule::showDimensions(std::optional<long> width, std::optional<long> height)
{
    m_widthTextField->setStringValue(width ? decimal(*width) : u"");
    m_heightTextField->setStringValue(height ? decimal(*height) : u"");
    m_scaleSegmentedControl->setSelectedSegment(
        scaleSegmentToSelectForDisplayedWidth(width ? static_cast<double>(*width) : 0, height ? static_cast<double>(*height) : 0));
}

void VornickWordPressImageBlockFigureInspectorModule::updateControlsFromElement()
{
    view();
    auto metadata = wordPressBlockMetadata();
    auto* editor = elementEditor();
    auto element = editor ? editor->targetElement() : nullptr;
    auto image = element ? firstDescendantNamed(*element, u"img") : nullptr;
    auto link = element ? linkOf(*element) : nullptr;

    auto identifier = wholeNumberProperty(metadata.get(), u"id");
    m_mediaItemIDTextField->setStringValue(identifier ? decimal(*identifier) : u"-");
    m_mediaItemImageView->setMediaItem(wordPressMediaItem());
    m_chooseOtherMediaItemButton->setEnabled(wordPressBlogEditor() != nullptr);
    m_styleSegmentedControl->setSelectedSegment(imageStyleFromBlockMetadata(metadata.get()));
    m_altTextTextField->setStringValue(image ? image->getAttribute(u"alt") : u"");
    auto linkType = linkDestinationTypeFromBlockMetadata(metadata.get());
    m_linkTypeSegmentedControl->setSelectedSegment(static_cast<long>(linkType));
    m_linkURLTextField->setStringValue(link ? link->getAttribute(u"href") : u"");
    m_linkURLTextField->setEditable(linkType == LinkType::CustomURL);
    m_linkURLTextField->setEnabled(linkType == LinkType::CustomURL);
    m_sizeSegmentedControl->setSelectedSegment(indexOfSizeSlug(metadata ? metadata->stringForProperty(u"sizeSlug") : std::nullopt));
    showDimensions(wholeNumberProperty(metadata.get(), u"width"), wholeNumberProperty(metadata.get(), u"height"));
}

// --- Actions

void VornickWordPressImageBlockFigureInspectorModule::chooseOtherImageFile(ActionSender*)
{
    auto* editor = elementEditor();
    auto* view = editor ? editor->contentEditingView() : nullptr;
    if (!view)
        return;
    editor->closePopover();
    (void)view->performAction("chooseImageAndReplaceSelection:", nullptr);
}

void VornickWordPressImageBlockFigureInspectorModule::chooseOtherMediaItem(ActionSender*)
{
    auto* editor = elementEditor();
    auto blogEditor = wordPressBlogEditor();
    if (!editor || !blogEditor)
        return;
    auto popover = editor->popover();
    Rect inspectorFrame = popover && popover->window() ? popover->window()->frame() : Rect();

    std::weak_ptr<VornickWordPressImageBlockFigureInspectorModule> weakModule
        = std::static_pointer_cast<VornickWordPressImageBlockFigureInspectorModule>(shared_from_this());
    std::weak_ptr<VornickWordPressBlogEditor> weakBlogEditor = blogEditor;
    stopObservingPopover();
    m_popoverWillCloseObserver = NotificationCenter::defaultCenter().addObserver(
        Popover::WillCloseNotification, popover.get(), nullptr, [weakModule, weakBlogEditor](const Notification&) {
            if (auto blogEditor = weakBlogEditor.lock())
                blogEditor->cancelPickingMediaItem();
            if (auto module = weakModule.lock())
                module->stopObservingPopover();
        });
    auto current = wordPressMediaItem();
    blogEditor->beginPickingMediaItem(current, inspectorFrame, [weakModule](const std::shared_ptr<VornickWordPressMediaItem>&) {
        auto module = weakModule.lock();
        if (!module)
            return;
        module->stopObservingPopover();
        (void)module->changeProperty(module->m_chooseOtherMediaItemButton.get());
    });
    if (auto browser = blogEditor->mediaLibraryBrowser(); browser && current)
        browser->showMediaItem(current);
}

void VornickWordPressImageBlockFigureInspectorModule::stopObservingPopover()
{
    m_popoverWillCloseObserver.reset();
}

// --- Writing a change

void VornickWordPressImageBlockFigureInspectorModule::setLinkURLString(const std::u16string& url, DOMElement& figure)
{
    auto link = linkOf(figure);
    if (!link) {
        auto image = firstDescendantNamed(figure, u"img");
        auto document = figure.ownerDocument();
        auto parent = image ? image->parentNode() : nullptr;
        if (!image || !document || !parent)
            return;
        link = document->createElement(u"a");
        (void)parent->insertBefore(link, image);
        (void)link->appendChild(image);
    }
    (void)link->setAttribute(u"href", url);
}

void VornickWordPressImageBlockFigureInspectorModule::writeDimensions(std::optional<long> width, std::optional<long> height,
                                                                      const VornickExactSelection& block,
                                                                      VornickWordPressBlockMetadata& metadata)
{
    auto image = imageOf(block);
    for (auto [key, value] : { std::pair { u"width", width }, std::pair { u"height", height } }) {
        if (value) {
            metadata.setNumber(Value(*value), key);
            if (image)
                (void)image->setAttribute(key, decimal(*value));
        } else {
            metadata.removeProperty(key);
            if (image)
                image->removeAttribute(key);
        }
    }
    auto& figure = *block.element();
    std::vector<std::u16string> classes;
    for (auto& name : vornick_wordsBetweenHTMLSpace(figure.getAttribute(u"class"))) {
        if (name != resizedClassName)
            classes.push_back(std::move(name));
    }
    if (width || height) {
        // Where the block editor puts it: after the size class.
        auto size = std::find_if(classes.begin(), classes.end(), [](const std::u16string& name) { return name.starts_with(u"size-"); });
        classes.insert(size == classes.end() ? classes.end() : size + 1, resizedClassName);
    }
    setClassNames(figure, std::move(classes));
}

bool VornickWordPressImageBlockFigureInspectorModule::writeScale(double factor, const VornickExactSelection& block,
                                                                 VornickWordPressBlockMetadata& metadata)
{
    Size unscaled = resolvedUnscaledSize();
    long width = vornick_wholePixels(unscaled.width * factor);
    long height = vornick_wholePixels(unscaled.height * factor);
    if (width < 1 || height < 1)
        return false;
    writeDimensions(width, height, block, metadata);
    showDimensions(width, height);
    return true;
}

bool VornickWordPressImageBlockFigureInspectorModule::writeMediaItemChange(const VornickWordPressMediaItem& item,
                                                                           const VornickExactSelection& block,
                                                                           VornickWordPressBlockMetadata& metadata)
{
    auto image = imageOf(block);
    if (!image)
        return false;
    long identifier = 0;
    {
        auto text = toUTF8(item.identifierUsedByBlogService());
        long parsed = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
        if (!text.empty() && error == std::errc() && end == text.data() + text.size())
            identifier = parsed;
    }

    std::optional<std::u16string> source;
    if (auto slug = metadata.stringForProperty(u"sizeSlug")) {
        if (auto variant = item.variantWithName(*slug)) {
            if (auto url = variant->resolvedSourceURL())
                source = url->absoluteString();
        }
    }
    auto remote = item.ManagedObject::valueForKey(u"remoteURLString").stringValue();
    if (!source && !remote.empty())
        source = remote;
    if (!source) {
        if (auto local = item.resolvedLocalURL())
            source = local->absoluteString();
    }
    if (!source)
        return false;

    metadata.setNumber(Value(identifier), u"id");
    (void)image->setAttribute(u"src", *source);
    std::vector<std::u16string> classes;
    for (auto& name : vornick_wordsBetweenHTMLSpace(image->getAttribute(u"class"))) {
        if (!name.starts_with(u"wp-image-"))
            classes.push_back(std::move(name));
    }
    classes.push_back(u"wp-image-" + decimal(identifier));
    setClassNames(*image, std::move(classes));
    // A new image shows at its own size.
    writeDimensions(std::nullopt, std::nullopt, block, metadata);
    if (auto destination = metadata.stringForProperty(u"linkDestination"); destination && equalsIgnoringASCIICase(*destination, u"media")
        && !remote.empty())
        setLinkURLString(remote, *block.element());
    return true;
}

bool VornickWordPressImageBlockFigureInspectorModule::writeChangeFromControl(ActionSender* sender, const VornickExactSelection& block,
                                                                             DOMDocumentFragment&, VornickWordPressBlockMetadata& metadata)
{
    view();
    auto& figure = block.element();
    if (!figure)
        return false;
    auto image = imageOf(block);

    if (isSender(sender, m_chooseOtherMediaItemButton)) {
        auto blogEditor = wordPressBlogEditor();
        auto browser = blogEditor ? blogEditor->mediaLibraryBrowser() : nullptr;
        auto selected = browser ? browser->selectedMediaItems() : std::vector<std::shared_ptr<VornickWordPressMediaItem>>();
        if (selected.size() != 1 || !selected.front())
            return false;
        return writeMediaItemChange(*selected.front(), block, metadata);
    }

    if (isSender(sender, m_styleSegmentedControl)) {
        long style = m_styleSegmentedControl->selectedSegment();
        if (style < 0 || style == imageStyleFromBlockMetadata(&metadata))
            return false;
        auto words = vornick_wordsBetweenHTMLSpace(metadata.stringForProperty(u"className").value_or(u""));
        std::erase(words, roundedStyleClassName);
        auto classes = vornick_wordsBetweenHTMLSpace(figure->getAttribute(u"class"));
        std::erase(classes, roundedStyleClassName);
        if (style == 1) {
            words.push_back(roundedStyleClassName);
            classes.push_back(roundedStyleClassName);
        }
        if (words.empty())
            metadata.removeProperty(u"className");
        else
            metadata.setString(vornick_joinedWithSpaces(words), u"className");
        setClassNames(*figure, std::move(classes));
        return true;
    }

    if (isSender(sender, m_altTextTextField)) {
        auto text = m_altTextTextField->stringValue();
        if (!image || (image->hasAttribute(u"alt") && image->getAttribute(u"alt") == text))
            return false;
        (void)image->setAttribute(u"alt", text);
        return true;
    }

    if (isSender(sender, m_linkTypeSegmentedControl)) {
        long chosen = m_linkTypeSegmentedControl->selectedSegment();
        if (chosen < 0 || chosen > 3 || chosen == static_cast<long>(linkDestinationTypeFromBlockMetadata(&metadata)))
            return false;
        bool custom = chosen == static_cast<long>(LinkType::CustomURL);
        m_linkURLTextField->setEnabled(custom);
        m_linkURLTextField->setEditable(custom);
        switch (static_cast<LinkType>(chosen)) {
        case LinkType::None:
            metadata.setString(u"none", u"linkDestination");
            // The img leaves the link; a caption stays where it is.
            if (auto link = linkOf(*figure)) {
                auto parent = link->parentNode();
                while (auto child = link->firstChild())
                    (void)parent->insertBefore(child, link);
                link->remove();
            }
            return true;
        case LinkType::MediaFile: {
            auto item = wordPressMediaItem();
            auto remote = item ? item->ManagedObject::valueForKey(u"remoteURLString").stringValue() : std::u16string();
            if (remote.empty())
                return false;
            metadata.setString(u"media", u"linkDestination");
            setLinkURLString(remote, *figure);
            return true;
        }
        case LinkType::AttachmentPage:
            return false;
        case LinkType::CustomURL:
            m_awaitingCustomLinkURL = true;
            if (auto window = m_linkURLTextField->window())
                (void)window->makeFirstResponder(m_linkURLTextField);
            return false;
        }
        return false;
    }

    if (isSender(sender, m_linkURLTextField)) {
        auto url = vornick_trimmedOfHTMLSpace(m_linkURLTextField->stringValue());
        // An empty address would link the image to the page itself.
        if (url.empty())
            return false;
        setLinkURLString(url, *figure);
        metadata.setString(u"custom", u"linkDestination");
        return true;
    }

    if (isSender(sender, m_sizeSegmentedControl)) {
        long chosen = m_sizeSegmentedControl->selectedSegment();
        if (!image || chosen < 0 || chosen > 3 || chosen == indexOfSizeSlug(metadata.stringForProperty(u"sizeSlug")))
            return false;
        std::u16string slug = wordPressImageSizeNames[static_cast<size_t>(chosen)];
        Size unscaled = resolvedUnscaledSizeForSizeSlug(slug);
        long width = vornick_wholePixels(unscaled.width);
        long height = vornick_wholePixels(unscaled.height);
        if (auto variant = wordPressMediaItemVariantForSizeSlug(slug)) {
            auto source = variant->resolvedSourceURL();
            if (!source || width < 1 || height < 1)
                return false;
            (void)image->setAttribute(u"src", source->absoluteString());
        }
        metadata.setString(slug, u"sizeSlug");
        std::vector<std::u16string> classes;
        for (auto& name : vornick_wordsBetweenHTMLSpace(figure->getAttribute(u"class"))) {
            if (!name.starts_with(u"size-"))
                classes.push_back(std::move(name));
        }
        classes.push_back(u"size-" + slug);
        setClassNames(*figure, std::move(classes));
        if (width >= 1 && height >= 1)
            writeDimensions(width, height, block, metadata);
        else
            writeDimensions(std::nullopt, std::nullopt, block, metadata);
        return true;
    }

    if (isSender(sender, m_widthTextField) || isSender(sender, m_heightTextField)) {
        auto width = typedPixels(m_widthTextField->stringValue());
        auto height = typedPixels(m_heightTextField->stringValue());
        if (!image || !width || !height)
            return false;
        writeDimensions(width, height, block, metadata);
        showDimensions(width, height);
        return true;
    }

    if (isSender(sender, m_scaleSegmentedControl)) {
        long chosen = m_scaleSegmentedControl->selectedSegment();
        if (!image || chosen < 0 || chosen > 3)
            return false;
        return writeScale(VornickImageBlockScaleFactors[chosen], block, metadata);
    }

    if (isSender(sender, m_resetDimensionsButton)) {
        if (!image || !writeScale(1.0, block, metadata))
            return false;
        m_scaleSegmentedControl->setSelectedSegment(3);
        return true;
    }
    return false;
}

} // namespace brevanton
