// VornickProjectOrComponentEditor: the base of the documents that edit a
// project or one of its components (a blog, a post). Files whose document
// class derives from it open when clicked rather than being inserted.
#pragma once

namespace brevanton {

class VornickProjectOrComponentEditor {
public:
    virtual ~VornickProjectOrComponentEditor() = default;
};

} // namespace brevanton
