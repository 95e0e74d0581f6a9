"""Element kind tables of the document types: for every tag its kind (the
categories it belongs to) and its content model (what its children must be).

Shared by generate_html_specs.py, which derives the specification files'
"otherAllowedChildren" from them and writes the C++ tables.

Content model bits with a fixed meaning in every table:
  0x20000  EMPTY (no children)
  0x10000  transparent (any child passes the kind-to-kind test)
  0x800    ignored when a child's kind is matched
A child fits when (model & ~0x10800 & ~childKind) == 0.
"""

EMPTY = 0x20000
TRANSPARENT = 0x10000
TEXT_ONLY = 0x40000

# ---------------------------------------------------------------------------
# HTML 5

H5_FLOW = 0x1
H5_PHRASING = 0x2
H5_EMBEDDED = 0x4
H5_INTERACTIVE = 0x8
H5_SECTIONING = 0x10
H5_HEADING = 0x20
H5_HN = 0x40
H5_METADATA = 0x80

HTML5_ROWS = [
    (0x0, 0x0, "colgroup html tbody tfoot thead tr"),
    (0x0, 0x20000, "col"),
    (0x0, 0x3, "legend rb rp rt rtc"),
    (0x0, 0x80, "head"),
    (0x0, 0x801, "caption figcaption td th"),
    (0x0, 0x1000, "optgroup"),
    (0x0, 0x40800, "option"),
    (0x1, 0x0, "table"),
    (0x1, 0x1, "div footer form header main search"),
    (0x1, 0x3, "p pre"),
    (0x1, 0x100, "ol ul"),
    (0x1, 0x200, "dl"),
    (0x1, 0x801, "address"),
    (0x1, 0x20000, "hr"),
    (0x1, 0x200000101, "menu"),
    (0x3, 0x3, "abbr b bdi bdo cite code data dfn em i kbd label mark meter output progress q ruby s "
               "samp small span strong sub sup time u var"),
    (0x3, 0x1003, "datalist"),
    (0x3, 0x10800, "del ins map slot"),
    (0x3, 0x20000, "area br input wbr"),
    (0x3, 0x40000, "textarea"),
    (0x7, 0x10800, "canvas"),
    (0x7, 0x20000, "img"),
    (0x7, 0x2000009, "object"),
    (0xB, 0x803, "button"),
    (0xB, 0x3000, "select"),
    (0xB, 0x10800, "a"),
    (0xB, 0x20000, "keygen"),
    (0xF, 0x800, "iframe"),
    (0xF, 0x20000, "embed"),
    (0x11, 0x1, "article aside blockquote dialog fieldset figure nav section"),
    # body is a sectioning root but not flow content: no flow container takes it
    (0x10, 0x1, "body"),
    (0x19, 0x100000001, "details"),
    (0x21, 0x61, "hgroup"),
    (0x61, 0x3, "h1 h2 h3 h4 h5 h6"),
    # script and style hold text (their source) and no elements
    (0x80, 0x40000, "style"),
    (0x80, 0x20000, "base link meta"),
    (0x80, 0x40800, "title"),
    (0x83, 0x40000, "script"),
    (0x83, 0x10000, "noscript"),
    (0x83, 0x10000, "template"),
    (0x100, 0x801, "li"),
    (0x200, 0x801, "dd dt"),
    (0x407, 0x14000, "audio video"),
    (0x4000, 0x20000, "source track"),
    (0x8007, 0x0, "picture"),
    (0x2000000, 0x20000, "param"),
    (0x100000000, 0x3, "summary"),
    (0x200000000, 0x20000, "menuitem"),
]

# ---------------------------------------------------------------------------
# HTML 4.01 and XHTML 1.x, bits from the DTDs' entity groups

BLOCK = 0x800001
INLINE = 0x100000801
SPECIAL = 0x80000
PHRASE = 0x100000
FONTSTYLE = 0x200000
FORMCTRL = 0x400000
HEADING = 0x61
HEAD_MISC = 0x80
LI = 0x100
DD_DT = 0x200
PARAM = 0x2000000
AREA = 0x4000000
BODY = 0x8000000
CAPTION = 0x10000000
XHTML_FONTSTYLE_A = 0x40000000   # b, i, s, strike, tt, u
XHTML_FONTSTYLE_B = 0x80000000   # big, small, font, basefont

HTML4_ELEMENTS = (
    "a abbr acronym address applet area b base basefont bdo big blockquote body br button caption "
    "center cite code col colgroup dd del dfn dir div dl dt em fieldset font form frame frameset "
    "h1 h2 h3 h4 h5 h6 head hr html i iframe img input ins isindex kbd label legend li link map "
    "menu meta noframes noscript object ol optgroup option p param pre q s samp script select "
    "small span strike strong style sub sup table tbody td textarea tfoot th thead title tr tt u "
    "ul var"
).split()

TRANSITIONAL_ONLY = set("applet basefont center dir font iframe isindex menu noframes s strike u".split())
FRAMESET_ONLY = set("frame frameset".split())


def html4_element_names(flavour):
    """flavour: 'transitional', 'strict' or 'frameset'."""
    names = []
    for name in HTML4_ELEMENTS:
        if name in FRAMESET_ONLY and flavour != "frameset":
            continue
        if name in TRANSITIONAL_ONLY and flavour == "strict":
            continue
        names.append(name)
    return names


