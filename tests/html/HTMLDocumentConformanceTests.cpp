// Small hand-written documents checked against the specifications: every
// element's children, required attributes and attribute values.
#include "html/VornickHTMLAttributeValidator.h"
#include "html/VornickHTMLSpec.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

// Every problem the specification finds in the document, one line each.
std::vector<std::string> problems(const VornickHTMLSpec& spec, const DOMDocument& document)
{
    std::vector<std::string> found;
    for (DOMNode* node = document.first(); node; node = node->traverseNext()) {
        if (!node->isElementNode())
            continue;
        auto& element = downcast<DOMElement>(*node);
        std::u16string tag = asciiLowercase(element.tagName());
        auto elementSpec = spec.elementSpecForTagName(tag);
        if (!elementSpec) {
            found.push_back("unknown element <" + toUTF8(tag) + ">");
            continue;
        }
        DOMNode* parent = element.parent();
        if (parent && parent->isElementNode()) {
            std::u16string reason;
            std::u16string parentTag = asciiLowercase(downcast<DOMElement>(parent)->tagName());
            if (!spec.elementKindMayContainElementKind(parentTag, tag, &reason))
                found.push_back(toUTF8(reason));
        }
        for (auto& required : elementSpec->requiredAttributeNamesArray()) {
            if (!element.hasAttribute(required))
                found.push_back("<" + toUTF8(tag) + "> lacks " + toUTF8(required));
        }
        for (auto& attribute : element.attributeList()) {
            auto validator = VornickHTMLAttributeValidator::attributeValidatorForAttributeName(attribute.name, *elementSpec);
            validator->validateValueString(attribute.value, attribute.name, &element, elementSpec.get(),
                                           [&](VornickAttributeValidationOutcome outcome, const std::u16string& message) {
                if (outcome != VornickAttributeValidationOutcome::Valid)
                    found.push_back("<" + toUTF8(tag) + " " + toUTF8(attribute.name) + "> " + toUTF8(message));
            });
        }
    }
    return found;
}

