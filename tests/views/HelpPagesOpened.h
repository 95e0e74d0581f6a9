// While it lives, the files the program would open with the desktop
// (xdg-open) are recorded instead, so that no test launches a browser; the
// help's pages among them are the ones a help button asked for. And where
// a view's help button, the "?", is.
#pragma once

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/views/Button.h"
#include "platform/views/View.h"
#include "toolkit/VornickWorkspaceExtensions.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton::testing {

class HelpPagesOpened {
public:
    HelpPagesOpened()
    {
        vornick_setWebBrowserOpenerForTesting([this](const URL& url) { m_paths.push_back(url.fileSystemPath().value_or("not a file")); });
    }
    ~HelpPagesOpened() { vornick_setWebBrowserOpenerForTesting({}); }
    HelpPagesOpened(const HelpPagesOpened&) = delete;
    HelpPagesOpened& operator=(const HelpPagesOpened&) = delete;

    // The paths of the files handed on, in order.
    const std::vector<std::string>& paths() const { return m_paths; }

    // Where the help book keeps the anchor's page.
    static std::string pageOf(std::u16string_view anchor)
    {
        return Bundle::main().resourcePath() + "/Brevanton Help/" + toUTF8(anchor) + ".html";
    }
    // Just that page, as one opening asks for it.
    static std::vector<std::string> onlyPageOf(std::u16string_view anchor) { return { pageOf(anchor) }; }

    // The first button titled "?" in the view's tree, or null.
    static std::shared_ptr<Button> helpButtonIn(const View& view)
    {
        for (const auto& subview : view.subviews()) {
            if (auto button = std::dynamic_pointer_cast<Button>(subview); button && button->title() == u"?")
                return button;
            if (auto inside = helpButtonIn(*subview))
                return inside;
        }
        return nullptr;
    }

private:
    std::vector<std::string> m_paths;
};

} // namespace brevanton::testing
