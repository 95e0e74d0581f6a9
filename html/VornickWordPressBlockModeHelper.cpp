#include "html/VornickWordPressBlockModeHelper.h"

#include "dom/VornickElementExtensions.h"
#include "html/VornickBlockModeHelperInternal.h"
#include "html/VornickFragmentDescription.h"
#include "html/VornickFragmentGroup.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLPatternReplacementRule.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickErrors.h"

#include <array>
#include <mutex>

namespace brevanton {

using namespace BlockModeHelperDetail;

namespace {

struct TagBlockTexts {
    std::u16string_view tag;
    std::u16string_view blockText;
    std::u16string_view endName;
};

constexpr std::array<TagBlockTexts, 10> tagBlockTexts { {
    { u"blockquote", u"quote", u"quote" },
    { u"h1", u"heading {\"level\":1}", u"heading" },
    { u"h2", u"heading", u"heading" },
    { u"h3", u"heading {\"level\":3}", u"heading" },
    { u"h4", u"heading {\"level\":4}", u"heading" },
    { u"h5", u"heading {\"level\":5}", u"heading" },
    { u"h6", u"heading {\"level\":6}", u"heading" },
    { u"p", u"paragraph", u"paragraph" },
    { u"ol", u"list {\"ordered\":true}", u"list" },
    { u"ul", u"list", u"list" },
} };

const TagBlockTexts* blockTextsForTag(std::u16string_view tagName)
{
    for (const auto& entry : tagBlockTexts) {
        if (equalsIgnoringASCIICase(entry.tag, tagName))
            return &entry;
    }
    return nullptr;
}

// A list's items are blocks of their own, so their text is edited in them.
constexpr std::array<std::u16string_view, 10> editableBlockTypes {
    u"wp:heading", u"wp:paragraph", u"wp:list", u"wp:list-item", u"wp:quote", u"wp:code", u"wp:preformatted", u"wp:pullquote", u"wp:table",
    u"wp:verse",
};

constexpr std::array<std::u16string_view, 11> fragmentsNotOfferedOutsideBlocks {
    u"wp:gallery", u"wp:audio", u"wp:cover", u"wp:file", u"wp:media-text", u"wp:buttons", u"wp:columns", u"wp:group", u"wp:spacer",
    u"wp:shortcode", u"wp:social-links",
};

constexpr std::array<std::u16string_view, 8> inlineElementsOffered { u"a", u"code", u"em", u"kbd", u"strong", u"sub", u"sup", u"s" };

template<size_t N>
bool contains(const std::array<std::u16string_view, N>& list, std::u16string_view value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

std::map<std::u16string, std::u16string> stringProperties(const VornickWordPressBlockMetadata& metadata)
{
    std::map<std::u16string, std::u16string> result;
    if (!metadata.properties())
        return result;
    for (const auto& [key, value] : *metadata.properties()) {
        if (auto string = metadata.stringForProperty(key))
            result.emplace(key, *string);
    }
    return result;
}

bool isCollapsed(const DOMRange* range)
{
    return range && range->collapsed();
}

} // namespace

void VornickWordPressBlockModeHelper::setOperatingInBlockMode(bool inBlockMode)
{
    VornickBlockModeHelper::setOperatingInBlockMode(inBlockMode);
    // The shipped sets are read once: the registry shares one set per file
    // while it is held, and every post view opened after holds it again.
    // Never destroyed, like the registry: a set may not outlive static destruction.
    static std::mutex lock;
    static auto* shipped = new std::array<std::shared_ptr<VornickFragmentSet>, 2>;
    std::shared_ptr<VornickFragmentSet> set;
    {
        std::lock_guard guard(lock);
        auto& kept = (*shipped)[inBlockMode ? 1 : 0];
        if (!kept)
            kept = VornickFragmentSet::fragmentSetNamed(inBlockMode ? u"WordPress-blocks" : u"WordPress-classic");
        set = kept;
    }
    if (set)
        setFragmentSet(std::move(set));
}

std::optional<std::u16string> VornickWordPressBlockModeHelper::blockStartCommentTextForElementKind(std::u16string_view tagName) const
{
    if (auto* entry = blockTextsForTag(tagName))
        return u" wp:" + std::u16string(entry->blockText) + u" ";
    if (htmlSpec() && htmlSpec()->isUsuallyInlineElement(asciiLowercase(std::u16string(tagName))))
        return std::nullopt;
    return std::u16string(u" wp:html ");
}

std::optional<std::u16string> VornickWordPressBlockModeHelper::blockEndCommentTextForElementKind(std::u16string_view tagName) const
{
    if (auto* entry = blockTextsForTag(tagName))
        return u" /wp:" + std::u16string(entry->endName) + u" ";
    if (htmlSpec() && htmlSpec()->isUsuallyInlineElement(asciiLowercase(std::u16string(tagName))))
        return std::nullopt;
    return std::u16string(u" /wp:html ");
}

void VornickWordPressBlockModeHelper::buildReplacementRuleTable()
{
    using Action = VornickHTMLPatternReplacementRuleAction;
    auto wrap = [](const char16_t* type) { return Action::wrapInBlockDelimiterComments(type, std::nullopt); };
    addReplacementRuleWithPatternString(u"<blockquote>", { Action::addClassToRootElement(u"wp-block-quote"), wrap(u"wp:quote") });
    addReplacementRuleWithPatternString(u"<pre><code>", { Action::addClassToRootElement(u"wp-block-code"), wrap(u"wp:code") });
    addReplacementRuleWithPatternString(u"<pre>", { Action::addClassToRootElement(u"wp-block-preformatted"), wrap(u"wp:preformatted") });
    addReplacementRuleWithPatternString(u"<figure><blockquote>",
                                        { Action::addClassToRootElement(u"wp-block-pullquote"), wrap(u"wp:pullquote") });
    addReplacementRuleWithPatternString(u"<figure><blockquote></blockquote><figcaption>",
                                        { Action::deleteElementsOfKind(u"figcaption"), Action::addClassToRootElement(u"wp-block-pullquote"),
                                          wrap(u"wp:pullquote") });
    addReplacementRuleWithPatternString(u"<table>", { Action::deleteElementsOfKind(u"caption"), Action::wrapInElement(u"figure", u"wp-block-table"),
                                                      wrap(u"wp:table") });
    addReplacementRuleWithPatternString(u"<figure><table>", { Action::deleteElementsOfKind(u"caption"),
                                                              Action::addClassToRootElement(u"wp-block-table"), wrap(u"wp:table") });
    addReplacementRuleWithPatternString(u"<figure><table></table><figcaption>",
                                        { Action::deleteElementsOfKind(u"caption"), Action::addClassToRootElement(u"wp-block-table"),
                                          wrap(u"wp:table") });
    addReplacementRuleWithPatternString(u"<p><img>", { Action::unwrapElementsOfKind(u"p"),
                                                       Action::deleteAttributesFromElementsOfKind(u"img", { u"src", u"alt" }),
                                                       Action::wrapInElement(u"figure", u"wp-block-image"), wrap(u"wp:image") });
    addReplacementRuleWithPatternString(u"<hr>", { Action::addClassToRootElement(u"wp-block-separator"), wrap(u"wp:separator") });
}

void VornickWordPressBlockModeHelper::buildBlockTransformTable()
{
    static const std::array<std::array<const char16_t*, 3>, 12> table { {
        { u"wp:paragraph", u"wp:preformatted", u"p" },
        { u"wp:paragraph", u"wp:quote", u"" },
        { u"wp:paragraph", u"wp:verse", u"p" },
        { u"wp:preformatted", u"wp:paragraph", u"pre" },
        { u"wp:preformatted", u"wp:quote", u"pre" },
        { u"wp:preformatted", u"wp:verse", u"pre" },
        { u"wp:quote", u"", u"blockquote" },
        { u"wp:quote", u"wp:preformatted", u"blockquote" },
        { u"wp:quote", u"wp:verse", u"blockquote" },
        { u"wp:verse", u"wp:paragraph", u"pre" },
        { u"wp:verse", u"wp:preformatted", u"pre" },
        { u"wp:verse", u"wp:quote", u"pre" },
    } };
    for (const auto& row : table)
        addBlockTransform(VornickBlockTransform::transformFromBlockType(row[0], row[1], row[2]));
}

bool VornickWordPressBlockModeHelper::canEditContentOfBlockOrElement(const VornickExactSelection& selection) const
{
    if (!selection.blockStartComment())
        return true;
    auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(selection.blockStartComment()->data());
    if (!metadata)
        return true;
    return contains(editableBlockTypes, asciiLowercase(metadata->typeName()));
}

std::u16string VornickWordPressBlockModeHelper::fragmentIdentifierForBlockType(std::u16string_view blockType,
                                                                               const std::map<std::u16string, std::u16string>& properties)
{
    auto type = asciiLowercase(std::u16string(blockType));
    auto property = [&](const char16_t* key) -> const std::u16string* {
        auto found = properties.find(key);
        return found == properties.end() ? nullptr : &found->second;
    };
    if (type == u"wp:post-terms") {
        auto* term = property(u"term");
        return term && *term == u"category" ? u"wp:post-terms-categories" : u"wp:post-terms-tags";
    }
    if (type == u"wp:heading") {
        auto* level = property(u"level");
        return u"wp:heading" + (level ? *level : std::u16string(u"2"));
    }
    if (type == u"wp:embed") {
        if (auto* slug = property(u"providerNameSlug"))
            return u"wp:embed-" + *slug;
    }
    return std::u16string(blockType);
}

std::shared_ptr<const VornickFragmentDescription> VornickWordPressBlockModeHelper::fragmentDescriptionForBlockType(
    std::u16string_view blockType, const std::map<std::u16string, std::u16string>& properties) const
{
    if (!fragmentSet())
        return nullptr;
    return fragmentSet()->fragmentDescriptionWithIdentifier(fragmentIdentifierForBlockType(blockType, properties));
}

std::shared_ptr<const VornickFragmentDescription> VornickWordPressBlockModeHelper::fragmentDescriptionForBlockStartComment(
    const DOMComment& comment) const
{
    auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(comment.data());
    if (!metadata)
        return nullptr;
    return fragmentDescriptionForBlockType(metadata->typeName(), stringProperties(*metadata));
}

bool VornickWordPressBlockModeHelper::mayOfferElementInCompletionList(std::u16string_view tagName, const DOMRange* targetRange) const
{
    if (!operatingInBlockMode())
        return true;
    if (!contains(inlineElementsOffered, asciiLowercase(std::u16string(tagName))))
        return false;
    if (!targetRange)
        return true;
    if (isCollapsed(targetRange))
        return insertionRangeIsInBlock(*targetRange, [](const VornickExactSelection&, VornickBlockInteriorEndpointClass) {});
    bool intersectsBlock = false;
    enumerateBlocksIntersectingRange(*targetRange, 0, [&](const VornickExactSelection&, bool& stop) {
        intersectsBlock = true;
        stop = true;
    });
    return !intersectsBlock;
}

bool VornickWordPressBlockModeHelper::mayOfferFragmentInCompletionList(const VornickFragmentDescription& description,
                                                                       const DOMRange* targetRange, long applySemantic) const
{
    if (!operatingInBlockMode() || !targetRange)
        return true;
    auto identifier = description.identifier();
    if (isCollapsed(targetRange)) {
        std::optional<VornickBlockInteriorEndpointClass> endpoint;
        bool inBlock = insertionRangeIsInBlock(*targetRange, [&](const VornickExactSelection&, VornickBlockInteriorEndpointClass kind) {
            endpoint = kind;
        });
        if (!inBlock)
            return !contains(fragmentsNotOfferedOutsideBlocks, identifier);
        return endpoint && *endpoint != VornickBlockInteriorEndpointClass::Interior;
    }
    if (applySemantic != 2)
        return false;
    auto selection = exactSelectionFromRange(*targetRange, true);
    if (!selection)
        return false;
    auto type = selection->blockType();
    return type && const_cast<VornickWordPressBlockModeHelper*>(this)->transformFromBlockType(*type, identifier).has_value();
}

bool VornickWordPressBlockModeHelper::mayInsertDescribedFragment(const VornickFragmentDescription& description,
                                                                 const VornickDOMPosition& position, std::u16string* reasonWhyNot) const
{
    if (description.identifier() == u"wp:image")
        return true;
    if (auto group = description.group(); group && group->title() == u"Embeds")
        return true;
    return VornickBlockModeHelper::mayInsertDescribedFragment(description, position, reasonWhyNot);
}

bool VornickWordPressBlockModeHelper::mayInsertFragment(const DOMDocumentFragment& fragment, const VornickDOMPosition& position,
                                                        std::u16string* reasonWhyNot) const
{
    auto block = blockEnclosingPosition(position, {}, false, nullptr);
    if (block && block->blockStartComment())
        return false;
    return VornickBlockModeHelper::mayInsertFragment(fragment, position, reasonWhyNot);
}

bool VornickWordPressBlockModeHelper::fixBlockError(const VornickBlockError& blockError)
{
    const Error& error = blockError.error();
    if (error.domain() != VornickErrorDomain || error.code() != 42)
        return false;
    const auto& selection = blockError.exactSelection();
    if (!selection.blockStartComment())
        return false;
    auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(selection.blockStartComment()->data());
    auto lastNode = selection.lastNode();
    auto parent = lastNode ? lastNode->parentNode() : nullptr;
    auto document = lastNode ? lastNode->ownerDocument() : nullptr;
    if (!metadata || !parent || !document)
        return false;
    // The server's parser only recognises a closer with a space on each side.
    auto closer = document->createComment(u" /" + metadata->typeName() + u" ");
    return parent->insertBefore(closer, lastNode->nextSibling()) != nullptr;
}

bool VornickWordPressBlockModeHelper::blockTypeHoldsFreeformContent(std::u16string_view blockType) const
{
    return blockType == u"wp:html" || blockType == u"wp:shortcode" || blockType == u"wp:freeform";
}

std::optional<std::u16string> VornickWordPressBlockModeHelper::blockTypeForHeadingOperationInWordPressPostView(
    const VornickBlockModeEditingContext& view) const
{
    if (!operatingInBlockMode())
        return std::nullopt;
    auto range = view.effectiveOperationRange();
    if (!range)
        return std::nullopt;
    if (auto selection = exactSelectionFromRange(*range, true); selection && selection->blockStartComment())
        return blockTypeOfStartComment(*selection->blockStartComment());
    if (!range->collapsed())
        return std::nullopt;
    auto block = blockEnclosingPosition({ range->startContainer(), static_cast<int32_t>(range->startOffset()) }, {}, false, nullptr);
    if (!block || !block->blockStartComment())
        return std::nullopt;
    return blockTypeOfStartComment(*block->blockStartComment());
}

bool VornickWordPressBlockModeHelper::canChangeHeadingLevelInContentEditingView(const VornickBlockModeEditingContext& view) const
{
    if (!operatingInBlockMode())
        return VornickBlockModeHelper::canChangeHeadingLevelInContentEditingView(view);
    auto type = blockTypeForHeadingOperationInWordPressPostView(view);
    return type && (*type == u"wp:heading" || *type == u"wp:paragraph");
}

bool VornickWordPressBlockModeHelper::canClearHeadingLevelInContentEditingView(const VornickBlockModeEditingContext& view) const
{
    if (!operatingInBlockMode())
        return VornickBlockModeHelper::canClearHeadingLevelInContentEditingView(view);
    auto type = blockTypeForHeadingOperationInWordPressPostView(view);
    return type && *type == u"wp:heading";
}

VornickElementEditorKind VornickWordPressBlockModeHelper::elementEditorClassForElement(const DOMElement& element) const
{
    if (blockMetadataForBlockElement(element))
        return VornickElementEditorKind::WordPressBlockElement;
    return VornickBlockModeHelper::elementEditorClassForElement(element);
}

void VornickWordPressBlockModeHelper::getPathSegmentLabelsForElement(
    const DOMElement& element, const std::function<void(const std::u16string&, const std::u16string&)>& handler) const
{
    if (auto metadata = blockMetadataForBlockElement(element)) {
        handler(blockDisplayNameForTypeName(metadata->typeName(), metadata->properties()), secondaryLabelForBlockMetadata(*metadata));
        return;
    }
    VornickBlockModeHelper::getPathSegmentLabelsForElement(element, handler);
}

size_t VornickWordPressBlockModeHelper::insertionIndexForAttribute(std::u16string_view attributeName, const DOMElement& element) const
{
    if (attributeName == u"alt" && equalsIgnoringASCIICase(element.tagName(), u"img")) {
        const auto& attributes = element.attributeList();
        for (size_t i = 0; i < attributes.size(); ++i) {
            if (equalsIgnoringASCIICase(attributes[i].name, u"src"))
                return i + 1;
        }
        return 0;
    }
    return VornickBlockModeHelper::insertionIndexForAttribute(attributeName, element);
}

bool VornickWordPressBlockModeHelper::useExplicitEmphasis() const
{
    return operatingInBlockMode() ? false : VornickBlockModeHelper::useExplicitEmphasis();
}

std::shared_ptr<VornickWordPressBlockMetadata> VornickWordPressBlockModeHelper::blockMetadataForBlockElement(const DOMElement& element) const
{
    auto comment = blockStartCommentBeforeNode(element);
    if (!comment)
        return nullptr;
    return VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(comment->data());
}

std::shared_ptr<VornickWordPressBlockMetadata> VornickWordPressBlockModeHelper::blockMetadataForBlockEnclosingNode(
    const std::shared_ptr<DOMNode>& node, bool allowNodeItself, bool outermost, const DOMElement* remainingWithin) const
{
    auto block = blockEnclosingNode(node, {}, allowNodeItself, outermost, remainingWithin);
    if (!block || !block->blockStartComment())
        return nullptr;
    return VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(block->blockStartComment()->data());
}

std::u16string VornickWordPressBlockModeHelper::blockDisplayNameForTypeName(const std::u16string& typeName,
                                                                            const std::optional<Dictionary>& properties) const
{
    VornickWordPressBlockMetadata metadata(typeName, properties);
    auto description = fragmentDescriptionForBlockType(typeName, stringProperties(metadata));
    return (description ? description->displayName() : typeName) + u" Block";
}

std::u16string VornickWordPressBlockModeHelper::secondaryLabelForBlockMetadata(const VornickWordPressBlockMetadata& metadata)
{
    auto type = asciiLowercase(metadata.typeName());
    if (type == u"wp:list") {
        if (auto ordered = metadata.numberForProperty(u"ordered"))
            return ordered->boolValue() ? u"Ordered" : u"Unordered";
    } else if (type == u"wp:embed" && metadata.properties()) {
        if (const Value* url = metadata.properties()->count(u"url") ? &metadata.properties()->at(u"url") : nullptr; url && url->isString())
            return url->string();
    }
    return u"";
}

} // namespace brevanton
