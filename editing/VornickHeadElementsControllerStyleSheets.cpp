// The document's style sheets: linking a sheet or placing a copy of it in a
// STYLE element of the head, choosing a sheet file to link, and replacing
// the primary sheet. Each is composed of the head element and text
// primitives, so Undo takes it back exactly.
#include "editing/VornickHeadElementsController.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickBundledStyleSheet.h"
#include "app/VornickDocumentStyleSheets.h"
#include "app/VornickStyleSheet.h"
#include "app/VornickStyleSheetReference.h"
#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementAttributeValue.h"
#include "editing/VornickStyleSheetElements.h"
#include "editing/commands/VornickEditingContext.h"
#include "html/VornickCSSURLRewiringTool.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Window.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickURLExtensions.h"

#include <filesystem>

namespace brevanton {

namespace {

// Whether the sheet is one of the application's own, inside its resources
// folder: such a link keeps the absolute URL, since the document's folder
// says nothing about where the application is.
bool isInApplicationsBundledStyleSheetsFolder(const URL& url)
{
    auto path = url.fileSystemPath();
    if (!path)
        return false;
    std::error_code error;
    auto folder = std::filesystem::weakly_canonical(
        std::filesystem::path(Bundle::main().resourcePath()) / toUTF8(VornickBundledStyleSheetsFolderName), error);
    if (error)
        return false;
    auto file = std::filesystem::weakly_canonical(std::filesystem::path(*path), error);
    if (error)
        return false;
    auto relative = file.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != ".." && relative.is_relative();
}

std::u16string referenceStringForURL(const DOMDocument& document, const URL& url)
{
    return vornick_relativeURLStringForReferencingTargetURL(document, &url).value_or(url.absoluteString());
}

std::shared_ptr<DOMElement> firstStyleChildOfHead(const DOMElement& head)
{
    for (DOMNode* node = head.first(); node; node = node->next()) {
        if (node->nodeType() == DOMNode::ELEMENT_NODE && asciiLowercase(downcast<DOMElement>(node)->tagName()) == u"style")
            return downcast<DOMElement>(node->shared_from_this());
    }
    return nullptr;
}

bool isHTMLWhitespaceOnly(std::u16string_view text)
{
    return text.find_first_not_of(u" \t\n\f\r") == std::u16string_view::npos;
}

} // namespace

bool VornickHeadElementsController::addNewStylesheet(bool undoable, const std::shared_ptr<VornickStyleSheet>& styleSheet,
                                                     bool asAlternate, bool embedCopy, const std::shared_ptr<DOMDocument>& document)
{
    BREVANTON_ASSERT(styleSheet, "Invalid parameter not satisfying: styleSheet");
    BREVANTON_ASSERT(document, "Invalid parameter not satisfying: document");
    std::optional<std::u16string> bundledName;
    if (dynamic_cast<const VornickBundledStyleSheet*>(styleSheet.get()))
        bundledName = styleSheet->title();
    return addNewStylesheetWithURL(undoable, styleSheet->fileURL(), bundledName, asAlternate, embedCopy, document);
}

bool VornickHeadElementsController::addNewStylesheetWithURL(bool undoable, const URL& stylesheetURL,
                                                            const std::optional<std::u16string>& bundledStyleSheetName, bool asAlternate,
                                                            bool embedCopy, const std::shared_ptr<DOMDocument>& document)
{
    BREVANTON_ASSERT(!stylesheetURL.absoluteString().empty(), "Invalid parameter not satisfying: stylesheetURL");
    BREVANTON_ASSERT(document, "Invalid parameter not satisfying: document");
    BREVANTON_ASSERT(!(asAlternate && embedCopy), "Invalid parameter not satisfying: !(isAlternateStyleSheet && embedCopy)");
    auto& context = m_host->editingContext();
    context.endTypingRun();
    auto head = vornick_headElement(*document);
    if (!head)
        return false;

    if (!embedCopy) {
        std::u16string href = isInApplicationsBundledStyleSheetsFolder(stylesheetURL) ? stylesheetURL.absoluteString()
                                                                                       : referenceStringForURL(*document, stylesheetURL);
        std::vector<VornickElementAttributeValue> values;
        values.push_back(VornickElementAttributeValue::element(nullptr, u"rel", std::u16string(asAlternate ? u"alternate stylesheet" : u"stylesheet")));
        values.push_back(VornickElementAttributeValue::element(nullptr, u"href", href));
        if (asAlternate) {
            std::u16string title = stylesheetURL.URLByDeletingPathExtension().lastPathComponent();
            if (!title.empty())
                values.push_back(VornickElementAttributeValue::element(nullptr, u"title", title));
        }
        if (!insertHeadElementWithTagName(undoable, u"link", values, {}, head->childCount(), document))
            return false;
        m_host->updateEffectiveOperationRangeIndicator();
        return true;
    }

    auto path = stylesheetURL.fileSystemPath();
    auto bytes = path ? readFile(*path, nullptr, FileReadKind::StyleSheet) : std::nullopt;
    std::u16string contents;
    if (!bytes || !decodeUTF8Strictly(*bytes, contents))
        return false;
    auto sheetFolder = stylesheetURL.URLByDeletingLastPathComponent();
    auto base = vornick_baseDirectoryURLForResourceFileResolution(*document);
    if (base && !vornick_pointsToSameFileAsURL(sheetFolder, *base))
        contents = VornickCSSURLRewiringTool::rewireURLsInStyleSheetString(contents, sheetFolder, *base);
    std::u16string text;
    if (bundledStyleSheetName) {
        auto version = VornickStyleSheet::versionStringForBundledStyleSheetContents(contents);
        text = u"/* begin embedded copy of Brevanton stylesheet \"" + *bundledStyleSheetName + u"\", Version "
            + version.value_or(u"unknown") + u" */\n" + contents + u"\n/* end embedded copy of Brevanton stylesheet */";
    } else {
        text = u"/* begin embedded copy of stylesheet \"" + referenceStringForURL(*document, stylesheetURL) + u"\" */\n" + contents
            + u"\n/* end embedded copy of stylesheet */";
    }
    text = VornickEscapedStyleElementText(text);

    auto style = firstStyleChildOfHead(*head);
    if (!style) {
        std::vector<VornickElementAttributeValue> values { VornickElementAttributeValue::element(nullptr, u"type", std::u16string(u"text/css")) };
        std::vector<std::shared_ptr<DOMNode>> children { document->createTextNode(text) };
        if (!insertHeadElementWithTagName(undoable, u"STYLE", values, children, head->childCount(), document))
            return false;
    } else {
        auto range = document->createRange();
        DOMNode* last = style->last();
        if (last && last->isTextNode()) {
            auto textNode = last->shared_from_this();
            range->setStart(textNode, last->length());
            range->setEnd(textNode, last->length());
        } else {
            range->setStart(style, style->childCount());
            range->setEnd(style, style->childCount());
        }
        // The replacement moves the target range into the head; the
        // selection in the body stays where it was.
        auto kept = context.effectiveOperationRange();
        kept = kept ? kept->cloneRange() : nullptr;
        if (!m_host->replaceRangeWithText(undoable, range, text))
            return false;
        if (kept)
            context.setTargetRange(kept);
        context.noteStyleSheetSetChangeInDocument(*document);
    }
    m_host->updateEffectiveOperationRangeIndicator();
    return true;
}

void VornickHeadElementsController::addNewStylesheetLinkHeadElement()
{
    auto& context = m_host->editingContext();
    auto frame = context.focusedWebFrame();
    auto document = frame ? frame->domDocument() : nullptr;
    auto delegate = VornickApplicationDelegate::shared();
    if (!document || !delegate)
        return;
    context.endTypingRun();
    auto references = vornick_styleSheetReferences(*document);
    std::optional<URL> initialFolder;
    if (!references.empty() && references.back()->kind() == VornickStyleSheetReferenceKind::LinkElement) {
        auto documentURL = vornick_URL(*document);
        if (auto sheetURL = URL::create(references.back()->relativeURLString(), documentURL ? &*documentURL : nullptr))
            initialFolder = sheetURL->URLByDeletingLastPathComponent();
    }
    if (!initialFolder)
        initialFolder = vornick_baseDirectoryURLForResourceFileResolution(*document);
    bool asAlternate = !references.empty();
    std::weak_ptr<DOMDocument> weakDocument = document;
    std::weak_ptr<int> alive = m_liveness;
    delegate->chooseFileOfAllowedTypes({ u"css" }, initialFolder, m_host->window(), std::u16string(u"Please choose a .css style sheet file."),
                                       [this, alive, weakDocument, asAlternate](std::shared_ptr<VornickEnduringFileReference> file) {
                                           if (!file)
                                               return;
                                           Error error;
                                           (void)file->resolveAndUse(
                                               [this, alive, weakDocument, asAlternate](const URL& url) {
                                                   auto document = weakDocument.lock();
                                                   if (!alive.expired() && document)
                                                       (void)addNewStylesheetWithURL(true, url, std::nullopt, asAlternate, false, document);
                                               },
                                               &error);
                                       });
}

bool VornickHeadElementsController::setPrimaryStylesheet(bool undoable, const std::shared_ptr<VornickStyleSheet>& styleSheet,
                                                         bool embedCopy, const std::shared_ptr<WebFrame>& webFrame)
{
    BREVANTON_ASSERT(webFrame, "Invalid parameter not satisfying: webFrame");
    auto& context = m_host->editingContext();
    context.endTypingRun();
    auto document = webFrame->domDocument();
    if (!document)
        return false;
    auto kept = context.effectiveOperationRange();
    kept = kept ? kept->cloneRange() : nullptr;
    auto restoreKept = [&context, &kept] {
        if (kept)
            context.setTargetRange(kept);
    };

    auto reference = vornick_primaryStyleSheetReference(*document);
    auto outer = reference ? reference->outerRangeInDocument(*document) : nullptr;
    if (outer) {
        auto head = vornick_headElement(*document);
        if (head && outer->startContainer() == head && outer->endContainer() == head
            && outer->endOffset() == outer->startOffset() + 1) {
            deleteHeadElementAtIndex(undoable, outer->startOffset(), document);
        } else {
            std::shared_ptr<DOMRange> result;
            if (!m_host->replaceRangeWithFragment(undoable, outer, document->createDocumentFragment(), &result)) {
                restoreKept();
                return false;
            }
            bool copyInStyle = reference->kind() == VornickStyleSheetReferenceKind::EmbeddedBundledStyleSheetCopy
                || reference->kind() == VornickStyleSheetReferenceKind::EmbeddedUserStyleSheetCopy;
            auto container = result ? result->commonAncestorContainer() : nullptr;
            if (container && container->isTextNode())
                container = container->parentNode();
            bool emptyStyleDeleted = false;
            if (copyInStyle && container && container->nodeType() == DOMNode::ELEMENT_NODE
                && asciiLowercase(downcast<DOMElement>(*container).tagName()) == u"style"
                && isHTMLWhitespaceOnly(container->textContent()) && container->parent() == head.get()) {
                deleteHeadElementAtIndex(undoable, container->index(), document);
                emptyStyleDeleted = true;
            }
            if (!emptyStyleDeleted)
                context.noteStyleSheetSetChangeInDocument(*document);
        }
    }

    if (styleSheet) {
        if (!addNewStylesheet(undoable, styleSheet, false, embedCopy, document)) {
            restoreKept();
            return false;
        }
    } else if (reference) {
        m_host->updateEffectiveOperationRangeIndicator();
    }
    if (undoable) {
        if (auto undo = context.undoManager())
            undo->setActionName(u"Change Primary Style Sheet");
    }
    restoreKept();
    return true;
}

} // namespace brevanton
