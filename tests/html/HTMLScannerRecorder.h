// A scanner delegate that writes down every event as one line of text, for
// comparing token streams in tests.
#pragma once

#include "html/VornickHTMLScanner.h"
#include "platform/foundation/Text.h"

#include <string>
#include <vector>

namespace brevanton {

class HTMLScannerRecorder : public VornickHTMLScannerDelegate {
public:
    std::vector<std::string> events;
    std::vector<VornickValidationAdvisory> advisories;
    std::string tokens; // "code:text|" for every token
    std::u16string concatenated; // every token's text, in order

    void htmlScannerBeginParsingAt(VornickHTMLScanner&, size_t o) override { add("begin", o); }
    void htmlScannerEndParsingAt(VornickHTMLScanner&, size_t o) override { add("end", o); }
    void htmlScannerBeginDOCTYPEAt(VornickHTMLScanner&, size_t o) override { add("beginDOCTYPE", o); }
    void htmlScannerEndDOCTYPEAt(VornickHTMLScanner&, size_t o) override { add("endDOCTYPE", o); }
    void htmlScannerBeginXMLHeaderAt(VornickHTMLScanner&, size_t o) override { add("beginXML", o); }
    void htmlScannerEndXMLHeaderAt(VornickHTMLScanner&, size_t o) override { add("endXML", o); }
    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t o, std::u16string_view t) override { add("beginElement " + toUTF8(t), o); }
    void htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t o, std::u16string_view t, size_t s) override
    {
        add("endOpenTag " + toUTF8(t) + " from " + std::to_string(s), o);
    }
    void htmlScannerEndElementCloseTagAt(VornickHTMLScanner&, size_t o, std::u16string_view t, size_t s) override
    {
        add("endCloseTag " + toUTF8(t) + " from " + std::to_string(s), o);
    }
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t o, std::u16string_view t) override { add("endElement " + toUTF8(t), o); }
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken token, std::u16string_view s, VornickRange r,
                                 const std::u16string* value) override
    {
        std::string line = std::to_string(token) + " \"" + toUTF8(s) + "\" " + std::to_string(r.location) + "+" + std::to_string(r.length);
        if (value)
            line += " = " + toUTF8(*value);
        events.push_back(line);
        tokens += std::to_string(token) + ":" + toUTF8(s) + "|";
        concatenated += s;
    }
    void htmlScannerValidationAdvisory(VornickHTMLScanner&, const VornickValidationAdvisory& advisory) override
    {
        advisories.push_back(advisory);
        events.push_back("advisory " + toUTF8(advisory.message()));
    }

    std::vector<std::string> tokenTexts(VornickHTMLScannerToken token) const
    {
        std::vector<std::string> result;
        size_t start = 0;
        std::string prefix = std::to_string(token) + ":";
        while (start < tokens.size()) {
            size_t end = tokens.find('|', start);
            std::string item = tokens.substr(start, end - start);
            if (item.rfind(prefix, 0) == 0)
                result.push_back(item.substr(prefix.size()));
            start = end + 1;
        }
        return result;
    }

private:
    void add(const std::string& name, size_t offset) { events.push_back(name + " @" + std::to_string(offset)); }
};

} // namespace brevanton
