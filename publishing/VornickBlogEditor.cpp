#include "publishing/VornickBlogEditor.h"

namespace brevanton {

VornickBlogEditor::~VornickBlogEditor() = default;

} // namespace brevanton
