// RegularExpression: a compiled regular expression (ICU syntax) over UTF-16
// text. A value: copies share the immutable compiled form, and one
// expression may be matched from several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class RegularExpression {
public:
    enum Option : uint32_t {
        CaseInsensitive = 1 << 0,
        AllowCommentsAndWhitespace = 1 << 1,
        IgnoreMetacharacters = 1 << 2,
        DotMatchesLineSeparators = 1 << 3,
        AnchorsMatchLines = 1 << 4,
        UseUnixLineSeparators = 1 << 5,
        UseUnicodeWordBoundaries = 1 << 6,
    };

    // One match: the range of the whole match and of each capture group, as
    // UTF-16 offsets [start, end); a group that took no part has no range.
    struct Match {
        struct Range {
            size_t start { 0 };
            size_t end { 0 };
        };
        std::vector<std::optional<Range>> ranges;

        // The text of group `index` in `string`; none when the group took no part.
        std::optional<std::u16string_view> group(std::u16string_view string, size_t index) const;
    };

    // None when the pattern does not compile; `errorName` receives the reason.
    static std::optional<RegularExpression> create(std::u16string_view pattern, uint32_t options = 0,
                                                   std::string* errorName = nullptr);

    const std::u16string& pattern() const;
    size_t numberOfCaptureGroups() const;

    // Every match from the start of `string`, in order, until `block` sets
    // `stop`; answers false when it was stopped.
    bool enumerateMatches(std::u16string_view string, const std::function<void(const Match&, bool& stop)>& block) const;
    std::optional<Match> firstMatch(std::u16string_view string) const;
    bool hasMatch(std::u16string_view string) const { return firstMatch(string).has_value(); }

private:
    struct Implementation;
    explicit RegularExpression(std::shared_ptr<const Implementation>);
    std::shared_ptr<const Implementation> m_implementation;
};

} // namespace brevanton
