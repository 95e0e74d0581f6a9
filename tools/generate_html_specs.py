#!/usr/bin/env python3
"""Writes the HTML specification resources and the C++ element kind tables.

Outputs (paths relative to the repository root):
  resources/<persistable name>.brevantonhtmlspec   one per document type 1 to 8
  resources/New <persistable name>.html            empty document templates
  resources/HTML Element Descriptions.json
  resources/HTML Body Element Groups.json
  html/VornickElementKindTableData.cpp

The element and attribute lists follow the W3C HTML 4.01 and XHTML 1.0/1.1
DTDs and attribute index, and the WHATWG element index, attribute index,
global attributes and event handler attributes, with the WAI-ARIA role and
aria-* attributes. Run it after changing any of the tables below and commit
the generated files.
"""

import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import html_kind_tables as kinds  # noqa: E402
from html_element_descriptions import DESCRIPTIONS  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

DOCUMENT_TYPES = [
    # (type, persistable name, public id, system id)
    (1, "HTML 4.01 Transitional", "-//W3C//DTD HTML 4.01 Transitional//EN",
     "http://www.w3.org/TR/html4/loose.dtd"),
    (2, "HTML 4.01 Strict", "-//W3C//DTD HTML 4.01//EN", "http://www.w3.org/TR/html4/strict.dtd"),
    (3, "HTML 4.01 Frameset", "-//W3C//DTD HTML 4.01 Frameset//EN",
     "http://www.w3.org/TR/html4/frameset.dtd"),
    (4, "XHTML 1.0 Transitional", "-//W3C//DTD XHTML 1.0 Transitional//EN",
     "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd"),
    (5, "XHTML 1.0 Strict", "-//W3C//DTD XHTML 1.0 Strict//EN",
     "http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd"),
    (6, "XHTML 1.0 Frameset", "-//W3C//DTD XHTML 1.0 Frameset//EN",
     "http://www.w3.org/TR/xhtml1/DTD/xhtml1-frameset.dtd"),
    (7, "XHTML 1.1", "-//W3C//DTD XHTML 1.1//EN", "http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd"),
    (8, "HTML 5", "", ""),
]


def attr(name, kind="text"):
    return {"name": name, "valueKind": kind}


VALUE_KINDS = set(
    "1aAiI ARIAautocomplete ARIAchecked ARIAdropeffect ARIAinvalid ARIAlive ARIAorientation ARIArelevant "
    "ARIArole ARIAsort ARIAtristate autocapitalize BCP47LanguageTag Boolean browsingContextName "
    "browsingContextNameOrKeyword buttonType CORSState datalistElementId enctype enterkeyhint formInputMode "
    "formInputType getOrPost id idReference idReferenceList iframeSandbox integer keytype ltr_rtl_auto MIMEType "
    "nonNegativeFloatingPointNumber nonNegativeInteger nonNegativeNonZeroInteger number onOrOff referrerpolicy "
    "spaceSeparatedTokens text trueOrFalse uniqueSpaceSeparatedTokens URL wrap yesOrNo".split())


def attrs(spec):
    """'name:kind name2 ...' -> attribute objects (kind defaults to text).
    Names may hold a colon themselves (xml:lang), so the kind is what follows
    the last colon when that is a value kind."""
    result = []
    for item in spec.split():
        name, _, kind = item.rpartition(":")
        if not name or kind not in VALUE_KINDS:
            name, kind = item, "text"
        result.append(attr(name, kind))
    return result


# ---------------------------------------------------------------------------
# HTML 4.01 / XHTML 1.x


def html4_attribute_groups(xhtml, xhtml11):
    lang = "xml:lang:BCP47LanguageTag" if xhtml11 else (
        "lang:BCP47LanguageTag xml:lang:BCP47LanguageTag" if xhtml else "lang:BCP47LanguageTag")
    return {
        "coreattrs": attrs("id:id class:spaceSeparatedTokens style title"),
        "i18n": attrs(lang + " dir:ltr_rtl_auto"),
        "events": attrs("onclick ondblclick onmousedown onmouseup onmouseover onmousemove onmouseout "
                        "onkeypress onkeydown onkeyup"),
        "attrs": ["coreattrs", "i18n", "events"],
        "focus": attrs("accesskey tabindex:integer onfocus onblur"),
        "cellhalign": attrs("align char charoff"),
        "cellvalign": attrs("valign"),
    }


