#include "html/VornickHTMLSyntaxColoringPreferences.h"

namespace brevanton {

namespace {

std::mutex& expandedSnippetBackgroundLock()
{
    static std::mutex lock;
    return lock;
}

Color& expandedSnippetBackground(bool dark = false)
{
    static Color light = Color::genericGamma22White(0.96);
    static Color darkColor = Color::genericGamma22White(0.96);
    return dark ? darkColor : light;
}

} // namespace

std::shared_ptr<const Font> VornickDefaultSourceFont()
{
    static const std::shared_ptr<const Font> font = Font::fontWithName(u"Menlo", 18);
    return font;
}

VornickHTMLSyntaxColoringPreferences::VornickHTMLSyntaxColoringPreferences()
    : m_fontDescriptor(VornickDefaultSourceFont()->fontDescriptor())
    , m_backgroundColor(Color::white())
    , m_insertionPointColor(Color::black())
{
    m_tokenColors.fill(Color::black());
}

std::shared_ptr<VornickHTMLSyntaxColoringPreferences> VornickHTMLSyntaxColoringPreferences::mutableCopy() const
{
    auto copy = std::make_shared<VornickHTMLSyntaxColoringPreferences>();
    copy->m_fontDescriptor = m_fontDescriptor;
    copy->m_backgroundColor = m_backgroundColor;
    copy->m_insertionPointColor = m_insertionPointColor;
    copy->m_tokenColors = m_tokenColors;
    return copy;
}

std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> VornickHTMLSyntaxColoringPreferences::usersDefaultHTMLSyntaxHighlightingPreferences()
{
    static const auto preset = [] {
        auto p = std::make_shared<VornickHTMLSyntaxColoringPreferences>();
        const Color colors[] = { Color::white(), Color::white(), Color::black(), Color::purple(), Color::green(), Color::orange(),
                                 Color::orange(), Color::orange(), Color::yellow(), Color::orange(), Color::darkGray() };
        for (VornickSyntaxColoringTokenKind kind = 0; kind <= TK_LAST; ++kind)
            p->setColor(colors[kind], kind);
        return std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>(p);
    }();
    return preset;
}

std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> VornickHTMLSyntaxColoringPreferences::sourceLoupeLightHTMLSyntaxHighlightingPreferences()
{
    static const auto preset = [] {
        auto p = usersDefaultHTMLSyntaxHighlightingPreferences()->mutableCopy();
        p->setBackgroundColor(Color::genericGamma22White(227.0 / 255));
        p->setColor(Color::black(), TK_DEFAULT_TEXT);
        p->setColor(Color::black(), TK_OTHER_TEXT);
        p->setColor(Color::black(), TK_SNIPPET_EXPRESSION);
        p->setColor(Color::genericGamma22White(127.0 / 255), TK_ENTITY_REFERENCE);
        p->setColor(Color::sRGB255(0, 128, 255), TK_COMMENT);
        for (auto kind : { TK_MARKUP_PUNCTUATION, TK_TAG_NAME, TK_ATTRIBUTE_NAME, TK_DOCTYPE })
            p->setColor(Color::sRGB255(0, 162, 0), kind);
        p->setColor(Color::sRGB255(77, 169, 224), TK_ATTRIBUTE_VALUE);
        p->setColor(Color::sRGB255(255, 128, 0), TK_XML_DECLARATION);
        return std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>(p);
    }();
    return preset;
}

std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> VornickHTMLSyntaxColoringPreferences::sourceLoupeDarkHTMLSyntaxHighlightingPreferences()
{
    static const auto preset = [] {
        auto p = usersDefaultHTMLSyntaxHighlightingPreferences()->mutableCopy();
        p->setBackgroundColor(Color::genericGamma22White(36.0 / 255));
        return std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>(p);
    }();
    return preset;
}

std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> VornickHTMLSyntaxColoringPreferences::formattingPreviewLightHTMLSyntaxHighlightingPreferences()
{
    static const auto preset = [] {
        auto p = sourceLoupeLightHTMLSyntaxHighlightingPreferences()->mutableCopy();
        p->setFontDescriptor(FontDescriptor(u"Menlo", 14));
        return std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>(p);
    }();
    return preset;
}

std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> VornickHTMLSyntaxColoringPreferences::formattingPreviewDarkHTMLSyntaxHighlightingPreferences()
{
    static const auto preset = [] {
        auto p = sourceLoupeDarkHTMLSyntaxHighlightingPreferences()->mutableCopy();
        p->setFontDescriptor(FontDescriptor(u"Menlo", 14));
        return std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>(p);
    }();
    return preset;
}

void VornickHTMLSyntaxColoringPreferences::setExpandedSnippetTextViewBackgroundColor(Color color)
{
    setExpandedSnippetTextViewBackgroundColor(color, color);
}

void VornickHTMLSyntaxColoringPreferences::setExpandedSnippetTextViewBackgroundColor(Color light, Color dark)
{
    std::lock_guard lock(expandedSnippetBackgroundLock());
    expandedSnippetBackground(false) = light;
    expandedSnippetBackground(true) = dark;
}

std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> VornickHTMLSyntaxColoringPreferences::fragmentEditorLightHTMLSyntaxHighlightingPreferences()
{
    static const auto preset = [] {
        auto p = sourceLoupeLightHTMLSyntaxHighlightingPreferences()->mutableCopy();
        std::lock_guard lock(expandedSnippetBackgroundLock());
        p->setBackgroundColor(expandedSnippetBackground());
        p->setInsertionPointColor(Color::black());
        return std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>(p);
    }();
    return preset;
}

std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> VornickHTMLSyntaxColoringPreferences::fragmentEditorDarkHTMLSyntaxHighlightingPreferences()
{
    static const auto preset = [] {
        auto p = sourceLoupeDarkHTMLSyntaxHighlightingPreferences()->mutableCopy();
        std::lock_guard lock(expandedSnippetBackgroundLock());
        p->setBackgroundColor(expandedSnippetBackground(true));
        p->setInsertionPointColor(Color::white());
        return std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>(p);
    }();
    return preset;
}

std::shared_ptr<const Font> VornickHTMLSyntaxColoringPreferences::font() const
{
    if (!m_fontDescriptor)
        return nullptr;
    return Font::fontWithDescriptor(*m_fontDescriptor, m_fontDescriptor->pointSize());
}

std::optional<Color> VornickHTMLSyntaxColoringPreferences::colorForTokenKind(VornickSyntaxColoringTokenKind kind) const
{
    if (kind > TK_LAST)
        return std::nullopt;
    return m_tokenColors[kind];
}

void VornickHTMLSyntaxColoringPreferences::setColor(const Color& color, VornickSyntaxColoringTokenKind kind)
{
    if (kind <= TK_LAST)
        m_tokenColors[kind] = color;
}

std::shared_ptr<const ParagraphStyle> VornickHTMLSyntaxColoringPreferences::paragraphStyleWithSpacesPerTab(size_t spacesPerTab) const
{
    std::lock_guard lock(m_cacheLock);
    if (!m_paragraphStyle || m_paragraphStyleSpacesPerTab != spacesPerTab) {
        auto theFont = font();
        if (!theFont)
            theFont = VornickDefaultSourceFont();
        m_paragraphStyle = std::make_shared<const ParagraphStyle>(spacesPerTab * theFont->widthOfString(u"X"));
        m_paragraphStyleSpacesPerTab = spacesPerTab;
    }
    return m_paragraphStyle;
}

TextAttributes VornickHTMLSyntaxColoringPreferences::attributesDictionaryForTokenKind(VornickSyntaxColoringTokenKind kind,
                                                                                     size_t spacesPerTab) const
{
    if (kind > TK_LAST)
        kind = TK_OTHER_TEXT;
    {
        std::lock_guard lock(m_cacheLock);
        if (m_paragraphStyle && m_paragraphStyleSpacesPerTab != spacesPerTab)
            m_attributeCache.fill(nullptr);
        if (m_paragraphStyle && m_attributeCache[kind])
            return m_attributeCache[kind];
    }
    auto paragraphStyle = paragraphStyleWithSpacesPerTab(spacesPerTab);
    auto theFont = font();
    auto dictionary = std::make_shared<TextAttributeDictionary>();
    (*dictionary)[FontAttributeName] = theFont ? theFont : VornickDefaultSourceFont();
    (*dictionary)[ForegroundColorAttributeName] = m_tokenColors[kind];
    (*dictionary)[ParagraphStyleAttributeName] = paragraphStyle;
    std::lock_guard lock(m_cacheLock);
    m_attributeCache[kind] = dictionary;
    return dictionary;
}

void VornickHTMLSyntaxColoringPreferences::flushCachedAttributeDictionaries() const
{
    std::lock_guard lock(m_cacheLock);
    m_attributeCache.fill(nullptr);
}

VornickSyntaxColoringTokenKind VornickHTMLSyntaxColoringPreferences::tokenKindForHTMLScannerToken(VornickHTMLScannerToken token)
{
    switch (token) {
    case VornickHTMLScannerTokenSnippetExpression: return TK_SNIPPET_EXPRESSION;
    case VornickHTMLScannerTokenEntityReference: return TK_ENTITY_REFERENCE;
    case VornickHTMLScannerTokenComment: return TK_COMMENT;
    case VornickHTMLScannerTokenElementTagName: return TK_TAG_NAME;
    case VornickHTMLScannerTokenElementAttributeName: return TK_ATTRIBUTE_NAME;
    case VornickHTMLScannerTokenElementAttributeValue: return TK_ATTRIBUTE_VALUE;
    case VornickHTMLScannerTokenDOCTYPE: return TK_DOCTYPE;
    case VornickHTMLScannerTokenXML:
    case VornickHTMLScannerTokenXMLHeaderAttributeName:
    case VornickHTMLScannerTokenXMLHeaderAttributeValue: return TK_XML_DECLARATION;
    case u'!':
    case u'/':
    case u'<':
    case u'=':
    case u'>': return TK_MARKUP_PUNCTUATION;
    default: return TK_OTHER_TEXT;
    }
}

} // namespace brevanton
