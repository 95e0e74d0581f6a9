#include "platform/css/CSSUserAgentStyleSheet.h"

namespace brevanton {

namespace {

constexpr std::u16string_view Text = uR"css(
html, address, blockquote, body, center, dialog, div, figure, figcaption, footer, form, header, hr,
legend, listing, main, p, plaintext, pre, search, xmp, article, aside, h1, h2, h3, h4, h5, h6, hgroup,
nav, section, dir, dd, dl, dt, menu, ol, ul, fieldset, details, frameset, frame, optgroup, option,
datagrid { display: block }

[hidden], area, base, basefont, datalist, head, link, meta, noembed, noframes, param, rp, script, style,
template, title { display: none }
embed[hidden] { display: inline; height: 0; width: 0 }
input[type=hidden i] { display: none !important }
audio { display: none }
audio[controls] { display: inline }

li { display: list-item }
summary { display: block }
details > summary { display: list-item }
table { display: table; border-collapse: separate; border-spacing: 2px; box-sizing: border-box; text-indent: 0 }
caption { display: table-caption; text-align: center }
colgroup, colgroup[hidden] { display: table-column-group }
col, col[hidden] { display: table-column }
thead, thead[hidden] { display: table-header-group }
tbody, tbody[hidden] { display: table-row-group }
tfoot, tfoot[hidden] { display: table-footer-group }
tr, tr[hidden] { display: table-row }
thead, tbody, tfoot { vertical-align: middle }
tr { vertical-align: inherit }
td, th { display: table-cell; vertical-align: inherit; padding: 1px }
th { font-weight: bold; text-align: -webkit-center }
ruby { display: ruby }
rt { display: ruby-text; font-size: 50% }
input, button, select, textarea, meter, progress, marquee, keygen { display: inline-block }
dialog { display: none; position: absolute; margin: auto; border: solid; padding: 1em;
         background-color: white; color: black }
dialog[open] { display: block }
slot { display: contents }

body { margin: 8px }
p { margin-top: 1em; margin-bottom: 1em }
blockquote, figure { margin: 1em 40px }
address, cite, dfn, em, i, var { font-style: italic }
b, strong { font-weight: bold }
h1 { font-size: 2em; margin-top: 0.67em; margin-bottom: 0.67em; font-weight: bold }
h2 { font-size: 1.5em; margin-top: 0.83em; margin-bottom: 0.83em; font-weight: bold }
h3 { font-size: 1.17em; margin-top: 1em; margin-bottom: 1em; font-weight: bold }
h4 { margin-top: 1.33em; margin-bottom: 1.33em; font-weight: bold }
h5 { font-size: 0.83em; margin-top: 1.67em; margin-bottom: 1.67em; font-weight: bold }
h6 { font-size: 0.67em; margin-top: 2.33em; margin-bottom: 2.33em; font-weight: bold }
article h1, aside h1, nav h1, section h1 { font-size: 1.5em; margin-top: 0.83em; margin-bottom: 0.83em }

ul, menu, dir { list-style-type: disc; margin-top: 1em; margin-bottom: 1em; padding-left: 40px }
ol { list-style-type: decimal; margin-top: 1em; margin-bottom: 1em; padding-left: 40px }
ul ul, ol ul, menu ul, dir ul, ul menu, ol menu, ul dir, ol dir { list-style-type: circle }
ul ul ul, ul ol ul, ol ul ul, ol ol ul, ul menu ul, ul dir ul { list-style-type: square }
ul ul, ul ol, ol ol, ol ul, ul menu, ul dir, menu ul, dir ul, menu ol, dir ol { margin-top: 0; margin-bottom: 0 }
dl { margin-top: 1em; margin-bottom: 1em }
dd { margin-left: 40px }
details > summary { list-style-type: disclosure-closed; list-style-position: inside }
details[open] > summary { list-style-type: disclosure-open }

pre, xmp, plaintext, listing { font-family: monospace; white-space: pre; margin-top: 1em; margin-bottom: 1em }
code, kbd, samp, tt { font-family: monospace }
pre[wrap] { white-space: pre-wrap }
textarea { font-family: monospace; white-space: pre-wrap }
nobr { white-space: nowrap }
center { text-align: center }
big { font-size: larger }
small { font-size: smaller }
sub { vertical-align: sub; font-size: smaller }
sup { vertical-align: super; font-size: smaller }
u, ins { text-decoration: underline }
s, strike, del { text-decoration: line-through }
a[href] { color: #0000EE; text-decoration: underline; cursor: pointer }
mark { background-color: yellow; color: black }
abbr[title], acronym[title] { text-decoration: underline }
hr { margin-top: 0.5em; margin-bottom: 0.5em; margin-left: auto; margin-right: auto;
     border-style: inset; border-width: 1px; color: gray }
fieldset { margin-left: 2px; margin-right: 2px; padding: 0.35em 0.75em 0.625em;
           border: 2px groove rgb(192, 192, 192) }
legend { padding-left: 2px; padding-right: 2px }
img[align=left i], table[align=left i] { float: left }
img[align=right i], table[align=right i] { float: right }
iframe { border: 2px inset }
bdo { unicode-bidi: bidi-override }
[dir=rtl i] { direction: rtl }
[dir=ltr i] { direction: ltr }
)css";

} // namespace

std::u16string_view userAgentStyleSheetText()
{
    return Text;
}

const std::shared_ptr<CSSStyleSheet>& userAgentStyleSheet()
{
    static const std::shared_ptr<CSSStyleSheet> sheet = CSSStyleSheet::parse(Text);
    return sheet;
}

} // namespace brevanton
