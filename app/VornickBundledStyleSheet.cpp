#include "app/VornickBundledStyleSheet.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace brevanton {

std::shared_ptr<VornickBundledStyleSheet> VornickBundledStyleSheet::create(const URL& fileURL)
{
    return std::shared_ptr<VornickBundledStyleSheet>(new VornickBundledStyleSheet(fileURL));
}

std::vector<std::shared_ptr<VornickBundledStyleSheet>> VornickBundledStyleSheet::loadBundledStyleSheets(
    const Bundle& bundle)
{
    std::vector<std::shared_ptr<VornickBundledStyleSheet>> sheets;
    std::filesystem::path folder = std::filesystem::path(bundle.resourcePath()) / toUTF8(VornickBundledStyleSheetsFolderName);
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        if (entry->path().extension() != ".css" || !entry->is_regular_file(error))
            continue;
        sheets.push_back(create(URL::fileURLWithPath(entry->path().string(), false)));
    }
    std::stable_sort(sheets.begin(), sheets.end(), [](const auto& a, const auto& b) {
        auto titleA = a->title(), titleB = b->title();
        if (int order = compareIgnoringCase(titleA, titleB))
            return order < 0;
        return titleA < titleB;
    });
    return sheets;
}

std::optional<std::u16string> VornickBundledStyleSheet::version() const
{
    auto text = contents();
    return text ? versionStringForBundledStyleSheetContents(*text) : std::nullopt;
}

} // namespace brevanton
