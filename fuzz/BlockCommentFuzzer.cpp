// WordPress block comments: the input is a post body (UTF-8). The tree
// recognizer and the detector must not fail on it; every opening comment's
// metadata, once written back, must read again as the same type and
// properties, and its JSON must never close the comment early. The block
// walk over the body parsed as a page must not fail either, and hands over
// only children of the node it walks, each comment of a block once.
#include "html/VornickScannedHTMLPart.h"
#include "html/VornickWordPressBlockDetector.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "html/VornickWordPressBlockModeHelper.h"
#include "html/VornickWordPressHTMLTreeRecognizer.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <set>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace brevanton;

namespace {

class MetadataRoundTrip : public VornickHTMLTreeRecognizerDelegate {
public:
    explicit MetadataRoundTrip(std::u16string_view source) : m_source(source) {}

    void htmlTreeRecognizerDidPushPart(VornickHTMLTreeRecognizer&, const std::shared_ptr<VornickScannedHTMLPart>& part) override
    {
        auto* comment = dynamic_cast<VornickScannedHTMLBlockStartComment*>(part.get());
        if (!comment)
            return;
        auto range = comment->range();
        if (range.location + range.length > m_source.size() || range.length < 7)
            std::abort();
        auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(m_source.substr(range.location + 4, range.length - 7));
        if (!metadata)
            return;
        auto written = metadata->encodedAsCommentText();
        auto json = std::u16string_view(written).substr(metadata->typeName().size() + 1);
        if (json.find(u"--") != std::u16string_view::npos || json.find(u'>') != std::u16string_view::npos)
            std::abort();
        auto reread = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(written);
        if (!reread || reread->typeName() != metadata->typeName())
            std::abort();
        // Empty strings are left out when written; everything else survives.
        if (reread->properties() && metadata->properties()) {
            for (const auto& [key, value] : *reread->properties()) {
                auto found = metadata->properties()->find(key);
                if (found == metadata->properties()->end() || !(found->second == value))
                    std::abort();
            }
        }
    }

private:
    std::u16string_view m_source;
};

void checkBlockWalk(const VornickBlockModeHelper& helper, const DOMNode& node, unsigned depth)
{
    std::set<const DOMNode*> handedOver;
    helper.enumerateChildBlocksOfNode(node, 0, [&](const VornickExactSelection& selection, const std::optional<Error>&, bool&) {
        const DOMNode* parts[] = { selection.blockStartComment().get(), selection.element().get(), selection.blockInteriorComment().get(),
                                   selection.blockEndComment().get() };
        for (const DOMNode* part : parts) {
            if (!part)
                continue;
            if (part->parent() != &node)
                std::abort();
            // A comment belongs to one block only.
            if (part->nodeType() == DOMNode::COMMENT_NODE && !handedOver.insert(part).second)
                std::abort();
        }
    });
    if (depth > 200)
        return;
    for (DOMNode* child = node.first(); child; child = child->next()) {
        if (child->isElementNode())
            checkBlockWalk(helper, *child, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto source = toUTF16(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)VornickWordPressBlockDetector::htmlStringContainsWordPressBlocksInString(source);
    VornickWordPressHTMLTreeRecognizer recognizer;
    MetadataRoundTrip roundTrip(source);
    recognizer.setDelegate(&roundTrip);
    (void)recognizer.parseHTMLString(source);

    static VornickWordPressBlockModeHelper& helper = [] () -> VornickWordPressBlockModeHelper& {
        static VornickWordPressBlockModeHelper made;
        made.setOperatingInBlockMode(true);
        return made;
    }();
    if (auto document = DOMDocument::parseHTML(u"<html><body>" + source + u"</body></html>"); document && document->body())
        checkBlockWalk(helper, *document->body(), 0);
    return 0;
}
