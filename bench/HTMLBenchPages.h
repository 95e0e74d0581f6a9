// The one generator of the benchmarks' HTML pages: a deterministic, blog-like
// page of about the size asked for. The head holds an inline script with "<"
// and ">" and a style sheet; the body a sidebar and posts with headings,
// paragraphs of words (accented ones, character references, links,
// emphasis, classes, inline styles), lists, tables, figures with srcset,
// preformatted code, comments, WordPress block comments and quotations,
// with quoted and unquoted attribute values.
#pragma once

#include <cstddef>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace brevanton {

struct BenchmarkPageOptions {
    // About this many bytes.
    size_t size { 1 << 20 };
    unsigned seed { 7 };
    // The text of the head's STYLE element.
    std::string styleSheet { "p { margin: 0 }" };
    // Half of them LINKs to "s0.css", "s1.css", ... in the head, the rest
    // IMGs of "i1.png", "i2.png", ... in the first paragraphs.
    int subresources { 0 };
};

inline std::string makeBenchmarkHTMLPage(const BenchmarkPageOptions& options)
{
    std::mt19937 random(options.seed);
    const char* const words[] = { "editor", "markup", "paragraph", "the", "a", "of", "caf\xC3\xA9", "blog", "entry",
                                  "publish", "draft", "table", "list", "image", "style", "and", "with", "na\xC3\xAFve",
                                  "&amp;", "&lt;tag&gt;", "&ldquo;quoted&rdquo;", "&#x1F600;" };
    auto word = [&] { return std::string(words[random() % std::size(words)]); };
    int images = options.subresources - options.subresources / 2;
    auto sentence = [&](std::string& out, int count) {
        for (int i = 0; i < count; ++i) {
            if (i)
                out += ' ';
            switch (random() % 16) {
            case 0:
                out += "<a href=\"https://example.com/" + std::to_string(random() % 1000) + "?q=1&amp;r=2\">" + word() + "</a>";
                break;
            case 1:
                out += "<em>" + word() + "</em>";
                break;
            case 2:
                out += "<strong class=k>" + word() + "</strong>";
                break;
            case 3:
                out += "<span class=\"note\">" + word() + "</span>";
                break;
            case 4:
                out += "<em style=\"display:block\">" + word() + "</em>";
                break;
            default:
                out += word();
            }
        }
        out += '.';
        if (images > 0) {
            out += "<img src=\"i" + std::to_string(images) + ".png\" width=20 height=20>";
            --images;
        }
    };

    std::string page = "<!DOCTYPE html>\n<html lang=en>\n<head>\n<meta charset=utf-8>\n"
                       "<title>Fish &amp; Chips &#8212; a review</title>\n";
    for (int i = 0; i < options.subresources / 2; ++i)
        page += "<link rel=stylesheet href=\"s" + std::to_string(i) + ".css\">\n";
    page += "<style>\n" + options.styleSheet + "\n</style>\n"
            "<script>\n  function less(a, b) { return a < b && b > 0; }\n</script>\n</head>\n"
            "<body class=\"post single\">\n<div id=sidebar><ul><li><a href=#>Home</a></li><li><a href='/about'>About</a></li></ul></div>\n";
    page.reserve(options.size + 4096);
    int section = 0;
    while (page.size() < options.size) {
        page += "<div class=\"post\" id=\"post-" + std::to_string(section++) + "\">\n<h2>";
        sentence(page, 4);
        page += "</h2>\n<p class=lead>";
        sentence(page, 20 + random() % 20);
        page += "</p>\n";
        for (int p = 0, n = 1 + random() % 3; p < n; ++p) {
            page += random() % 4 ? "<p>" : "<p data-kind=note>";
            sentence(page, 20 + random() % 40);
            page += "</p>\n";
        }
        switch (random() % 7) {
        case 0:
            page += "<ul>\n";
            for (int i = 0, n = 3 + random() % 5; i < n; ++i) {
                page += "  <li>";
                sentence(page, 6);
                page += "</li>\n";
            }
            page += "</ul>\n";
            break;
        case 1:
            page += "<table class=\"data\">\n<tr><th>Name</th><th>Value</th></tr>\n";
            for (int i = 0, n = 2 + random() % 6; i < n; ++i)
                page += "<tr><td>" + std::string(words[random() % 6]) + "</td><td>&pound;" + std::to_string(random() % 100000)
                    + "</td></tr>\n";
            page += "</table>\n";
            break;
        case 2:
            page += "<figure><img src=images/photo" + std::to_string(random() % 100)
                + ".jpg srcset=\"images/photo-2x.jpg 2x\" alt=\"A plate\" width=640 height=480>"
                  "<figcaption>caption &amp; credit</figcaption></figure>\n";
            break;
        case 3:
            page += "<pre><code>if (a &lt; b) {\n    run();\n}</code></pre>\n";
            break;
        case 4:
            page += "<!-- wp:paragraph {\"align\":\"center\"} -->\n<p style=\"text-align:center\">";
            sentence(page, 10);
            page += "</p>\n<!-- /wp:paragraph -->\n";
            break;
        default:
            page += "<!-- section break -->\n<blockquote><p>";
            sentence(page, 15);
            page += "</p></blockquote>\n";
            break;
        }
        page += "</div>\n";
    }
    page += "</body>\n</html>\n";
    return page;
}

inline std::string makeBenchmarkHTMLPage(size_t size)
{
    BenchmarkPageOptions options;
    options.size = size;
    return makeBenchmarkHTMLPage(options);
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
