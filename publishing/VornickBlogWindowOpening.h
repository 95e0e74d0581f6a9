// The blog window as the project editor's opener of "Blog" components: a
// WordPress blog opens in a VornickWordPressBlogEditor, any other published
// blog in a VornickPublishedBlogEditor, a blog of no account in a
// VornickBlogEditor. The editors stay open until their windows close.
#pragma once

namespace brevanton {

// Registers the opener, which serves every project editor.
void vornick_registerBlogWindowOpener();

} // namespace brevanton