def html4_elements(flavour, xhtml, xhtml11):
    loose = flavour != "strict"
    names = kinds.html4_element_names(flavour)
    if xhtml11:
        names = names + ["ruby", "rbc", "rtc", "rb", "rt", "rp"]

    def T(spec):  # attributes of the transitional and frameset DTDs only
        return attrs(spec) if loose else []

    name_attr = [] if xhtml11 else attrs("name")
    e = {}
    e["a"] = ["attrs", "focus"] + attrs("charset type:MIMEType href:URL hreflang:BCP47LanguageTag "
                                        "rel:spaceSeparatedTokens rev:spaceSeparatedTokens shape coords") \
        + name_attr + T("target:browsingContextNameOrKeyword")
    for tag in ("abbr acronym address b big center cite code dd dfn dt em fieldset i kbd noframes noscript "
                "s samp small span strike strong sub sup tt u var rbc rtc rb rp").split():
        e[tag] = ["attrs"]
    e["ruby"] = ["attrs"]
    e["rt"] = ["attrs"] + attrs("rbspan:nonNegativeNonZeroInteger")
    e["applet"] = ["coreattrs"] + attrs("codebase:URL archive code object alt name width height align "
                                        "hspace:nonNegativeInteger vspace:nonNegativeInteger")
    e["area"] = ["attrs", "focus"] + attrs("shape coords href:URL nohref:Boolean alt") + T(
        "target:browsingContextNameOrKeyword")
    e["base"] = attrs("href:URL") + T("target:browsingContextNameOrKeyword")
    e["basefont"] = attrs("id:id size color face")
    e["bdo"] = ["coreattrs"] + attrs(("xml:lang:BCP47LanguageTag" if xhtml11 else "lang:BCP47LanguageTag")
                                     + (" xml:lang:BCP47LanguageTag" if xhtml and not xhtml11 else "")
                                     + " dir:ltr_rtl_auto")
    e["blockquote"] = ["attrs"] + attrs("cite:URL")
    e["body"] = ["attrs"] + attrs("onload onunload") + T("background:URL text link vlink alink bgcolor")
    e["br"] = ["coreattrs"] + T("clear")
    e["button"] = ["attrs", "focus"] + attrs("name value type:buttonType disabled:Boolean")
    e["caption"] = ["attrs"] + T("align")
    e["col"] = ["attrs", "cellhalign", "cellvalign"] + attrs("span:nonNegativeNonZeroInteger width")
    e["colgroup"] = list(e["col"])
    e["del"] = ["attrs"] + attrs("cite:URL datetime")
    e["ins"] = list(e["del"])
    e["dir"] = ["attrs"] + attrs("compact:Boolean")
    e["menu"] = list(e["dir"])
    e["div"] = ["attrs"] + T("align")
    e["dl"] = ["attrs"] + T("compact:Boolean")
    e["font"] = ["coreattrs", "i18n"] + attrs("size color face")
    e["form"] = ["attrs"] + attrs("action:URL method:getOrPost enctype:enctype accept accept-charset "
                                  "onsubmit onreset") + (T("name") if not xhtml11 else []) + T(
        "target:browsingContextNameOrKeyword")
    e["frame"] = ["coreattrs"] + attrs("longdesc:URL name src:URL frameborder marginwidth:nonNegativeInteger "
                                       "marginheight:nonNegativeInteger noresize:Boolean scrolling")
    e["frameset"] = ["coreattrs"] + attrs("rows cols onload onunload")
    for level in range(1, 7):
        e["h%d" % level] = ["attrs"] + T("align")
    e["head"] = ["i18n"] + attrs("profile:URL")
    e["hr"] = ["attrs"] + T("align noshade:Boolean size width")
    e["html"] = ["i18n"] + (attrs("xmlns:URL") if xhtml else []) + (
        attrs("version") if (loose and not xhtml) or xhtml11 else [])
    e["iframe"] = ["coreattrs"] + attrs("longdesc:URL name src:URL frameborder marginwidth:nonNegativeInteger "
                                        "marginheight:nonNegativeInteger scrolling align height width")
    e["img"] = ["attrs"] + attrs("src:URL alt longdesc:URL height width usemap:URL ismap:Boolean") \
        + name_attr + T("align border:nonNegativeInteger hspace:nonNegativeInteger vspace:nonNegativeInteger")
    e["input"] = ["attrs", "focus"] + attrs(
        "type:formInputType name value checked:Boolean disabled:Boolean readonly:Boolean size "
        "maxlength:nonNegativeInteger src:URL alt usemap:URL ismap:Boolean onselect onchange accept") + T("align")
    e["isindex"] = ["coreattrs", "i18n"] + attrs("prompt")
    e["label"] = ["attrs"] + attrs("for:idReference accesskey onfocus onblur")
    e["legend"] = ["attrs"] + attrs("accesskey") + T("align")
    e["li"] = ["attrs"] + T("type value:integer")
    e["link"] = ["attrs"] + attrs("charset href:URL hreflang:BCP47LanguageTag type:MIMEType "
                                  "rel:spaceSeparatedTokens rev:spaceSeparatedTokens media") + T(
        "target:browsingContextNameOrKeyword")
    e["map"] = ["attrs"] + (attrs("name") if not xhtml11 else [])
    if xhtml11:
        e["map"] = ["i18n", "events"] + attrs("id:id class:spaceSeparatedTokens style title")
    e["meta"] = ["i18n"] + attrs("http-equiv name content scheme")
    e["object"] = ["attrs"] + attrs("declare:Boolean classid:URL codebase:URL data:URL type:MIMEType "
                                    "codetype:MIMEType archive standby height width usemap:URL name "
                                    "tabindex:integer") + T(
        "align border:nonNegativeInteger hspace:nonNegativeInteger vspace:nonNegativeInteger")
    e["ol"] = ["attrs"] + T("type:1aAiI compact:Boolean start:integer")
    e["optgroup"] = ["attrs"] + attrs("disabled:Boolean label")
    e["option"] = ["attrs"] + attrs("selected:Boolean disabled:Boolean label value")
    e["p"] = ["attrs"] + T("align")
    e["param"] = attrs("id:id name value valuetype type:MIMEType")
    e["pre"] = ["attrs"] + T("width:integer") + (attrs("xml:space") if xhtml else [])
    e["q"] = ["attrs"] + attrs("cite:URL")
    e["script"] = attrs("charset type:MIMEType src:URL defer:Boolean event for") + T("language") + (
        attrs("xml:space") if xhtml else []) + (attrs("id:id") if xhtml else [])
    e["select"] = ["attrs"] + attrs("name size:nonNegativeInteger multiple:Boolean disabled:Boolean "
                                    "tabindex:integer onfocus onblur onchange")
    e["style"] = ["i18n"] + attrs("type:MIMEType media title") + (attrs("xml:space id:id") if xhtml else [])
    e["table"] = ["attrs"] + attrs("summary width border:nonNegativeInteger frame rules cellspacing "
                                   "cellpadding datapagesize") + T("align bgcolor")
    for tag in ("tbody", "thead", "tfoot"):
        e[tag] = ["attrs", "cellhalign", "cellvalign"]
    e["tr"] = ["attrs", "cellhalign", "cellvalign"] + T("bgcolor")
    e["td"] = ["attrs", "cellhalign", "cellvalign"] + attrs(
        "abbr axis headers:idReferenceList scope rowspan:nonNegativeInteger colspan:nonNegativeInteger") + T(
        "nowrap:Boolean bgcolor width height")
    e["th"] = list(e["td"])
    e["textarea"] = ["attrs", "focus"] + attrs("name rows:nonNegativeNonZeroInteger cols:nonNegativeNonZeroInteger "
                                               "disabled:Boolean readonly:Boolean onselect onchange")
    e["title"] = ["i18n"] + (attrs("id:id") if xhtml else [])
    e["ul"] = ["attrs"] + T("type compact:Boolean")

    required = {
        "img": ["src", "alt"], "area": ["alt"], "form": ["action"], "textarea": ["rows", "cols"],
        "optgroup": ["label"], "param": ["name"], "script": ["type"], "style": ["type"],
        "meta": ["content"], "basefont": ["size"], "applet": ["width", "height"], "bdo": ["dir"],
    }
    if xhtml:
        required["map"] = ["id"]
        required["html"] = ["xmlns"] if xhtml11 else []
    else:
        required["map"] = ["name"]
    if not loose:
        required["base"] = ["href"]

    common = {
        "a": ["href", "title"], "img": ["src", "alt", "width", "height"], "link": ["rel", "href", "type"],
        "form": ["action", "method"], "input": ["type", "name", "value"], "meta": ["name", "content"],
        "script": ["type", "src"], "style": ["type"], "td": ["colspan", "rowspan"], "th": ["colspan", "rowspan"],
        "table": ["summary"], "label": ["for"], "select": ["name"], "option": ["value", "selected"],
        "textarea": ["name", "rows", "cols"], "button": ["type", "name"], "object": ["data", "type"],
        "ol": ["start"], "blockquote": ["cite"], "q": ["cite"],
    }

    rows = {name: (kind, model) for name, kind, model in kinds.rows_for_document_type(
        7 if xhtml11 else {"transitional": 1, "strict": 2, "frameset": 3}[flavour] + (3 if xhtml else 0))}
    strict = flavour == "strict"
    other = {
        "html": ["head", "body"] if flavour != "frameset" else ["head", "frameset", "body"],
        "table": ["caption", "col", "colgroup", "thead", "tbody", "tfoot", "tr"],
        "colgroup": ["col"], "thead": ["tr"], "tbody": ["tr"], "tfoot": ["tr"], "tr": ["td", "th"],
        "select": ["optgroup", "option"], "optgroup": ["option"], "fieldset": ["legend"],
        "object": ["param"], "applet": ["param"], "map": ["area"], "frameset": ["frameset", "frame", "noframes"],
        "head": ["title", "base", "meta", "link", "style", "script", "object"],
    }
    if flavour == "frameset":
        other["noframes"] = ["body"]
    if loose:
        other["address"] = ["p"]
        other["head"] = other["head"] + ["isindex"]
    else:
        for tag in ("body", "blockquote", "form", "noscript"):
            other[tag] = ["script", "ins", "del"]
        other["map"] = ["area", "ins", "del"]
    if xhtml:
        # XHTML's map takes %misc (script, noscript, ins, del) beside blocks
        other["map"] = ["area", "ins", "del", "script"]
    if xhtml11:
        other["ruby"] = ["rb", "rbc", "rtc", "rt", "rp"]
        other["rbc"] = ["rb"]
        other["rtc"] = ["rt"]
        for tag in ("p", "span", "em", "strong", "a", "label", "li", "dt", "td", "th", "div", "caption",
                    "legend", "h1", "h2", "h3", "h4", "h5", "h6", "q", "cite", "abbr", "acronym", "b", "i",
                    "small", "big", "sub", "sup", "tt", "code", "kbd", "samp", "var", "dfn", "bdo", "dd",
                    "address", "pre", "button", "object", "ins", "del"):
            other[tag] = other.get(tag, []) + ["ruby"]
    forbidden = {
        "a": ["a"], "label": ["label"], "form": ["form"],
        "button": ["a", "input", "select", "textarea", "label", "button", "form", "fieldset"] + (
            ["iframe", "isindex"] if loose else []),
        "pre": ["img", "object", "big", "small", "sub", "sup"] + (["applet", "font", "basefont"] if loose else []),
    }
    if strict:
        forbidden["dir"] = []
    if xhtml11:
        forbidden["ruby"] = ["ruby"]

    elements = []
    for name in names:
        item = {"tagName": name}
        if name in other:
            item["otherAllowedChildren"] = sorted(set(c for c in other[name] if c in names or c == "ruby"))
        if forbidden.get(name):
            item["forbiddenDescendants"] = sorted(set(forbidden[name]))
        item["allowedAttributes"] = e[name]
        if name in common:
            item["commonAttributes"] = common[name]
        if required.get(name):
            item["requiredAttributes"] = required[name]
        elements.append(item)
    check_gaps(names, rows, other)
    return elements


