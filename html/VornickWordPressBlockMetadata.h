// VornickWordPressBlockMetadata: the type name and JSON properties of one
// WordPress block opening comment, and the recognition of block delimiter
// comments. "<!-- wp:name {json} -->" opens a block, "<!-- /wp:name -->"
// closes it and "<!-- wp:name {json} /-->" is a whole block on its own.
#pragma once

#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

enum class VornickWordPressBlockCommentKind {
    None,        // an ordinary comment
    Opening,     // "wp:name ..."
    Closing,     // "/wp:name"
    SelfClosing, // "wp:name ... /"
};

struct VornickWordPressBlockComment {
    VornickWordPressBlockCommentKind kind { VornickWordPressBlockCommentKind::None };
    // "wp:paragraph", "wp:ns/name": the prefixed type name (a closing
    // comment's without its "/").
    std::u16string typeName;
};

// Classifies a comment by its data (the text between "<!--" and "-->"). A
// type name is "wp:" and [a-z][a-z0-9_-]* with an optional second such
// segment after "/" (the namespaced form); it must end the data or be
// followed by whitespace (or by the "/" that ends a self-closing comment).
VornickWordPressBlockComment VornickWordPressBlockCommentFromCommentData(std::u16string_view data);
// The kind alone, by the same rules, without making the type name.
VornickWordPressBlockCommentKind VornickWordPressBlockCommentKindFromCommentData(std::u16string_view data);

class VornickWordPressBlockMetadata {
public:
    // Parses an opening comment's data, with or without its surrounding
    // spaces. Null for data without a type name, and for properties that are
    // not a JSON object.
    static std::shared_ptr<VornickWordPressBlockMetadata> blockMetadataWithOpeningCommentText(std::u16string_view);
    // The type name alone of an opening comment's data, its properties left
    // unparsed; empty when it has none.
    static std::u16string_view typeNameOfOpeningCommentText(std::u16string_view);

    VornickWordPressBlockMetadata(std::u16string typeName, std::optional<Dictionary> properties);

    const std::u16string& typeName() const { return m_typeName; }
    void setTypeName(std::u16string typeName) { m_typeName = std::move(typeName); }
    // Absent when the comment carried none.
    const std::optional<Dictionary>& properties() const { return m_properties; }
    void setProperties(std::optional<Dictionary> properties) { m_properties = std::move(properties); }

    // A number (Booleans included); nullopt otherwise.
    std::optional<Value> numberForProperty(std::u16string_view key) const;
    // A string property, or the decimal text of a number; nullopt otherwise.
    std::optional<std::u16string> stringForProperty(std::u16string_view key) const;
    // Store a value, making the dictionary when there is none.
    void setNumber(const Value& number, const std::u16string& key);
    void setString(const std::u16string& string, const std::u16string& key);
    void removeProperty(std::u16string_view key);

    // The comment data of the opening comment, surrounding spaces included:
    // " wp:name " or " wp:name {json} ". The well-known keys come first in a
    // fixed order, the others after them in key order; empty strings are
    // left out. Strings are escaped so that the JSON can never end the
    // comment or read as markup ("--", "<", ">", "&" and '"' as \u escapes).
    std::u16string encodedAsCommentText() const;
    // The same for a block written as one self-closing comment (ending "/").
    std::u16string encodedAsSelfClosingCommentText() const;

    // The JSON object text of a dictionary, escaped as in comment text.
    static std::u16string encodedProperties(const Dictionary&, bool wellKnownKeysFirst);

private:
    std::u16string m_typeName;
    std::optional<Dictionary> m_properties;
};

} // namespace brevanton
