// The pasteboard types of the program's own objects. Web archives travel as
// WebArchivePboardType (platform/web/WebArchive.h); plain text, HTML and URLs
// under the interchange names of platform/views/Pasteboard.h.
#pragma once

namespace brevanton {

// A snippet, and a group of snippets, dragged or copied between snippet sets.
inline constexpr const char16_t* VornickSnippetPasteboardType = u"com.Orbendalworks.Brevanton.Snippet";
inline constexpr const char16_t* VornickSnippetGroupPasteboardType = u"com.Orbendalworks.Brevanton.SnippetGroup";

} // namespace brevanton
