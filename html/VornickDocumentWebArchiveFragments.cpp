#include "html/VornickDocumentWebArchiveFragments.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickWebArchiveExtensions.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/web/WebArchive.h"

namespace brevanton {

std::shared_ptr<DOMDocumentFragment> vornick_createCleanedUpDocumentFragmentWithWebArchiveData(DOMDocument& document,
                                                                                              const Data& webArchiveData)
{
    auto archive = WebArchive::create(webArchiveData);
    if (!archive || !archive->mainResource())
        return nullptr;
    auto& page = *archive->mainResource();
    if (!vornick_isHTML(page))
        return nullptr;
    auto html = vornick_stringValue(page);
    if (!html)
        return nullptr;
    if (auto tidied = VornickTidyFilter::tidyHTMLString(*html, true, nullptr, nullptr))
        html = std::move(tidied);
    auto documentURL = URL::create(document.URL());
    return vornick_createCleanedUpDocumentFragmentWithHTMLString(document, *html, documentURL ? &*documentURL : nullptr);
}

} // namespace brevanton
