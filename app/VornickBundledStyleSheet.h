// VornickBundledStyleSheet: a style sheet shipped in the application's
// resources folder "BundledStyleSheets". Its title (the file name without
// ".css") is the name written in the marker comments of an embedded copy.
#pragma once

#include "app/VornickStyleSheet.h"

#include <vector>

namespace brevanton {

class Bundle;

inline constexpr const char16_t* VornickBundledStyleSheetsFolderName = u"BundledStyleSheets";

class VornickBundledStyleSheet final : public VornickStyleSheet {
public:
    static std::shared_ptr<VornickBundledStyleSheet> create(const URL& fileURL);

    // The .css files of the bundle's "BundledStyleSheets" folder, sorted by
    // title ignoring case; empty when there is no such folder.
    static std::vector<std::shared_ptr<VornickBundledStyleSheet>> loadBundledStyleSheets(const Bundle&);

    // The version written in the sheet's leading comment, or nullopt.
    std::optional<std::u16string> version() const;

private:
    explicit VornickBundledStyleSheet(URL fileURL) : VornickStyleSheet(std::move(fileURL)) {}
};

} // namespace brevanton