def check_gaps(names, rows, other):
    """Every container whose content model is 0 must list its children."""
    for name in names:
        row = rows.get(name)
        if row and row[1] == 0 and name not in ("script", "style") and not other.get(name):
            raise SystemExit("no allowed children for %s" % name)


# ---------------------------------------------------------------------------
# HTML 5

ARIA_ATTRIBUTES = (
    "aria-activedescendant:idReference aria-atomic:trueOrFalse aria-autocomplete:ARIAautocomplete "
    "aria-braillelabel aria-brailleroledescription aria-busy:trueOrFalse aria-checked:ARIAchecked "
    "aria-colcount:integer aria-colindex:nonNegativeNonZeroInteger aria-colindextext "
    "aria-colspan:nonNegativeNonZeroInteger aria-controls:idReferenceList aria-current "
    "aria-describedby:idReferenceList aria-description aria-details:idReferenceList aria-disabled:trueOrFalse "
    "aria-dropeffect:ARIAdropeffect aria-errormessage:idReferenceList aria-expanded:trueOrFalse "
    "aria-flowto:idReferenceList aria-grabbed:trueOrFalse aria-haspopup aria-hidden:trueOrFalse "
    "aria-invalid:ARIAinvalid aria-keyshortcuts aria-label aria-labelledby:idReferenceList "
    "aria-level:nonNegativeNonZeroInteger aria-live:ARIAlive aria-modal:trueOrFalse "
    "aria-multiline:trueOrFalse aria-multiselectable:trueOrFalse aria-orientation:ARIAorientation "
    "aria-owns:idReferenceList aria-placeholder aria-posinset:nonNegativeNonZeroInteger "
    "aria-pressed:ARIAtristate aria-readonly:trueOrFalse aria-relevant:ARIArelevant aria-required:trueOrFalse "
    "aria-roledescription aria-rowcount:integer aria-rowindex:nonNegativeNonZeroInteger aria-rowindextext "
    "aria-rowspan:nonNegativeInteger aria-selected:trueOrFalse aria-setsize:integer aria-sort:ARIAsort "
    "aria-valuemax:number aria-valuemin:number aria-valuenow:number aria-valuetext"
)

