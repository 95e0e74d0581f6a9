// VornickWordPressContentResourceReferencePatcher: prepares a post's text for
// upload. In every image block it points the picture at the blog's media item
// that stands for it (by the block's "id", else the picture's address) and
// writes the item's identifier into the block's comment (as a decimal
// integer) and the picture's "wp-image-" class, adding the class when the
// picture has none. Nothing else of the text changes: edits are gathered
// first and applied in one pass from the start, so ranges found while
// parsing stay valid however blocks nest. New values are escaped for the
// quotes they stand between.
#pragma once

#include "html/VornickHTMLTreeRecognizer.h"
#include "platform/foundation/URL.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace brevanton {

class ManagedObject;
class VornickScannedHTMLAttributeAssignment;
class VornickScannedHTMLBlockStartComment;
class VornickScannedHTMLElementStartTag;
class VornickWordPressBlog;

class VornickWordPressContentResourceReferencePatcher : public VornickHTMLTreeRecognizerDelegate {
public:
    VornickWordPressContentResourceReferencePatcher(std::shared_ptr<VornickWordPressBlog>, std::optional<URL> baseURL);
    ~VornickWordPressContentResourceReferencePatcher() override;

    // The patched text; the text itself when it holds no block; null when it
    // cannot be parsed.
    std::optional<std::u16string> patchReferencesInHTMLString(const std::u16string& htmlString);

    void htmlTreeRecognizerWillPopPart(VornickHTMLTreeRecognizer&, const std::shared_ptr<VornickScannedHTMLPart>&) override;

private:
    // One replacement of a range of the original text (an insertion when the range is empty).
    struct Edit {
        VornickRange range;
        std::u16string replacement;
    };

    void patchReferencesInWordPressBlock(const VornickScannedHTMLBlockStartComment&, std::u16string_view string, std::vector<Edit>&);
    void patchReferencesInWordPressImageBlock(const VornickScannedHTMLBlockStartComment&, std::u16string_view string, std::vector<Edit>&);
    // The media item of the blog for the block's "id" or the picture's address (as written, else resolved).
    std::shared_ptr<ManagedObject> mediaItemForImage(const std::optional<std::u16string>& blockIdentifier,
                                                     const std::optional<std::u16string>& source);
    // Looks the blog's items up once a text, by identifier and local address.
    void indexMediaItems();
    // The class value with every name starting with `prefix` dropped and `className` added last.
    static std::u16string replaceClassNamesWithPrefix(std::u16string_view prefix, const VornickScannedHTMLAttributeAssignment& classAssignment,
                                                      std::u16string_view className);
    // The edit writing `value` (escaped) as the assignment's value, between the quote it was written with.
    static Edit setStringValue(std::u16string_view value, const VornickScannedHTMLAttributeAssignment&, bool valueIsMarkup);

    std::shared_ptr<VornickWordPressBlog> m_blog;
    std::optional<URL> m_baseURL;
    // The block start comments met while parsing, in the order they were closed.
    std::vector<std::shared_ptr<VornickScannedHTMLBlockStartComment>> m_blockStartComments;
    bool m_indexedMediaItems { false };
    std::unordered_map<std::u16string, std::shared_ptr<ManagedObject>> m_mediaItemsByIdentifier;
    std::unordered_map<std::u16string, std::shared_ptr<ManagedObject>> m_mediaItemsByLocalURLString;
    // The media folder's path, ending in "/".
    std::optional<std::string> m_mediaFolderPath;
};

} // namespace brevanton
