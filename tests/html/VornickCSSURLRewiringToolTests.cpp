#include "html/VornickCSSScanner.h"
#include "html/VornickCSSURLRewiringTool.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct CSSRecorder : VornickCSSScannerDelegate {
    std::string tokens;
    void cssScannerScannedToken(VornickCSSScanner&, VornickCSSScannerToken token, std::u16string_view text, VornickRange) override
    {
        tokens += std::to_string(token) + ":" + toUTF8(text) + "|";
    }
};

std::string tokensOf(std::u16string_view css)
{
    CSSRecorder recorder;
    VornickCSSScanner scanner;
    scanner.setDelegate(&recorder);
    EXPECT_TRUE(scanner.parseCSSString(css));
    return recorder.tokens;
}

URL fileURL(const char* path) { return URL::fileURLWithPath(std::string_view(path), true); }

} // namespace

TEST(CSSScanner, TokenKinds)
{
    EXPECT_EQ(tokensOf(u"a { background: url( img/x.png ) } /* url(y) */ b"),
              "260:a { background: |259:url( img/x.png )|260: } |258:/* url(y) */|260: b|");
    EXPECT_EQ(tokensOf(u"a { b: URL(x) }"), "260:a { b: URL(x) }|");
    EXPECT_EQ(tokensOf(u"x /* open"), "260:x |258:/* open|");
    EXPECT_EQ(tokensOf(u"a{b:url('q.png')}"), "260:a{b:|259:url('q.png')|260:}|");
    // An unclosed reference or string is other text.
    EXPECT_EQ(tokensOf(u"a{b:url('q.png)}"), "260:a{b:url('q.png)}|");
    EXPECT_EQ(tokensOf(u"url(x"), "260:url(x|");
}

TEST(CSSURLRewiringTool, RewritesRelativeReferences)
{
    URL from = fileURL("/site/css/");
    URL to = fileURL("/site/");
    EXPECT_EQ(VornickCSSURLRewiringTool::rewireURLsInStyleSheetString(u"p { background: url(img/x.png) no-repeat; }", from, to),
              u"p { background: url(css/img/x.png) no-repeat; }");
    // Quoted arguments and imports keep their quotes; comments stay untouched.
    EXPECT_EQ(VornickCSSURLRewiringTool::rewireURLsInStyleSheetString(
                  u"@import \"base.css\";\n@import url('print.css') print;\n/* url(a.png) */ i { src: url(\"../f/a.woff\") }", from, to),
              u"@import \"css/base.css\";\n@import url('css/print.css') print;\n/* url(a.png) */ i { src: url(\"f/a.woff\") }");
    // Absolute references elsewhere stay as they are.
    std::u16string absolute = u"a { b: url(https://example.com/x.png) }";
    EXPECT_EQ(VornickCSSURLRewiringTool::rewireURLsInStyleSheetString(absolute, from, to), absolute);
}