EVENT_HANDLERS = (
    "onabort onauxclick onbeforeinput onbeforematch onbeforetoggle onblur oncancel oncanplay "
    "oncanplaythrough onchange onclick onclose oncontextlost oncontextmenu oncontextrestored oncopy "
    "oncuechange oncut ondblclick ondrag ondragend ondragenter ondragleave ondragover ondragstart ondrop "
    "ondurationchange onemptied onended onerror onfocus onformdata oninput oninvalid onkeydown onkeypress "
    "onkeyup onload onloadeddata onloadedmetadata onloadstart onmousedown onmouseenter onmouseleave "
    "onmousemove onmouseout onmouseover onmouseup onpaste onpause onplay onplaying onprogress onratechange "
    "onreset onresize onscroll onscrollend onsecuritypolicyviolation onseeked onseeking onselect "
    "onslotchange onstalled onsubmit onsuspend ontimeupdate ontoggle onvolumechange onwaiting onwheel"
)

WINDOW_EVENT_HANDLERS = (
    "onafterprint onbeforeprint onbeforeunload onhashchange onlanguagechange onmessage onmessageerror "
    "onoffline ononline onpagehide onpagereveal onpageshow onpageswap onpopstate onrejectionhandled "
    "onstorage onunhandledrejection onunload"
)

