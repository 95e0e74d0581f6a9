// VornickWordPressBlockMetadata: the type name and JSON properties of one
// WordPress block opening comment.
#pragma once

#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class VornickWordPressBlockMetadata {
public:
    // Parses an opening comment's data, with or without its surrounding
    // spaces. Null for data without a type name, and for properties that are
    // not a JSON object.
    static std::shared_ptr<VornickWordPressBlockMetadata> blockMetadataWithOpeningCommentText(std::u16string_view);

    VornickWordPressBlockMetadata(std::u16string typeName, std::optional<Dictionary> properties);

    const std::u16string& typeName() const { return m_typeName; }
    // Absent when the comment carried none.
    const std::optional<Dictionary>& properties() const { return m_properties; }
    // A string property, or the decimal text of a number; nullopt otherwise.
    std::optional<std::u16string> stringForProperty(std::u16string_view key) const;

private:
    std::u16string m_typeName;
    std::optional<Dictionary> m_properties;
};

} // namespace brevanton
