// VornickHTMLSyntaxColoringPreferences: the font and the colour of each
// colouring kind of HTML source, with cached text attributes per kind.
#pragma once

#include "html/VornickHTMLScannerToken.h"
#include "html/VornickSyntaxColoringTokenKind.h"
#include "platform/foundation/AttributedString.h"
#include "platform/foundation/Color.h"
#include "platform/views/Font.h"

#include <array>
#include <memory>
#include <mutex>
#include <optional>

namespace brevanton {

// "Menlo" at 18 points, made once.
std::shared_ptr<const Font> VornickDefaultSourceFont();

class VornickHTMLSyntaxColoringPreferences {
public:
    VornickHTMLSyntaxColoringPreferences();

    // The shared presets, each made on first use.
    static std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> usersDefaultHTMLSyntaxHighlightingPreferences();
    static std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> sourceLoupeLightHTMLSyntaxHighlightingPreferences();
    static std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> sourceLoupeDarkHTMLSyntaxHighlightingPreferences();
    static std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> formattingPreviewLightHTMLSyntaxHighlightingPreferences();
    static std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> formattingPreviewDarkHTMLSyntaxHighlightingPreferences();
    static std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> fragmentEditorLightHTMLSyntaxHighlightingPreferences();
    static std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> fragmentEditorDarkHTMLSyntaxHighlightingPreferences();
    // The background of an expanded snippet text view in the interface theme,
    // the same in both appearances or one for the light and one for the dark
    // presets. It must be set before the snippet editor presets are first made.
    static void setExpandedSnippetTextViewBackgroundColor(Color);
    static void setExpandedSnippetTextViewBackgroundColor(Color light, Color dark);

    // A new object with the font, both colours and the token colours; its caches start empty.
    std::shared_ptr<VornickHTMLSyntaxColoringPreferences> mutableCopy() const;

    const std::optional<FontDescriptor>& fontDescriptor() const { return m_fontDescriptor; }
    void setFontDescriptor(std::optional<FontDescriptor> descriptor) { m_fontDescriptor = std::move(descriptor); }
    const Color& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(Color color) { m_backgroundColor = color; }
    const Color& insertionPointColor() const { return m_insertionPointColor; }
    void setInsertionPointColor(Color color) { m_insertionPointColor = color; }

    // A font from the descriptor at its point size; none without a descriptor.
    std::shared_ptr<const Font> font() const;
    // None above TK_LAST.
    std::optional<Color> colorForTokenKind(VornickSyntaxColoringTokenKind) const;
    // Ignored above TK_LAST.
    void setColor(const Color&, VornickSyntaxColoringTokenKind);

    // No tab stops; default tab interval `spacesPerTab` widths of "X".
    std::shared_ptr<const ParagraphStyle> paragraphStyleWithSpacesPerTab(size_t spacesPerTab) const;
    // Font, foreground colour and paragraph style; cached per kind until the tab width changes.
    TextAttributes attributesDictionaryForTokenKind(VornickSyntaxColoringTokenKind, size_t spacesPerTab) const;
    void flushCachedAttributeDictionaries() const;

    static VornickSyntaxColoringTokenKind tokenKindForHTMLScannerToken(VornickHTMLScannerToken);

private:
    std::optional<FontDescriptor> m_fontDescriptor;
    Color m_backgroundColor;
    Color m_insertionPointColor;
    std::array<Color, TK_LAST + 1> m_tokenColors;

    mutable std::mutex m_cacheLock;
    mutable std::shared_ptr<const ParagraphStyle> m_paragraphStyle;
    mutable size_t m_paragraphStyleSpacesPerTab { 0 };
    mutable std::array<TextAttributes, TK_LAST + 1> m_attributeCache;
};

} // namespace brevanton
