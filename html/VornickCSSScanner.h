// VornickCSSScanner: a minimal one-pass tokenizer of style sheet text that
// knows comments, url(...) references and everything else.
#pragma once

#include "toolkit/VornickRange.h"

#include <string>
#include <string_view>

namespace brevanton {

class VornickCSSScanner;

using VornickCSSScannerToken = int32_t;

enum : VornickCSSScannerToken {
    VornickCSSScannerTokenComment = 258,
    VornickCSSScannerTokenURI = 259,
    VornickCSSScannerTokenOther = 260,
};

class VornickCSSScannerDelegate {
public:
    virtual ~VornickCSSScannerDelegate() = default;
    virtual void cssScannerBeginParsingAt(VornickCSSScanner&, size_t) {}
    // The text is a view of the scanned string, valid during the call.
    virtual void cssScannerScannedToken(VornickCSSScanner&, VornickCSSScannerToken, std::u16string_view, VornickRange) {}
    virtual void cssScannerEndParsingAt(VornickCSSScanner&, size_t) {}
};

class VornickCSSScanner {
public:
    VornickCSSScannerDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickCSSScannerDelegate* delegate) { m_delegate = delegate; }

    bool parseCSSString(std::u16string_view);

    void beginParsingCSSString(std::u16string_view);
    void parseDocument();
    // Each answers the end of what it matched, or its start when nothing matched.
    size_t scanComment(size_t at) const;
    // A quoted string from its opening quote through the closing one.
    size_t scanString(size_t at) const;
    size_t scanURI(size_t at) const;
    size_t skipWhitespace(size_t at) const;
    void endParsing();

private:
    void report(VornickCSSScannerToken, size_t start, size_t end);

    VornickCSSScannerDelegate* m_delegate { nullptr };
    std::u16string_view m_buffer;
    size_t m_next { 0 };
    size_t m_end { 0 };
};

} // namespace brevanton
