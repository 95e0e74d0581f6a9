// VornickWordPressContentResourceReferencePatcher: prepares a post's text for
// upload. In every image block it points the picture at the blog's media item
// that stands for it (by the block's "id", else the picture's address) and
// writes the item's identifier into the block's comment and the picture's
// "wp-image-" class. Edits go from the end of the text towards its start, so
// ranges found before stay valid. One patcher serves one text.
#pragma once

#include "platform/foundation/URL.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class VornickWordPressBlog;

class VornickWordPressContentResourceReferencePatcher {
public:
    VornickWordPressContentResourceReferencePatcher(std::shared_ptr<VornickWordPressBlog>, std::optional<URL> baseURL);
    ~VornickWordPressContentResourceReferencePatcher();

    // The patched text; the text itself when it holds no block; null when it
    // cannot be parsed.
    std::optional<std::u16string> patchReferencesInHTMLString(const std::u16string& htmlString);

private:
    std::shared_ptr<VornickWordPressBlog> m_blog;
    std::optional<URL> m_baseURL;
};

} // namespace brevanton
