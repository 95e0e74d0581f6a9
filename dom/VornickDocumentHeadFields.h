// Settings the editor keeps inside a document's HEAD (direct children only):
// meta fields (a META whose "name" names the field, value in "content") and
// link fields (a LINK whose "rel" names the field, value in "href"). Field
// and tag names compare ignoring case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class DOMDocument;

inline constexpr std::u16string_view VornickHTMLFormattingPreferencesMetaFieldName = u"brevanton.formatprefs";
inline constexpr std::u16string_view VornickFragmentSetLinkFieldName = u"brevanton-snippet-set";

// The first matching field's value; nothing when there is none.
std::optional<std::u16string> vornick_getHeadMetaField(const DOMDocument&, std::u16string_view name);
std::optional<std::u16string> vornick_getHeadLinkField(const DOMDocument&, std::u16string_view name);
// The first matching field gets the value (nothing removes that element);
// without one a new field is appended to HEAD. Later matches stay as they are.
void vornick_setHeadMetaField(DOMDocument&, std::u16string_view name, std::optional<std::u16string_view> content);
void vornick_setHeadLinkField(DOMDocument&, std::u16string_view name, std::optional<std::u16string_view> urlString);

// The compact string of the document's own formatting preferences.
std::optional<std::u16string> vornick_HTMLFormattingPreferencesString(const DOMDocument&);
void vornick_setHTMLFormattingPreferencesString(DOMDocument&, std::optional<std::u16string_view>);
// The document's snippet set file, relative to the document.
std::optional<std::u16string> vornick_fragmentSetRelativeURLString(const DOMDocument&);
void vornick_setFragmentSetRelativeURLString(DOMDocument&, std::optional<std::u16string_view>);

} // namespace brevanton
