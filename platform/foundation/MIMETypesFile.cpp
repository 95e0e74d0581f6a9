#include "platform/foundation/MIMETypesFile.h"

#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

std::vector<std::string_view> wordsOfLine(std::string_view line)
{
    constexpr std::string_view space = " \t\r\v\f";
    std::vector<std::string_view> words;
    size_t start = line.find_first_not_of(space);
    while (start != std::string_view::npos) {
        size_t end = line.find_first_of(space, start);
        words.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        start = end == std::string_view::npos ? end : line.find_first_not_of(space, end);
    }
    return words;
}

} // namespace

std::vector<MIMETypeExtensions> parseMIMETypesFile(std::string_view text)
{
    std::vector<MIMETypeExtensions> types;
    while (!text.empty()) {
        size_t lineEnd = text.find('\n');
        std::string_view line = text.substr(0, lineEnd);
        text = lineEnd == std::string_view::npos ? std::string_view() : text.substr(lineEnd + 1);
        if (auto hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        auto words = wordsOfLine(line);
        if (words.size() < 2 || words.front().find('/') == std::string_view::npos)
            continue;
        MIMETypeExtensions type { asciiLowercase(toUTF16(words.front())), {} };
        for (size_t i = 1; i < words.size(); ++i)
            type.extensions.push_back(asciiLowercase(toUTF16(words[i])));
        types.push_back(std::move(type));
    }
    return types;
}

} // namespace brevanton
