// AttributedString: UTF-16 text with attribute runs. Each run shares one
// immutable attribute dictionary (attribute name to any value: a font, a
// colour, a paragraph style, ...); neighbouring runs with the same
// dictionary object are one run.
#pragma once

#include <any>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

using TextAttributeDictionary = std::map<std::string, std::any>;
using TextAttributes = std::shared_ptr<const TextAttributeDictionary>;

// Attribute names.
inline constexpr const char* FontAttributeName = "Font";
inline constexpr const char* ForegroundColorAttributeName = "ForegroundColor";
inline constexpr const char* BackgroundColorAttributeName = "BackgroundColor";
inline constexpr const char* ParagraphStyleAttributeName = "ParagraphStyle";
// A link target: a URL.
inline constexpr const char* LinkAttributeName = "Link";
// An int: one of the underline styles below.
inline constexpr const char* UnderlineStyleAttributeName = "UnderlineStyle";

inline constexpr int UnderlineStyleNone = 0;
inline constexpr int UnderlineStyleSingle = 1;

class AttributedString {
public:
    struct Run {
        size_t location { 0 };
        size_t length { 0 };
        TextAttributes attributes;
    };

    AttributedString() = default;
    explicit AttributedString(std::u16string string, TextAttributes attributes = nullptr);
    // Runs must be in order, without gaps, and cover the whole string.
    AttributedString(std::u16string string, std::vector<Run> runs);

    const std::u16string& string() const { return m_string; }
    size_t length() const { return m_string.size(); }
    const std::vector<Run>& runs() const { return m_runs; }

    // The attributes at `index` (null past the end) and, when asked, the
    // location and length of their run.
    TextAttributes attributesAtIndex(size_t index, size_t* runLocation = nullptr, size_t* runLength = nullptr) const;
    // A value of one attribute at `index`, or null when absent or of another type.
    template<typename T>
    const T* attributeAtIndex(const std::string& name, size_t index) const
    {
        auto attributes = attributesAtIndex(index);
        if (!attributes)
            return nullptr;
        auto found = attributes->find(name);
        return found == attributes->end() ? nullptr : std::any_cast<T>(&found->second);
    }

    // Replaces the attributes of a range (clamped to the string).
    void setAttributes(TextAttributes, size_t location, size_t length);
    void appendString(std::u16string_view, TextAttributes);
    // Replaces the characters of a range (clamped to the string) by
    // `replacement`, which takes the attributes of the first replaced
    // character; an insertion takes those of the character before it (of the
    // first character when inserting at the start).
    void replaceCharacters(size_t location, size_t length, std::u16string_view replacement);
    void deleteCharacters(size_t location, size_t length) { replaceCharacters(location, length, {}); }
    // Gives each run the attributes `transform(index, attributes)` answers
    // for it (neighbours that end up alike stay separate runs).
    template<typename Transform> void transformRunAttributes(Transform&& transform)
    {
        for (size_t i = 0; i < m_runs.size(); ++i) {
            TextAttributes attributes = transform(i, m_runs[i].attributes);
            if (attributes != m_runs[i].attributes)
                m_runs[i].attributes = std::move(attributes);
        }
    }
    // The characters of a range (clamped to the string) with their attributes.
    AttributedString attributedSubstring(size_t location, size_t length) const;
    void append(const AttributedString&);
    void clear();

private:
    size_t runIndexAtIndex(size_t index) const;
    void appendRun(size_t location, size_t length, TextAttributes);

    std::u16string m_string;
    std::vector<Run> m_runs;
};

} // namespace brevanton
