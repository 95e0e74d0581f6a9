// VornickAttachmentPointDescription: one place of a post template that a blog
// class knows, by identifier ("title", "body", ...) and the title shown to
// the user.
#pragma once

#include <string>

namespace brevanton {

// The places a post's fields go in a template.
inline constexpr const char16_t* VornickFeaturedImageAttachmentPointIdentifier = u"featuredImage";
inline constexpr const char16_t* VornickBodyAttachmentPointIdentifier = u"body";
inline constexpr const char16_t* VornickTitleAttachmentPointIdentifier = u"title";
inline constexpr const char16_t* VornickDateAttachmentPointIdentifier = u"date";
inline constexpr const char16_t* VornickTagsAttachmentPointIdentifier = u"tags";
inline constexpr const char16_t* VornickCategoriesAttachmentPointIdentifier = u"categories";

struct VornickAttachmentPointDescription {
    std::u16string title;
    std::u16string identifier;

    static VornickAttachmentPointDescription attachmentPointDescriptionWithTitle(std::u16string title, std::u16string identifier)
    {
        return { std::move(title), std::move(identifier) };
    }
    bool operator==(const VornickAttachmentPointDescription&) const = default;
};

} // namespace brevanton