HTML5_GLOBAL = (
    "accesskey autocapitalize:autocapitalize autocorrect:onOrOff autofocus:Boolean class:spaceSeparatedTokens "
    "contenteditable:trueOrFalse dir:ltr_rtl_auto draggable:trueOrFalse enterkeyhint:enterkeyhint "
    "hidden:Boolean id:id inert:Boolean inputmode:formInputMode is itemid:URL itemprop:uniqueSpaceSeparatedTokens "
    "itemref:idReferenceList itemscope:Boolean itemtype:spaceSeparatedTokens lang:BCP47LanguageTag nonce "
    "popover role:ARIArole slot spellcheck:trueOrFalse style tabindex:integer title translate:yesOrNo "
    "writingsuggestions:trueOrFalse xml:lang:BCP47LanguageTag xml:space"
)

HTML5_ATTRIBUTES = {
    "a": "href:URL target:browsingContextNameOrKeyword download ping:spaceSeparatedTokens "
         "rel:uniqueSpaceSeparatedTokens hreflang:BCP47LanguageTag type:MIMEType referrerpolicy:referrerpolicy",
    "area": "alt coords shape href:URL target:browsingContextNameOrKeyword download ping:spaceSeparatedTokens "
            "rel:uniqueSpaceSeparatedTokens referrerpolicy:referrerpolicy",
    "audio": "src:URL crossorigin:CORSState preload autoplay:Boolean loop:Boolean muted:Boolean controls:Boolean",
    "base": "href:URL target:browsingContextNameOrKeyword",
    "blockquote": "cite:URL",
    "body": WINDOW_EVENT_HANDLERS,
    "button": "command commandfor:idReference disabled:Boolean form:idReference formaction:URL "
              "formenctype:enctype formmethod:getOrPost formnovalidate:Boolean "
              "formtarget:browsingContextNameOrKeyword name popovertarget:idReference popovertargetaction "
              "type:buttonType value",
    "canvas": "width:nonNegativeInteger height:nonNegativeInteger",
    "col": "span:nonNegativeNonZeroInteger",
    "colgroup": "span:nonNegativeNonZeroInteger",
    "data": "value",
    "del": "cite:URL datetime",
    "details": "name open:Boolean",
    "dialog": "closedby open:Boolean",
    "embed": "src:URL type:MIMEType width:nonNegativeInteger height:nonNegativeInteger",
    "fieldset": "disabled:Boolean form:idReference name",
    "form": "accept-charset action:URL autocomplete:onOrOff enctype:enctype method:getOrPost name "
            "novalidate:Boolean rel:uniqueSpaceSeparatedTokens target:browsingContextNameOrKeyword",
    "html": "manifest:URL xmlns:URL",
    "iframe": "src:URL srcdoc name:browsingContextName sandbox:iframeSandbox allow allowfullscreen:Boolean "
              "width:nonNegativeInteger height:nonNegativeInteger referrerpolicy:referrerpolicy loading",
    "img": "alt src:URL srcset sizes crossorigin:CORSState usemap ismap:Boolean width:nonNegativeInteger "
           "height:nonNegativeInteger referrerpolicy:referrerpolicy decoding loading fetchpriority",
    "input": "accept alpha:Boolean alt autocomplete checked:Boolean colorspace dirname disabled:Boolean "
             "form:idReference formaction:URL formenctype:enctype formmethod:getOrPost formnovalidate:Boolean "
             "formtarget:browsingContextNameOrKeyword height:nonNegativeInteger list:datalistElementId max "
             "maxlength:nonNegativeInteger min minlength:nonNegativeInteger multiple:Boolean name pattern "
             "placeholder popovertarget:idReference popovertargetaction readonly:Boolean required:Boolean "
             "size:nonNegativeNonZeroInteger src:URL step type:formInputType value width:nonNegativeInteger",
    "ins": "cite:URL datetime",
    "keygen": "challenge disabled:Boolean form:idReference keytype:keytype name",
    "label": "for:idReference",
    "li": "value:integer",
    "link": "as blocking color crossorigin:CORSState disabled:Boolean fetchpriority href:URL "
            "hreflang:BCP47LanguageTag imagesizes imagesrcset integrity media referrerpolicy:referrerpolicy "
            "rel:uniqueSpaceSeparatedTokens sizes type:MIMEType",
    "map": "name",
    "menuitem": "checked:Boolean command default:Boolean disabled:Boolean icon:URL label radiogroup type",
    "meta": "charset content http-equiv media name",
    "meter": "value:number min:number max:number low:number high:number optimum:number",
    "object": "data:URL type:MIMEType name:browsingContextName form:idReference width:nonNegativeInteger "
              "height:nonNegativeInteger",
    "ol": "reversed:Boolean start:integer type:1aAiI",
    "optgroup": "disabled:Boolean label",
    "option": "disabled:Boolean label selected:Boolean value",
    "output": "for:idReferenceList form:idReference name",
    "param": "name value",
    "progress": "value:number max:number",
    "q": "cite:URL",
    "script": "src:URL type nomodule:Boolean async:Boolean defer:Boolean crossorigin:CORSState integrity "
              "referrerpolicy:referrerpolicy blocking fetchpriority",
    "select": "autocomplete disabled:Boolean form:idReference multiple:Boolean name required:Boolean "
              "size:nonNegativeNonZeroInteger",
    "slot": "name",
    "source": "type:MIMEType media src:URL srcset sizes width:nonNegativeInteger height:nonNegativeInteger",
    "style": "media blocking",
    "td": "colspan:nonNegativeNonZeroInteger rowspan:nonNegativeInteger headers:idReferenceList",
    "template": "shadowrootmode shadowrootdelegatesfocus:Boolean shadowrootclonable:Boolean "
                "shadowrootserializable:Boolean shadowrootcustomelementregistry:Boolean",
    "textarea": "autocomplete cols:nonNegativeNonZeroInteger dirname disabled:Boolean form:idReference "
                "maxlength:nonNegativeInteger minlength:nonNegativeInteger name placeholder readonly:Boolean "
                "required:Boolean rows:nonNegativeNonZeroInteger wrap:wrap",
    "th": "abbr colspan:nonNegativeNonZeroInteger rowspan:nonNegativeInteger headers:idReferenceList scope",
    "time": "datetime",
    "track": "default:Boolean kind label src:URL srclang:BCP47LanguageTag",
    "video": "src:URL crossorigin:CORSState poster:URL preload autoplay:Boolean playsinline:Boolean "
             "loop:Boolean muted:Boolean controls:Boolean width:nonNegativeInteger height:nonNegativeInteger",
}

