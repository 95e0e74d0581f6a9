// VornickWordPressHTMLTreeRecognizer: the source-text tree recognizer that
// also treats WordPress block comments as enclosing parts. An opening
// comment pushes a block start comment part; a self-closing one is pushed
// and popped at once; a closing comment pops down to the innermost open
// block of its type and is ignored when there is none.
#pragma once

#include "html/VornickHTMLTreeRecognizer.h"

namespace brevanton {

class VornickWordPressHTMLTreeRecognizer : public VornickHTMLTreeRecognizer {
public:
    // The stack index of the innermost block start comment part of exactly
    // this type; VornickNotFound when none.
    size_t partStackIndexOfEnclosingBlockStartCommentWithType(std::u16string_view typeName) const;

protected:
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;
};

} // namespace brevanton
