// The kinds of inspector module the element editor may show for an element
// beside its attribute list; a view's inspectorModuleClassForElement answers
// one of them, or none for no module.
#pragma once

namespace brevanton {

enum class VornickElementInspectorModuleKind {
    // The module the element editor proposes for any element.
    ElementAttributes,
    // A WordPress image block's figure: its media item, size, style and link.
    WordPressImageBlockFigure,
};

} // namespace brevanton