HTML5_REQUIRED = {
    "img": ["src"], "optgroup": ["label"], "bdo": ["dir"], "track": ["src"], "map": ["name"],
    "param": ["name", "value"], "link": ["href", "rel"], "progress": [], "area": [],
    "data": ["value"], "meter": ["value"],
}

HTML5_COMMON = {
    "a": ["href", "target", "rel"], "img": ["src", "alt", "width", "height", "srcset"],
    "link": ["rel", "href"], "meta": ["name", "content", "charset"], "script": ["src", "type"],
    "form": ["action", "method"], "input": ["type", "name", "value", "placeholder"], "label": ["for"],
    "button": ["type"], "select": ["name"], "option": ["value", "selected"], "textarea": ["name", "rows", "cols"],
    "td": ["colspan", "rowspan"], "th": ["colspan", "rowspan", "scope"], "iframe": ["src", "width", "height"],
    "video": ["src", "controls", "poster"], "audio": ["src", "controls"], "source": ["src", "srcset", "type"],
    "time": ["datetime"], "blockquote": ["cite"], "ol": ["start", "reversed"],
}

HTML5_COMMON_GLOBAL = ["id", "class", "style", "title", "lang", "dir"]


def html5_elements():
    rows = {name: (kind, model) for name, kind, model in kinds.html5_rows()}
    names = sorted(rows)
    flow = sorted(n for n in names if rows[n][0] & kinds.H5_FLOW and n != "body")
    script_supporting = ["script", "template"]
    other = {
        "html": ["head", "body"],
        "table": ["caption", "colgroup", "thead", "tbody", "tfoot", "tr"] + script_supporting,
        "colgroup": ["col", "template"],
        "thead": ["tr"] + script_supporting, "tbody": ["tr"] + script_supporting,
        "tfoot": ["tr"] + script_supporting,
        "tr": ["td", "th"] + script_supporting,
        "select": ["option", "optgroup", "hr"] + script_supporting,
        "optgroup": ["option"] + script_supporting,
        "datalist": ["option"] + script_supporting,
        "fieldset": ["legend"], "figure": ["figcaption"],
        "ruby": ["rt", "rp", "rb", "rtc"], "rtc": ["rt", "rp"],
        "picture": ["source", "img"] + script_supporting,
        "dl": ["div"] + script_supporting,
        "div": ["dt", "dd"],
        "ol": script_supporting, "ul": script_supporting,
        "menu": ["li", "menuitem"] + script_supporting,
        "details": ["summary"] + flow,
        "summary": ["h1", "h2", "h3", "h4", "h5", "h6", "hgroup"],
        "legend": ["h1", "h2", "h3", "h4", "h5", "h6", "hgroup"],
        "hgroup": ["p"] + script_supporting,
        "object": ["param"] + flow,
        "audio": flow, "video": flow,
        "head": [],
        "noscript": [],
        "style": [], "script": [],
    }
    forbidden = {
        "a": ["a", "button", "details", "embed", "iframe", "input", "keygen", "label", "select", "textarea",
              "audio", "video"],
        "button": ["a", "button", "details", "embed", "iframe", "input", "keygen", "label", "select",
                   "textarea"],
        "label": ["label"], "form": ["form"], "dfn": ["dfn"], "progress": ["progress"], "meter": ["meter"],
        "header": ["header", "footer", "main"], "footer": ["header", "footer", "main"],
        "address": ["address", "article", "aside", "footer", "h1", "h2", "h3", "h4", "h5", "h6", "header",
                    "hgroup", "nav", "section"],
        "th": ["header", "footer", "article", "aside", "nav", "section", "h1", "h2", "h3", "h4", "h5", "h6",
               "hgroup"],
        "caption": ["table"], "dt": ["header", "footer", "article", "aside", "nav", "section", "h1", "h2", "h3",
                                     "h4", "h5", "h6", "hgroup"],
    }
    elements = []
    for name in names:
        item = {"tagName": name}
        children = sorted(set(other.get(name, [])))
        # only the children the kind table refuses need listing
        children = [c for c in children if c in rows and not (
            rows[name][1] != 0 and kinds.fits(rows[name][1], rows[c][0]))]
        if children:
            item["otherAllowedChildren"] = children
        if name in forbidden:
            item["forbiddenDescendants"] = sorted(set(forbidden[name]))
        if name in HTML5_ATTRIBUTES:
            item["allowedAttributes"] = attrs(HTML5_ATTRIBUTES[name])
        if name in HTML5_COMMON:
            item["commonAttributes"] = HTML5_COMMON[name]
        if HTML5_REQUIRED.get(name):
            item["requiredAttributes"] = HTML5_REQUIRED[name]
        elements.append(item)
    check_gaps(names, rows, other)
    return elements


