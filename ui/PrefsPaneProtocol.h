// PrefsPaneProtocol: a pane of the preferences window. The window shows
// one pane's view at a time under a toolbar with an item per pane (its
// name, picture and tool tip); a pane says whether the window may be
// resized while it shows.
#pragma once

#include <memory>
#include <string>

namespace brevanton {

class Image;
class View;

class PrefsPaneProtocol {
public:
    virtual ~PrefsPaneProtocol() = default;

    virtual std::u16string paneName() const = 0;
    virtual std::u16string paneIdentifier() const = 0;
    virtual std::shared_ptr<Image> paneIcon() const = 0;
    virtual std::u16string paneToolTip() const = 0;
    // The pane's view, made on first request and kept; null when it cannot be made.
    virtual std::shared_ptr<View> paneView() = 0;
    virtual bool allowsHorizontalResizing() const = 0;
    virtual bool allowsVerticalResizing() const = 0;
};

} // namespace brevanton
