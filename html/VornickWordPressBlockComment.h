// WordPress block delimiter comments: "<!-- wp:name {json} -->" opens a
// block, "<!-- /wp:name -->" closes it and "<!-- wp:name {json} /-->" is a
// whole block on its own. The type name is the first run of non-whitespace
// characters of the opening data, "wp:" included.
#pragma once

#include <string>
#include <string_view>

namespace brevanton {

enum class VornickWordPressBlockCommentKind {
    None,        // an ordinary comment
    Opening,     // "wp:name ..."
    Closing,     // "/wp:name"
    SelfClosing, // "wp:name ... /"
};

struct VornickWordPressBlockComment {
    VornickWordPressBlockCommentKind kind { VornickWordPressBlockCommentKind::None };
    // "wp:paragraph" for an opening or self-closing comment and for a
    // closing one (without its "/").
    std::u16string typeName;
};

// Classifies a comment by its data (the text between "<!--" and "-->").
VornickWordPressBlockComment VornickWordPressBlockCommentFromCommentData(std::u16string_view data);

} // namespace brevanton
