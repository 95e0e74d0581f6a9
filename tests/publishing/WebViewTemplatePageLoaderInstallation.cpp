// The programs fetch templates through drafts in a web view: so do the tests
// built with this file.
#include "publishing/VornickWebViewTemplatePageLoader.h"

namespace {

const bool webViewTemplatePageLoaderInstalled = [] {
    brevanton::VornickWebViewTemplatePageLoader::install();
    return true;
}();

} // namespace