# ---------------------------------------------------------------------------


def spec_for(document_type, name, public_id, system_id):
    spec = {"persistableDocumentTypeName": name, "publicId": public_id, "systemId": system_id}
    if document_type == 8:
        spec["globalAttributeSpecs"] = attrs(HTML5_GLOBAL) + attrs(ARIA_ATTRIBUTES) + attrs(EVENT_HANDLERS)
        spec["commonGlobalAttributes"] = HTML5_COMMON_GLOBAL
        spec["elementSpecs"] = html5_elements()
        return spec
    xhtml = document_type >= 4
    xhtml11 = document_type == 7
    flavour = {1: "transitional", 2: "strict", 3: "frameset", 4: "transitional", 5: "strict",
               6: "frameset", 7: "strict"}[document_type]
    spec["commonGlobalAttributes"] = ["id", "class", "style", "title"]
    spec["attributeGroups"] = html4_attribute_groups(xhtml, xhtml11)
    spec["elementSpecs"] = html4_elements(flavour, xhtml, xhtml11)
    return spec


def template_for(document_type, name, public_id, system_id):
    if document_type == 8:
        doctype = "<!DOCTYPE html>"
    else:
        keyword = "<!DOCTYPE html PUBLIC" if document_type >= 4 else "<!DOCTYPE HTML PUBLIC"
        doctype = '%s "%s" "%s">' % (keyword, public_id, system_id)
    if document_type == 8:
        return (doctype + '\n<html lang="en">\n<head>\n    <meta charset="utf-8">\n'
                '    <title>Untitled</title>\n</head>\n<body>\n\n</body>\n</html>\n')
    if document_type >= 4:
        lang = ' xml:lang="en"' if document_type == 7 else ' lang="en" xml:lang="en"'
        return (doctype +
                '\n<html xmlns="http://www.w3.org/1999/xhtml"' + lang + '>\n<head>\n'
                '    <meta http-equiv="Content-Type" content="text/html; charset=UTF-8" />\n'
                '    <title>Untitled</title>\n</head>\n' +
                ('<frameset cols="*">\n    <frame src="about:blank" />\n</frameset>\n'
                 if document_type == 6 else '<body>\n\n</body>\n') + '</html>\n')
    return (doctype + '\n<html lang="en">\n<head>\n'
            '    <meta http-equiv="Content-Type" content="text/html; charset=UTF-8">\n'
            '    <title>Untitled</title>\n</head>\n' +
            ('<frameset cols="*">\n    <frame src="about:blank">\n    <noframes>\n    <body>\n    </body>\n'
             '    </noframes>\n</frameset>\n' if document_type == 3 else '<body>\n\n</body>\n') + '</html>\n')


BODY_ELEMENT_GROUPS = {
    "Text blocks": "p h1 h2 h3 h4 h5 h6 blockquote pre address hr div center hgroup",
    "Lists": "ul ol li dl dt dd dir menu menuitem",
    "Tables": "table caption colgroup col thead tbody tfoot tr th td",
    "Phrases": "a abbr acronym b bdi bdo big br cite code data del dfn em font i ins kbd mark q rb rp rt rtc "
               "ruby rbc s samp small span strike strong sub sup time tt u var wbr",
    "Images and media": "img picture source figure figcaption audio video track iframe embed object param "
                        "applet map area canvas",
    "Forms": "form fieldset legend label input button select optgroup option textarea datalist output "
             "progress meter keygen isindex",
    "Sections": "article aside nav section header footer main search details summary dialog",
    "Scripting": "script noscript template slot",
    "Frames": "frameset frame noframes",
}

