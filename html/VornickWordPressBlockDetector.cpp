#include "html/VornickWordPressBlockDetector.h"

#include "html/VornickWordPressBlockMetadata.h"

namespace brevanton {

bool VornickWordPressBlockDetector::htmlStringContainsWordPressBlocksInString(std::u16string_view html)
{
    VornickWordPressBlockDetector detector;
    return detector.htmlStringContainsWordPressBlocks(html);
}

bool VornickWordPressBlockDetector::htmlStringContainsWordPressBlocks(std::u16string_view html)
{
    m_foundBlockComment = false;
    m_scanner = std::make_unique<VornickHTMLScanner>();
    m_scanner->setDelegate(this);
    (void)m_scanner->parseHTMLString(html);
    m_scanner.reset();
    return m_foundBlockComment;
}

void VornickWordPressBlockDetector::htmlScannerScannedToken(VornickHTMLScanner& scanner, VornickHTMLScannerToken token,
                                                            std::u16string_view string, VornickRange, const std::u16string*)
{
    if (token != VornickHTMLScannerTokenComment || !string.starts_with(u"<!--"))
        return;
    auto data = string.substr(4);
    if (data.ends_with(u"-->"))
        data.remove_suffix(3);
    auto kind = VornickWordPressBlockCommentFromCommentData(data).kind;
    if (kind == VornickWordPressBlockCommentKind::Opening || kind == VornickWordPressBlockCommentKind::SelfClosing) {
        m_foundBlockComment = true;
        scanner.stopParsing();
    }
}

} // namespace brevanton
