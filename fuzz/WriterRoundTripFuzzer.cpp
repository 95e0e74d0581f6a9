// Parse, write through the HTML writer, parse the written page again and
// write it once more: no step may fail on what the one before produced.
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMDocument.h"
#include "toolkit/VornickNewlineConvention.h"

#include <cstddef>
#include <cstdint>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool installed = (VornickInstallHTMLServices(), true);
    (void)installed;
    static VornickHTMLWriter writer(VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences(), 0,
                                    VornickNewlineConvention::LF);
    auto document = DOMDocument::parseHTML(std::string_view(reinterpret_cast<const char*>(data), size), "UTF-8");
    auto written = writer.htmlStringFromDocument(*document);
    auto reparsed = DOMDocument::parseHTML(std::u16string_view(written));
    writer.htmlStringFromDocument(*reparsed);
    return 0;
}
