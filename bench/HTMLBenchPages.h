// Large, deterministic HTML pages for the HTML benchmarks: a blog-like page
// with inline script and style, unquoted attributes, references, comments
// and tables, repeated up to the size asked for.
#pragma once

#include <string>
#include <string_view>

namespace brevanton {

inline std::string makeBenchmarkHTMLPage(size_t size)
{
    static const char* const head =
        "<!DOCTYPE html>\n<html lang=en>\n<head>\n<meta charset=utf-8>\n<title>Fish &amp; Chips &#8212; a review</title>\n"
        "<style>\n  nav > ul li + li::before { content: \"\\2022\"; }\n</style>\n"
        "<script>\n  function less(a, b) { return a < b && b > 0; }\n</script>\n</head>\n<body class=\"post single\">\n";
    static const char* const section =
        "<article class=post id=post-7>\n<h2>Fish &amp; Chips: &ldquo;the&nbsp;best&rdquo; in town?</h2>\n"
        "<p>Posted on <time datetime=2024-05-01>1 May</time> by <a href=\"mailto:me@example.com\">me</a>.</p>\n"
        "<p>Lorem ipsum dolor sit amet, <em>consectetur</em> adipiscing elit &copy; 2024, 3 &lt; 4 and &#x1F600; smiles. "
        "Sed do eiusmod tempor incididunt ut labore et dolore magna aliqua.</p>\n"
        "<figure><img src=images/chips.jpg srcset=\"images/chips-2x.jpg 2x\" alt=\"A plate\" width=640 height=480>"
        "<figcaption>Golden.</figcaption></figure>\n<!-- wp:paragraph {\"align\":\"center\"} -->\n"
        "<p style=\"text-align:center\">Centered <em>text</em> <b>bold <i>and italic</i></b>.</p>\n<!-- /wp:paragraph -->\n"
        "<table class=prices><tbody><tr><td>Cod</td><td>&pound;9</td></tr><tr><td>Peas</td><td>&pound;2</td></tr></tbody></table>\n"
        "<ul><li><a href=\"/a.html\">One</a></li><li><a href='/b.html' title=B>Two</a></li></ul>\n</article>\n";
    std::string page = head;
    page.reserve(size + 2048);
    while (page.size() < size)
        page += section;
    page += "</body>\n</html>\n";
    return page;
}

} // namespace brevanton

namespace brevanton {

// Pathological pages, as hostile or broken files hold them.

// `piece` `count` times: "<div>x" nests, "<b>x" piles up formatting elements.
inline std::string makeRepeatedPiecePage(std::string_view piece, size_t count)
{
    std::string page;
    page.reserve(piece.size() * count);
    for (size_t i = 0; i < count; ++i)
        page += piece;
    return page;
}

// `depth` nested elements, closed again.
inline std::string makeNestedElementsPage(size_t depth)
{
    return makeRepeatedPiecePage("<span>", depth) + "x" + makeRepeatedPiecePage("</span>", depth);
}

// One element with `count` distinct attributes.
inline std::string makeManyAttributesPage(size_t count)
{
    std::string page = "<!DOCTYPE html><p";
    for (size_t i = 0; i < count; ++i)
        page += " data-a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    page += ">x</p>";
    return page;
}

// XHTML with `declared` entities in its internal subset and `references`
// references to HTML named characters it does not declare.
inline std::string makeUndeclaredEntitiesXHTMLPage(size_t references, size_t declared)
{
    static const char* const names[] = { "nbsp", "eacute", "mdash", "copy", "hellip", "laquo", "raquo", "euro" };
    std::string page = "<?xml version=\"1.0\"?>\n<!DOCTYPE html [\n";
    for (size_t i = 0; i < declared; ++i)
        page += "<!ENTITY e" + std::to_string(i) + " \"" + std::to_string(i) + "\">\n";
    page += "]>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>";
    for (size_t i = 0; i < references; ++i) {
        page += '&';
        page += names[i % std::size(names)];
        page += i % 16 ? ";" : ";</p>\n<p>";
    }
    page += "</p></body></html>\n";
    return page;
}

} // namespace brevanton
