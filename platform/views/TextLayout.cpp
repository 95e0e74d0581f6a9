#include "platform/views/TextLayout.h"

#include "platform/views/SystemFonts.h"

#include <algorithm>
#include <deque>
#include <vector>

namespace brevanton {

namespace {

// The font of a run's attributes (the system font without one) and its line
// height, each found once per attribute dictionary: the runs of one
// colouring kind share theirs.
class RunFonts {
public:
    RunFonts() : m_defaultFont(systemFontOfSize(0)) {}
    const Font& defaultFont() const { return *m_defaultFont; }
    struct Known {
        const TextAttributeDictionary* attributes;
        const Font* font;
        double lineHeight;
    };
    const Known& fontOf(const TextAttributeDictionary* attributes)
    {
        for (const auto& known : m_known) {
            if (known.attributes == attributes)
                return known;
        }
        const Font* font = m_defaultFont.get();
        if (attributes) {
            auto found = attributes->find(FontAttributeName);
            if (found != attributes->end()) {
                if (auto* runFont = std::any_cast<std::shared_ptr<const Font>>(&found->second); runFont && *runFont)
                    font = runFont->get();
            }
        }
        m_known.push_back({ attributes, font, font->lineHeight() });
        return m_known.back();
    }

private:
    std::shared_ptr<const Font> m_defaultFont;
    std::deque<Known> m_known;
};

// Lines that count this many characters more than the longest line measured
// so far are measured too; a tab counts as this many characters.
constexpr size_t MeasuredLineCount = 32;
constexpr size_t TabCharacterCount = 8;

} // namespace

Size sizeOfAttributedString(const AttributedString& text)
{
    const auto& string = text.string();
    const auto& runs = text.runs();
    RunFonts fonts;
    if (string.empty())
        return { 0, 0 };

    // The pieces of one font (the runs, and the gaps between them in the
    // system font) in order.
    struct Piece {
        size_t from;
        size_t to;
        const RunFonts::Known* font;
    };
    std::vector<Piece> pieces;
    pieces.reserve(runs.size() * 2 + 1);
    size_t covered = 0;
    for (const auto& run : runs) {
        if (run.location >= string.size())
            break;
        if (run.location > covered)
            pieces.push_back({ covered, run.location, &fonts.fontOf(nullptr) });
        size_t end = std::min(string.size(), run.location + run.length);
        if (end > std::max(covered, run.location))
            pieces.push_back({ std::max(covered, run.location), end, &fonts.fontOf(run.attributes.get()) });
        covered = std::max(covered, end);
    }
    if (covered < string.size())
        pieces.push_back({ covered, string.size(), &fonts.fontOf(nullptr) });

    // Heights: each line as high as its tallest font. Widths: measuring every
    // line would ask the font for every run; a source's widest line is among
    // its longest in characters, so only the longest lines are measured, as
    // the text view draws them (a piece of one font at a time).
    struct Line {
        size_t start;
        size_t firstPiece;
        size_t characters;
    };
    std::vector<Line> longest;
    auto keep = [&](const Line& line) {
        auto byLength = [](const Line& a, const Line& b) { return a.characters > b.characters; };
        if (longest.size() < MeasuredLineCount) {
            longest.push_back(line);
            std::push_heap(longest.begin(), longest.end(), byLength);
        } else if (line.characters > longest.front().characters) {
            std::pop_heap(longest.begin(), longest.end(), byLength);
            longest.back() = line;
            std::push_heap(longest.begin(), longest.end(), byLength);
        }
    };
    double height = 0;
    double lineHeight = 0;
    Line line { 0, 0, 0 };
    for (size_t index = 0; index < pieces.size(); ++index) {
        const Piece& piece = pieces[index];
        double pieceLineHeight = piece.font->lineHeight;
        for (size_t at = piece.from; at < piece.to; ++at) {
            char16_t character = string[at];
            lineHeight = std::max(lineHeight, pieceLineHeight);
            if (character != u'\n') {
                line.characters += character == u'\t' ? TabCharacterCount : 1;
                continue;
            }
            height += lineHeight;
            lineHeight = 0;
            keep(line);
            line = { at + 1, index, 0 };
        }
    }
    // The last line (empty after a final line break) is as high as the system font's.
    height += lineHeight > 0 ? lineHeight : fonts.defaultFont().lineHeight();
    keep(line);

    double width = 0;
    for (const Line& measured : longest) {
        double lineWidth = 0;
        // Found once per line: a coloured line of megabytes has millions of pieces.
        size_t lineEnd = string.find(u'\n', measured.start);
        if (lineEnd == std::u16string::npos)
            lineEnd = string.size();
        for (size_t index = measured.firstPiece; index < pieces.size(); ++index) {
            const Piece& piece = pieces[index];
            size_t from = std::max(piece.from, measured.start);
            size_t to = std::min(piece.to, lineEnd);
            if (to > from)
                lineWidth += piece.font->font->widthOfString(std::u16string_view(string).substr(from, to - from));
            if (to < piece.to || to == string.size())
                break;
        }
        width = std::max(width, lineWidth);
    }
    return { width, height };
}

} // namespace brevanton