ALLOWED_ELEMENT_RULES = {
    "table": {"whenAddedAdd": ["tbody", "td", "th", "thead", "tfoot", "tr", "caption", "colgroup", "col"]},
    "tr": {"whenAddedAdd": ["table", "td", "th", "tbody"], "whenRemovedRemove": []},
    "td": {"whenAddedAdd": ["table", "tbody", "tr"]},
    "th": {"whenAddedAdd": ["table", "tbody", "tr"]},
    "tbody": {"whenRemovedRemove": ["table", "thead", "tfoot"]},
    "ul": {"whenAddedAdd": ["li"]},
    "ol": {"whenAddedAdd": ["li"]},
    "menu": {"whenAddedAdd": ["li"]},
    "li": {"whenRemovedRemove": ["ul", "ol", "menu", "dir"]},
    "dl": {"whenAddedAdd": ["dt", "dd"]},
    "dt": {"whenRemovedRemove": ["dl"]},
    "dd": {"whenRemovedRemove": ["dl"]},
    "select": {"whenAddedAdd": ["option", "optgroup"]},
    "datalist": {"whenAddedAdd": ["option"]},
    "option": {"whenRemovedRemove": ["select", "datalist", "optgroup"]},
    "optgroup": {"whenAddedAdd": ["select", "option"]},
    "figure": {"whenAddedAdd": ["figcaption"]},
    "figcaption": {"whenAddedAdd": ["figure"]},
    "picture": {"whenAddedAdd": ["source", "img"]},
    "img": {"whenRemovedRemove": ["picture"]},
    "source": {"whenRemovedRemove": ["picture", "audio", "video"]},
    "audio": {"whenAddedAdd": ["source", "track"]},
    "video": {"whenAddedAdd": ["source", "track"]},
    "ruby": {"whenAddedAdd": ["rt", "rp"]},
    "rt": {"whenRemovedRemove": ["ruby"]},
    "fieldset": {"whenAddedAdd": ["legend"]},
    "legend": {"whenAddedAdd": ["fieldset"]},
    "details": {"whenAddedAdd": ["summary"]},
    "summary": {"whenAddedAdd": ["details"], "whenRemovedRemove": ["details"]},
    "map": {"whenAddedAdd": ["area"]},
    "area": {"whenRemovedRemove": ["map"]},
    "object": {"whenAddedAdd": ["param"]},
    "form": {"whenRemovedRemove": ["input", "button", "select", "textarea", "label", "fieldset"]},
}


def cpp_tables():
    out = ["// Generated by tools/generate_html_specs.py from tools/html_kind_tables.py. Do not edit.",
           '#include "html/VornickElementKindTables.h"', "", "namespace brevanton {", ""]
    tables = [("html401Transitional", 1), ("html401Strict", 2), ("html401Frameset", 3),
              ("xhtml10Transitional", 4), ("xhtml10Strict", 5), ("xhtml10Frameset", 6), ("html5", 8)]
    for symbol, document_type in tables:
        rows = kinds.rows_for_document_type(document_type)
        out.append("const VornickElementKindRecord %sElementKinds[] = {" % symbol)
        for name, kind, model in rows:
            out.append('    { u"%s", 0x%XULL, 0x%XULL },' % (name, kind, model))
        out.append("};")
        out.append("const size_t %sElementKindCount = %d;" % (symbol, len(rows)))
        out.append("")
    out.append("} // namespace brevanton")
    return "\n".join(out) + "\n"


def write_json(path, value):
    with open(path, "w", encoding="utf-8") as f:
        json.dump(value, f, ensure_ascii=False, indent=1)
        f.write("\n")


def main():
    resources = os.path.join(ROOT, "resources")
    all_tags = set()
    for document_type, name, public_id, system_id in DOCUMENT_TYPES:
        spec = spec_for(document_type, name, public_id, system_id)
        all_tags.update(e["tagName"] for e in spec["elementSpecs"])
        write_json(os.path.join(resources, name + ".brevantonhtmlspec"), spec)
        with open(os.path.join(resources, "New " + name + ".html"), "w", encoding="utf-8") as f:
            f.write(template_for(document_type, name, public_id, system_id))
    missing = sorted(all_tags - set(DESCRIPTIONS))
    if missing:
        raise SystemExit("elements without a description: " + " ".join(missing))
    write_json(os.path.join(resources, "HTML Element Descriptions.json"),
               {tag: DESCRIPTIONS[tag] for tag in sorted(all_tags)})
    write_json(os.path.join(resources, "HTML Body Element Groups.json"), {
        "groups": {group: tags.split() for group, tags in BODY_ELEMENT_GROUPS.items()},
        "allowedElementRules": {tag: {k: v for k, v in rule.items() if v}
                                for tag, rule in ALLOWED_ELEMENT_RULES.items()},
    })
    with open(os.path.join(ROOT, "html", "VornickElementKindTableData.cpp"), "w", encoding="utf-8") as f:
        f.write(cpp_tables())


if __name__ == "__main__":
    main()