def html4_rows(flavour, xhtml):
    """Rows (tag, kind, model) for one HTML 4.01 or XHTML 1.0 table."""
    strict = flavour == "strict"
    # Every element whose DTD content is %inline (or %Inline in XHTML) takes
    # the full inline model, in XHTML too: the writer reads the inline bits
    # of p, h1-h6, pre, ... to keep their content on the tag's line.
    inline_model = INLINE
    flow = 0x1
    block_only = BLOCK if strict else flow
    rows = {}

    def put(names, kind, model):
        for name in names.split():
            rows[name] = (kind, model)

    # %special
    special_kind = INLINE if xhtml else INLINE | SPECIAL
    put("span bdo q sub sup", special_kind, inline_model)
    put("br img", special_kind, EMPTY)
    put("object", special_kind | HEAD_MISC, flow)
    put("applet", special_kind, flow)
    put("map", special_kind, BLOCK)
    put("script", special_kind | HEAD_MISC, TEXT_ONLY)
    put("iframe", special_kind, flow)
    put("font", special_kind | (FONTSTYLE | XHTML_FONTSTYLE_B if xhtml else 0), inline_model)
    put("basefont", special_kind | (FONTSTYLE | XHTML_FONTSTYLE_B if xhtml else 0), EMPTY)
    # a keeps the inline model everywhere and has no special bit in XHTML
    rows["a"] = (INLINE if xhtml else INLINE | SPECIAL, INLINE)
    # %phrase
    put("em strong dfn code samp kbd var cite abbr acronym", INLINE | PHRASE, inline_model)
    # %fontstyle
    for name in "tt i b u s strike".split():
        rows[name] = (INLINE | FONTSTYLE | (XHTML_FONTSTYLE_A if xhtml else 0), inline_model)
    for name in "big small".split():
        rows[name] = (INLINE | FONTSTYLE | (XHTML_FONTSTYLE_B if xhtml else 0), inline_model)
    # %formctrl
    put("input", INLINE | FORMCTRL, EMPTY)
    put("select", INLINE | FORMCTRL, 0x0)
    put("textarea", INLINE | FORMCTRL, TEXT_ONLY)
    put("label", INLINE | FORMCTRL, inline_model)
    put("button", INLINE | FORMCTRL, flow)
    # ins and del may stand where block or inline content may
    put("ins del", INLINE, TRANSPARENT | 0x800)
    # %block
    put("p pre", BLOCK, inline_model)
    put("ul ol dir menu", BLOCK, LI)
    put("dl", BLOCK, DD_DT)
    put("div center", BLOCK, flow)
    put("noscript blockquote form", BLOCK, block_only)
    put("noframes", BLOCK, 0x0 if flavour == "frameset" else block_only)
    put("hr", BLOCK, EMPTY)
    put("isindex", BLOCK | HEAD_MISC, EMPTY)
    put("table", BLOCK, 0x0)
    put("fieldset", BLOCK, flow)
    put("address", BLOCK, inline_model)
    # %heading is part of %block: a heading goes wherever block content may
    put("h1 h2 h3 h4 h5 h6", HEADING | BLOCK, inline_model)
    # lists, definitions
    put("li", LI, 0x801)
    put("dt", DD_DT, inline_model)
    put("dd", DD_DT, flow)
    # head
    put("html", 0x0, 0x0)
    put("head", 0x0, HEAD_MISC)
    put("title", HEAD_MISC, 0x40800)
    put("base link meta", HEAD_MISC, EMPTY)
    put("style", HEAD_MISC, TEXT_ONLY)
    put("body", BODY, block_only)
    # tables
    put("caption", CAPTION, inline_model)
    put("colgroup thead tbody tfoot tr", 0x0, 0x0)
    put("col", 0x0, EMPTY)
    put("td th", 0x0, flow)
    # forms
    put("optgroup", 0x0, 0x0)
    put("option", 0x0, 0x40800)
    put("legend", 0x0, inline_model)
    # objects
    put("param", PARAM, EMPTY)
    put("area", AREA, EMPTY)
    # frames
    put("frameset", 0x0, 0x0)
    put("frame", 0x0, EMPTY)

    names = set(html4_element_names(flavour))
    return sorted(((name, kind, model) for name, (kind, model) in rows.items() if name in names),
                  key=lambda row: row[0])


def html5_rows():
    rows = []
    for kind, model, names in HTML5_ROWS:
        for name in names.split():
            rows.append((name, kind, model))
    return sorted(rows, key=lambda row: row[0])


def rows_for_document_type(document_type):
    """document_type: 1 to 8 as in the persistable-name table."""
    if document_type == 1:
        return html4_rows("transitional", False)
    if document_type == 2 or document_type == 7:
        return html4_rows("strict", False)
    if document_type == 3:
        return html4_rows("frameset", False)
    if document_type == 4:
        return html4_rows("transitional", True)
    if document_type == 5:
        return html4_rows("strict", True)
    if document_type == 6:
        return html4_rows("frameset", True)
    return html5_rows()


def fits(model, kind):
    return (model & ~0x10800 & ~kind) == 0
