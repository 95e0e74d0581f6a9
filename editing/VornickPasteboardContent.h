// What a paste or a drop takes from a pasteboard, in the one order of
// preference both use: two or more URLs, then web archive data, then one URL
// (with its title when the pasteboard has one), then plain text. Reading
// makes no fragments: each caller turns the content into its own.
#pragma once

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class Pasteboard;

enum class VornickPasteboardContentKind {
    None,
    URLs, // two or more URLs, in pasteboard order
    WebArchive,
    URL, // one URL, with its title when there is one
    String,
};

struct VornickPasteboardContent {
    VornickPasteboardContentKind kind { VornickPasteboardContentKind::None };
    // Kind URLs: every URL; kind URL: the one URL.
    std::vector<URL> urls;
    std::optional<std::u16string> urlTitle;
    Data webArchiveData;
    // Kind WebArchive, when the archive is one the editor copied itself: the
    // element the copied range lay in, by namespace and local name.
    std::optional<std::pair<std::u16string, std::u16string>> ownCopyContext;
    std::u16string string;
};

// The first kind of content the pasteboard holds, in order of preference. A
// single URL counts only when its scheme is a known common one; any other
// lets the reading go on to the plain text.
VornickPasteboardContent VornickReadPasteboardContent(const Pasteboard&);

// The editor's own web archive copies. A copy notes the pasteboard's change
// count once it has written, with the namespace and local name of the element
// its range lay in; while the pasteboard keeps that count its archive is the editor's own
// markup, which is pasted as it was copied rather than repaired as foreign
// markup is.
void VornickNoteOwnWebArchiveCopy(const Pasteboard&, std::u16string contextNamespaceURI, std::u16string contextLocalName);

} // namespace brevanton
