#include "html/VornickValidationAdvisory.h"

#include "toolkit/VornickJSONResources.h"
#include "platform/foundation/Text.h"

#include <fmt/format.h>
#include <unicode/regex.h>

namespace brevanton {

namespace {

const std::vector<std::shared_ptr<const icu::RegexPattern>>& attributeReferencingPatterns()
{
    static const std::vector<std::shared_ptr<const icu::RegexPattern>> patterns = [] {
        auto list = vornick_arrayOfRegularExpressionsFromJSONResource(u"tidy-attribute-referencing-message-patterns", 0);
        return list ? std::move(*list) : std::vector<std::shared_ptr<const icu::RegexPattern>> {};
    }();
    return patterns;
}

} // namespace

std::optional<std::u16string> VornickValidationAdvisory::attributeNameReferencedByMessage(std::u16string_view message)
{
    icu::UnicodeString subject(message.data(), static_cast<int32_t>(message.size()));
    int32_t candidateStart = -1;
    int32_t candidateEnd = -1;
    for (auto& pattern : attributeReferencingPatterns()) {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(subject, status));
        if (U_FAILURE(status))
            continue;
        while (matcher->find(status) && U_SUCCESS(status)) {
            if (matcher->groupCount() < 1)
                continue;
            int32_t start = matcher->start(1, status);
            int32_t end = matcher->end(1, status);
            if (U_FAILURE(status) || start < 0)
                break;
            candidateStart = start;
            candidateEnd = end;
            if (end > start)
                break;
        }
    }
    if (candidateStart < 0 || candidateEnd <= candidateStart || static_cast<size_t>(candidateEnd) > message.size())
        return std::nullopt;
    return std::u16string(message.substr(candidateStart, candidateEnd - candidateStart));
}

std::u16string VornickValidationAdvisory::description() const
{
    const char16_t* kindName = m_kind == VornickValidationAdvisoryKind::Error ? u"Error"
        : m_kind == VornickValidationAdvisoryKind::Warning                   ? u"Warning"
                                                                           : u"Unknown";
    std::u16string result = toUTF16(fmt::format("line {}, column {}: ", m_line, m_column));
    result += kindName;
    result += u": ";
    result += m_message;
    if (m_isStructuralIssue)
        result += u" (STRUCTURAL)";
    return result;
}

} // namespace brevanton
