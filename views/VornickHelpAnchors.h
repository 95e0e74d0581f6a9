// The help topics the program opens, in one place: each anchor names a page
// of the help book, "resources/Brevanton Help/<anchor>.html". Code that
// opens help names its anchor here; a test holds every one to its page.
#pragma once

#include <array>
#include <string_view>

namespace brevanton::VornickHelpAnchor {

// The "?" buttons of the preference panes.
inline constexpr std::u16string_view GeneralPreferences = u"general-preferences";
inline constexpr std::u16string_view BloggingPreferences = u"blogging-preferences";
inline constexpr std::u16string_view HTMLFormattingPreferences = u"html-formatting-preference-pane";
// The blog login panel's "?" button.
inline constexpr std::u16string_view ConnectingToWordPress = u"connecting-to-wordpress";
// The "?" button of a post window's attachment point settings sheet.
inline constexpr std::u16string_view AttachmentPointSettings = u"attachment-point-settings";
// About's "Credits" link.
inline constexpr std::u16string_view Credits = u"credits";
// The embed block inspector's help line.
inline constexpr std::u16string_view EmbedBlocks = u"embed-blocks";

inline constexpr std::array<std::u16string_view, 7> all = {
    GeneralPreferences, BloggingPreferences, HTMLFormattingPreferences, ConnectingToWordPress,
    AttachmentPointSettings, Credits, EmbedBlocks,
};

} // namespace brevanton::VornickHelpAnchor
