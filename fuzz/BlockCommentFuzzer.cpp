// WordPress block comments: the input is a post body (UTF-8). The tree
// recognizer and the detector must not fail on it; every opening comment's
// metadata, once written back, must read again as the same type and
// properties, and its JSON must never close the comment early. Parsed into a
// document, the body's blocks at every depth are enumerated and checked: a
// block reported sound has a start comment, and an end comment naming its type
// unless it is self-closing.
#include "html/VornickScannedHTMLPart.h"
#include "html/VornickWordPressBlockModeHelper.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "html/VornickWordPressBlockDetector.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "html/VornickWordPressHTMLTreeRecognizer.h"
#include "platform/foundation/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto source = toUTF16(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)VornickWordPressBlockDetector::htmlStringContainsWordPressBlocksInString(source);
    VornickWordPressHTMLTreeRecognizer recognizer;
    MetadataRoundTrip roundTrip(source);
    recognizer.setDelegate(&roundTrip);
    (void)recognizer.parseHTMLString(source);

    auto document = DOMDocument::parseHTML(u"<html><body>" + source + u"</body></html>");
    if (!document || !document->body())
        return 0;
    VornickWordPressBlockModeHelper helper;
    helper.setOperatingInBlockMode(true);
    std::function<void(const DOMNode&, int)> enumerate = [&](const DOMNode& node, int depth) {
        helper.enumerateChildBlocksOfNode(node, 0, [&](const VornickExactSelection& block, const std::optional<Error>& error, bool&) {
            if (error)
                return;
            if (!block.blockStartComment())
                std::abort();
            auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(block.blockStartComment()->data());
            if (block.blockEndComment()) {
                if (!metadata)
                    std::abort();
                std::u16string end = block.blockEndComment()->data();
                if (end.find(u"/" + metadata->typeName()) == std::u16string::npos)
                    std::abort();
            }
            if (block.element() && depth < 64)
                enumerate(*block.element(), depth + 1);
        });
    };
    enumerate(*document->body(), 0);
    return 0;
}
