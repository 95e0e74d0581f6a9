// VornickKnownResourceFolders: the folders, relative to a folder of document
// files, where those documents keep their images, videos and sounds.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class VornickKnownResourceFolders {
public:
    // `kind` must be one of the known resource file kinds "image", "video"
    // and "audio" (anything else is a programming error). Empty when none.
    std::vector<std::u16string> relativeURLStringsForResourceFileKind(std::u16string_view kind) const;
    void addRelativeURLString(std::u16string_view kind, std::u16string relativeURLString);

private:
    std::map<std::u16string, std::vector<std::u16string>, std::less<>> m_folders;
};

} // namespace brevanton
