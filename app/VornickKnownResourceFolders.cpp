#include "app/VornickKnownResourceFolders.h"

#include "platform/foundation/Assertions.h"

#include <algorithm>

namespace brevanton {

namespace {

bool isKnownResourceFileKind(std::u16string_view kind)
{
    return kind == u"image" || kind == u"video" || kind == u"audio";
}

} // namespace

std::vector<std::u16string> VornickKnownResourceFolders::relativeURLStringsForResourceFileKind(
    std::u16string_view kind) const
{
    BREVANTON_ASSERT(isKnownResourceFileKind(kind), "known resource file kind");
    auto found = m_folders.find(kind);
    return found == m_folders.end() ? std::vector<std::u16string>() : found->second;
}

void VornickKnownResourceFolders::addRelativeURLString(std::u16string_view kind, std::u16string relativeURLString)
{
    BREVANTON_ASSERT(isKnownResourceFileKind(kind), "known resource file kind");
    auto& folders = m_folders[std::u16string(kind)];
    if (std::find(folders.begin(), folders.end(), relativeURLString) == folders.end())
        folders.push_back(std::move(relativeURLString));
}

} // namespace brevanton
