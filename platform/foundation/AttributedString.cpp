#include "platform/foundation/AttributedString.h"

#include <algorithm>

namespace brevanton {

AttributedString::AttributedString(std::u16string string, TextAttributes attributes)
    : m_string(std::move(string))
{
    if (!m_string.empty())
        m_runs.push_back({ 0, m_string.size(), std::move(attributes) });
}

AttributedString::AttributedString(std::u16string string, std::vector<Run> runs)
    : m_string(std::move(string))
{
    // Runs that already cover the text one after another, none empty and no
    // two neighbours alike, are taken as they are.
    bool normal = true;
    size_t next = 0;
    for (size_t i = 0; i < runs.size() && normal; ++i) {
        normal = runs[i].length && runs[i].location == next && (!i || runs[i].attributes != runs[i - 1].attributes);
        next = runs[i].location + runs[i].length;
    }
    if (normal) {
        m_runs = std::move(runs);
        return;
    }
    m_runs.reserve(runs.size());
    for (auto& run : runs)
        appendRun(run.location, run.length, std::move(run.attributes));
}

void AttributedString::appendRun(size_t location, size_t length, TextAttributes attributes)
{
    if (!length)
        return;
    if (!m_runs.empty() && m_runs.back().attributes == attributes && m_runs.back().location + m_runs.back().length == location) {
        m_runs.back().length += length;
        return;
    }
    m_runs.push_back({ location, length, std::move(attributes) });
}

size_t AttributedString::runIndexAtIndex(size_t index) const
{
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), index, [](size_t i, const Run& run) { return i < run.location; });
    return static_cast<size_t>(it - m_runs.begin()) - 1;
}

TextAttributes AttributedString::attributesAtIndex(size_t index, size_t* runLocation, size_t* runLength) const
{
    if (index >= m_string.size())
        return nullptr;
    auto& run = m_runs[runIndexAtIndex(index)];
    if (runLocation)
        *runLocation = run.location;
    if (runLength)
        *runLength = run.length;
    return run.attributes;
}

void AttributedString::setAttributes(TextAttributes attributes, size_t location, size_t length)
{
    struct { size_t location, length; } range { location, length };
    if (range.location >= m_string.size() || !range.length)
        return;
    size_t end = range.location + std::min(range.length, m_string.size() - range.location);
    std::vector<Run> runs;
    runs.reserve(m_runs.size() + 2);
    size_t first = runIndexAtIndex(range.location);
    runs.insert(runs.end(), m_runs.begin(), m_runs.begin() + first);
    auto& head = m_runs[first];
    if (head.location < range.location)
        runs.push_back({ head.location, range.location - head.location, head.attributes });
    runs.push_back({ range.location, end - range.location, std::move(attributes) });
    size_t last = runIndexAtIndex(end - 1);
    auto& tail = m_runs[last];
    if (tail.location + tail.length > end)
        runs.push_back({ end, tail.location + tail.length - end, tail.attributes });
    runs.insert(runs.end(), m_runs.begin() + last + 1, m_runs.end());
    m_runs.clear();
    for (auto& run : runs)
        appendRun(run.location, run.length, std::move(run.attributes));
}

void AttributedString::appendString(std::u16string_view string, TextAttributes attributes)
{
    size_t location = m_string.size();
    m_string += string;
    appendRun(location, string.size(), std::move(attributes));
}

void AttributedString::replaceCharacters(size_t location, size_t length, std::u16string_view replacement)
{
    location = std::min(location, m_string.size());
    length = std::min(length, m_string.size() - location);
    if (!length && replacement.empty())
        return;
    TextAttributes attributes;
    if (length)
        attributes = attributesAtIndex(location);
    else if (location)
        attributes = attributesAtIndex(location - 1);
    else if (!m_string.empty())
        attributes = attributesAtIndex(0);

    size_t end = location + length;
    // Within one run, in place: the run grows or shrinks and the later runs move.
    if (length && !replacement.empty()) {
        size_t index = runIndexAtIndex(location);
        if (end <= m_runs[index].location + m_runs[index].length) {
            m_runs[index].length = m_runs[index].length + replacement.size() - length;
            for (size_t i = index + 1; i < m_runs.size(); ++i)
                m_runs[i].location = m_runs[i].location + replacement.size() - length;
            m_string.replace(location, length, replacement);
            return;
        }
    }
    std::vector<Run> oldRuns = std::move(m_runs);
    m_runs.clear();
    m_runs.reserve(oldRuns.size() + 2);
    for (auto& run : oldRuns) {
        if (run.location >= location)
            break;
        appendRun(run.location, std::min(run.location + run.length, location) - run.location, run.attributes);
    }
    appendRun(location, replacement.size(), attributes);
    size_t shiftedEnd = location + replacement.size();
    for (auto& run : oldRuns) {
        size_t runEnd = run.location + run.length;
        if (runEnd <= end)
            continue;
        size_t start = std::max(run.location, end);
        appendRun(shiftedEnd + (start - end), runEnd - start, run.attributes);
    }
    m_string.replace(location, length, replacement);
}

AttributedString AttributedString::attributedSubstring(size_t location, size_t length) const
{
    location = std::min(location, m_string.size());
    length = std::min(length, m_string.size() - location);
    AttributedString result;
    if (!length)
        return result;
    size_t end = location + length;
    result.m_string = m_string.substr(location, length);
    for (size_t i = runIndexAtIndex(location); i < m_runs.size() && m_runs[i].location < end; ++i) {
        auto& run = m_runs[i];
        size_t start = std::max(run.location, location);
        result.appendRun(start - location, std::min(run.location + run.length, end) - start, run.attributes);
    }
    return result;
}

void AttributedString::append(const AttributedString& other)
{
    size_t offset = m_string.size();
    m_string += other.m_string;
    for (auto& run : other.m_runs)
        appendRun(run.location + offset, run.length, run.attributes);
}

void AttributedString::clear()
{
    m_string.clear();
    m_runs.clear();
}

} // namespace brevanton
