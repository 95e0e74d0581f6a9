#include "html/VornickWordPressHTMLTreeRecognizer.h"

#include "html/VornickScannedHTMLPart.h"
#include "html/VornickWordPressBlockMetadata.h"

namespace brevanton {

size_t VornickWordPressHTMLTreeRecognizer::partStackIndexOfEnclosingBlockStartCommentWithType(std::u16string_view typeName) const
{
    const auto& stack = partStack();
    for (size_t i = stack.size(); i-- > 0;) {
        auto* comment = dynamic_cast<VornickScannedHTMLBlockStartComment*>(stack[i].get());
        if (comment && comment->typeName() == typeName)
            return i;
    }
    return VornickNotFound;
}

void VornickWordPressHTMLTreeRecognizer::htmlScannerScannedToken(VornickHTMLScanner& scanner, VornickHTMLScannerToken token,
                                                                 std::u16string_view string, VornickRange range,
                                                                 const std::u16string* value)
{
    if (token != VornickHTMLScannerTokenComment) {
        VornickHTMLTreeRecognizer::htmlScannerScannedToken(scanner, token, string, range, value);
        return;
    }
    if (string.size() < 7 || !string.starts_with(u"<!--") || !string.ends_with(u"-->"))
        return;
    auto comment = VornickWordPressBlockCommentFromCommentData(string.substr(4, string.size() - 7));
    switch (comment.kind) {
    case VornickWordPressBlockCommentKind::Opening:
        pushPartAndNotify(std::make_shared<VornickScannedHTMLBlockStartComment>(range, std::move(comment.typeName)));
        break;
    case VornickWordPressBlockCommentKind::SelfClosing:
        pushPartAndNotify(std::make_shared<VornickScannedHTMLBlockStartComment>(range, std::move(comment.typeName)));
        popPartAndNotify();
        break;
    case VornickWordPressBlockCommentKind::Closing: {
        size_t index = partStackIndexOfEnclosingBlockStartCommentWithType(comment.typeName);
        if (index == VornickNotFound)
            break;
        while (partStack().size() > index)
            popPartAndNotify();
        break;
    }
    case VornickWordPressBlockCommentKind::None:
        break;
    }
}

} // namespace brevanton
