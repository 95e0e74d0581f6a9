// The blog window as the project editor's opener of "Blog" components: a
// WordPress blog opens in a VornickWordPressBlogEditor, any other published
// blog in a VornickPublishedBlogEditor, a blog of no account in a
// VornickBlogEditor. The editors stay open until their windows close.
#pragma once

namespace brevanton {

class VornickProjectEditor;

// Registers the opener (for every project editor: the argument is the one
// the caller has at hand, and the opener serves all).
void vornick_registerBlogWindowOpener(VornickProjectEditor&);

} // namespace brevanton
