#include "dom/VornickPasteboardCopies.h"

#include "dom/VornickNodeExtensions.h"
#include "dom/VornickNodeListExtensions.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/views/Pasteboard.h"
#include "platform/web/WebNodeArchives.h"
#include "platform/web/WebView.h"

namespace brevanton {

namespace {

std::shared_ptr<WebFrame> frameShowing(const DOMNode& node)
{
    auto* document = node.isDocumentNode() ? downcast<DOMDocument>(&node) : node.document();
    if (!document)
        return nullptr;
    auto webView = WebView::webViewForDocument(*document);
    return webView ? webView->frameForNode(node) : nullptr;
}

// Writes what there is; nothing is cleared when there is nothing to write, so
// a failed copy never empties the pasteboard.
bool replaceContents(Pasteboard& pasteboard, const std::shared_ptr<WebArchive>& archive,
                     const std::optional<std::u16string>& plainText, const std::optional<std::u16string>& customType)
{
    std::optional<Data> archiveData;
    if (archive)
        archiveData = archive->data();
    if (archiveData && archiveData->empty())
        archiveData.reset();
    if (!archiveData && !plainText)
        return false;
    pasteboard.clearContents();
    bool wroteArchive = archiveData && pasteboard.setData(std::move(*archiveData), WebArchivePboardType);
    if (plainText) {
        std::u16string_view type = customType && !customType->empty() ? std::u16string_view(*customType)
                                                                      : std::u16string_view(PasteboardTypeString);
        (void)pasteboard.setString(*plainText, type);
    }
    return wroteArchive;
}

} // namespace

bool vornick_copySubtreeReplacingContentsOfPasteboard(const DOMNode& node, Pasteboard& pasteboard, bool webArchive,
                                                      int plainTextRepresentationType,
                                                      const std::optional<std::u16string>& plainTextCustomUTI)
{
    std::shared_ptr<WebArchive> archive;
    if (webArchive) {
        if (auto frame = frameShowing(node))
            archive = webArchiveForNode(node, *frame);
    }
    return replaceContents(pasteboard, archive, vornick_plainTextRepresentationOfType(node, plainTextRepresentationType),
                           plainTextCustomUTI);
}

bool vornick_copyReplacingContentsOfPasteboard(const DOMNodeList& nodes, Pasteboard& pasteboard, bool webArchive,
                                               int plainTextRepresentationType,
                                               const std::optional<std::u16string>& plainTextCustomUTI,
                                               const DOMNode& parentNode)
{
    std::shared_ptr<WebArchive> archive;
    if (webArchive) {
        auto frame = frameShowing(parentNode);
        auto contents = frame ? vornick_innerRange(std::const_pointer_cast<DOMNode>(parentNode.shared_from_this())) : nullptr;
        if (contents)
            archive = webArchiveForRange(*contents, *frame);
    }
    return replaceContents(pasteboard, archive, vornick_plainTextRepresentationOfType(nodes, plainTextRepresentationType),
                           plainTextCustomUTI);
}

} // namespace brevanton