TEST(HTMLDocumentConformance, AValidHTML5DocumentPasses)
{
    auto spec = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
    auto document = DOMDocument::parseHTML(std::u16string_view(uR"(<!DOCTYPE html>
<html lang="en-GB"><head><meta charset="utf-8"><title>Notes</title>
<link rel="stylesheet" href="https://example.org/site.css"><style>p { margin: 0 }</style></head>
<body>
<header><nav aria-label="Main"><ul><li><a href="https://example.org/" target="_self">Home</a></li></ul></nav></header>
<main id="content">
<article><h1>Title</h1><p>Some <em>text</em>, <abbr title="HyperText">HTML</abbr> and <time datetime="2024-01-01">a date</time>.</p>
<figure><picture><source srcset="a.webp" type="image/webp"><img src="https://example.org/a.png" alt="A" width="10" height="10"></picture>
<figcaption>A figure</figcaption></figure>
<table><caption>Data</caption><thead><tr><th scope="col" colspan="2">H</th></tr></thead>
<tbody><tr><td rowspan="1">1</td><td headers="x">2</td></tr></tbody></table>
<details open><summary>More</summary><p>Hidden</p></details>
<dl><div><dt>Term</dt><dd>Definition</dd></div></dl>
<form action="https://example.org/send" method="post"><fieldset><legend>Who</legend>
<label for="name">Name</label><input id="name" name="name" type="text" required list="names">
<datalist id="names"><option value="Ann"></option></datalist>
<select name="choice"><optgroup label="G"><option selected>One</option></optgroup></select>
<textarea name="t" rows="3" cols="20" wrap="soft"></textarea>
<button type="submit" role="button">Send</button></fieldset></form>
<iframe src="https://example.org/frame" sandbox="allow-forms  allow-scripts" title="frame"></iframe>
<ol reversed start="3" type="i"><li>x</li></ol>
<video controls poster="https://example.org/p.png"><source src="https://example.org/v.mp4" type="video/mp4"><track src="https://example.org/t.vtt" srclang="en" kind="captions"></video>
</article></main>
<footer><p>&copy; <span translate="no" dir="auto" data-year="2024">2024</span></p></footer>
<template><p>later</p></template>
</body></html>)"));
    ASSERT_TRUE(spec && document);
    EXPECT_EQ(problems(*spec, *document), std::vector<std::string> {});
}

TEST(HTMLDocumentConformance, AValidHTML401DocumentPasses)
{
    auto spec = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML401Strict);
    auto document = DOMDocument::parseHTML(std::u16string_view(uR"(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN" "http://www.w3.org/TR/html4/strict.dtd">
<html lang="en"><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8"><title>Old</title>
<style type="text/css">p { margin: 0 }</style><script type="text/javascript"></script></head>
<body>
<h1>Title</h1>
<div class="page"><h1>Heading</h1>
<p>Text with <acronym title="World Wide Web">WWW</acronym>, <a href="https://example.org/" hreflang="en" charset="utf-8">a link</a> and <img src="https://example.org/i.gif" alt="icon" ismap>.</p>
<ul><li>one</li><li><p>two</p></li></ul>
<dl><dt>Term</dt><dd><p>Definition</p></dd></dl>
<table summary="numbers" border="1" cellpadding="2"><caption>Numbers</caption><colgroup span="2"><col width="10"></colgroup>
<thead><tr><th abbr="n" scope="col">N</th></tr></thead><tbody><tr><td colspan="1" align="char">1</td></tr></tbody></table>
<form action="https://example.org/send" method="get"><fieldset><legend>Input</legend>
<label for="f">F</label><input id="f" type="checkbox" checked="checked" name="f">
<select name="s" size="2"><optgroup label="g"><option value="1" selected>One</option></optgroup></select>
<textarea name="t" rows="2" cols="10"></textarea><button type="reset">Reset</button></fieldset></form>
<blockquote cite="https://example.org/quote"><h2>Quote</h2><p>Quoted</p></blockquote>
<address>Someone</address><pre>code</pre><hr></div>
<div><map name="m" id="m"><area shape="rect" coords="0,0,1,1" href="https://example.org/" alt="area"></map>
<object data="https://example.org/movie" type="video/mp4"><param name="autoplay" value="false"></object></div>
</body></html>)"));
    ASSERT_TRUE(spec && document);
    EXPECT_EQ(problems(*spec, *document), std::vector<std::string> {});
}

TEST(HTMLDocumentConformance, AValidXHTML10StrictDocumentPasses)
{
    auto spec = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::XHTML10Strict);
    auto document = DOMDocument::parseHTML(std::u16string_view(uR"(<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Strict//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd">
<html xmlns="http://www.w3.org/1999/xhtml" xml:lang="en" lang="en"><head><title>X</title>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8" /><style type="text/css">p { margin: 0 }</style></head>
<body>
<h1>Heading with <em>emphasis</em></h1>
<p>A <a href="https://example.org/">link</a>, <span class="x">span</span>, <code>code</code>, <br /><img src="https://example.org/i.png" alt="i" /></p>
<h2 id="second"><a href="https://example.org/" title="t">Linked heading</a></h2>
<ul><li><h3>In a list</h3><p>Para</p></li></ul>
<table summary="s"><tbody><tr><th>h</th><td><div>cell</div></td></tr></tbody></table>
<form action="https://example.org/send" method="post"><div><textarea name="t" rows="2" cols="10"></textarea></div></form>
<div><map id="m"><p><a href="https://example.org/">area link</a></p></map></div>
</body></html>)"));
    ASSERT_TRUE(spec && document);
    EXPECT_EQ(problems(*spec, *document), std::vector<std::string> {});
}

TEST(HTMLDocumentConformance, ProblemsOfInvalidDocumentsAreFound)
{
    auto strict = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML401Strict);
    auto document = DOMDocument::parseHTML(std::u16string_view(
        u"<body><p>x <font size=\"2\">y</font> <img src=\"https://example.org/a.png\"></p>"
        u"<ol start=\"x\"><li>a</li></ol><p><span lang=\"toolongtag\">z</span></p><div align=\"left\">d</div></body>"));
    EXPECT_EQ(problems(*strict, *document), (std::vector<std::string> {
        "unknown element <font>",
        "<img> lacks alt",
        "<ol start> Unknown attribute. <ol> elements don't have a \"start\" attribute, according to the spec.",
        "<span lang> Value doesn't appear to be a valid BCP-47 Language Tag.",
        "<div align> Unknown attribute. <div> elements don't have a \"align\" attribute, according to the spec.",
    }));

    // Strict bodies take blocks (and scripts) only.
    EXPECT_FALSE(strict->elementKindMayContainElementKind(u"body", u"img", nullptr));
    EXPECT_TRUE(strict->elementKindMayContainElementKind(u"body", u"script", nullptr));
    auto transitional = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML401Transitional);
    EXPECT_TRUE(transitional->elementKindMayContainElementKind(u"body", u"img", nullptr));
    EXPECT_TRUE(transitional->elementKindMayContainElementKind(u"p", u"font", nullptr));
    EXPECT_TRUE(transitional->elementSpecForTagName(u"ol")->attributeSpecForAttributeName(u"start"));

    auto html5 = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
    document = DOMDocument::parseHTML(std::u16string_view(
        u"<body><input type=\"colour\" id=\"a\"><input id=\"a\" list=\"none\"><ol type=\"x\"><li>1</li></ol>"
        u"<a href=\"https://example.org/\" target=\"_new\">x</a><optgroup></optgroup>"
        u"<span><div>block in phrase</div></span><data>7</data><meter>half</meter></body>"));
    EXPECT_EQ(problems(*html5, *document), (std::vector<std::string> {
        "<input type> Value must be one of: (empty string), hidden, text, search, tel, url, email, password, datetime, date, month, week, time, "
        "datetime-local, number, range, color, checkbox, radio, file, submit, image, reset, button",
        "<input id> 1 other element has the same 'id'.",
        "<input id> 1 other element has the same 'id'.",
        "<input list> No <datalist> element with id=\"none\" found in document.",
        "<ol type> \"type\" must be one of: 1, a, A, i, I",
        "<a target> Value must be one of \"_blank\", \"_self\", \"_parent\", or \"_top\", or a valid browsing context name "
        "(1 or more characters, starting with something other than an '_' character).",
        "<body>'s contentModel is 0x1, but child <optgroup>'s kind is 0x0",
        "<optgroup> lacks label",
        "<span>'s contentModel is 0x3, but child <div>'s kind is 0x1",
        "<data> lacks value",
        "<meter> lacks value",
    }));

    // Strict XHTML: no inline content directly in the body, no blocks in a paragraph.
    auto xhtml = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::XHTML10Strict);
    document = DOMDocument::parseHTML(std::u16string_view(
        u"<body><em>loose</em><h1><span><div>d</div></span></h1><p><map id=\"m\"><span>s</span></map></p></body>"));
    EXPECT_EQ(problems(*xhtml, *document), (std::vector<std::string> {
        "<body>'s contentModel is 0x800001, but child <em>'s kind is 0x100100801",
        "<span>'s contentModel is 0x100000801, but child <div>'s kind is 0x800001",
        "<map>'s contentModel is 0x800001, but child <span>'s kind is 0x100000801",
    }));
}

} // namespace
} // namespace brevanton
