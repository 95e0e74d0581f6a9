// What the text finder asks of the view that shows its find bar (its
// container). Apart from the client, so that a view can be a container
// without taking in the finder's text ranges.
#pragma once

#include <memory>

namespace brevanton {

class View;

class TextFinderBarContainer {
public:
    virtual ~TextFinderBarContainer() = default;

    virtual std::shared_ptr<View> findBarView() const = 0;
    virtual void setFindBarView(const std::shared_ptr<View>&) = 0;
    virtual bool isFindBarVisible() const = 0;
    virtual void setFindBarVisible(bool) = 0;
    // The bar grew or shrank (its replace row was shown or hidden).
    virtual void findBarViewDidChangeHeight() {}
    virtual std::shared_ptr<View> contentView() const { return nullptr; }
};

} // namespace brevanton
