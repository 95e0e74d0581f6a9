// Turning the bytes of an HTML or XML file into text: the one decoding every
// path that makes a document from bytes goes through (opening a file, the web
// view's loads, parsing bytes into a DOM), so that the encoding found, and
// the byte-order mark a save must write again, are the same everywhere.
#pragma once

#include <string>
#include <string_view>

namespace brevanton {

enum class DocumentTextSyntax { HTML, XML };

struct DecodedDocumentText {
    // The text in UTF-8, without the byte-order mark.
    std::string utf8;
    // The canonical name of the encoding the bytes were read in ("UTF-8",
    // "windows-1252", "UTF-16LE", ...): the one to write them back in.
    std::u16string encoding;
    // The bytes began with the byte-order mark of that encoding.
    bool byteOrderMark { false };
    // Some bytes could not be decoded in that encoding and became U+FFFD:
    // writing the text back would lose them.
    bool replacedUndecodableBytes { false };
};

// The encoding is, in order: the one of a byte-order mark; the one the
// `transportLabel` names (an HTTP charset, a caller's choice); the one
// declared in the file (a META charset or http-equiv in the first 1024 bytes
// of HTML; the XML declaration's encoding, or UTF-16 by the first bytes, in
// XML); UTF-8 when the bytes are valid UTF-8; windows-1252 otherwise. Labels
// are read by the Encoding Standard's table, labels it does not list are
// passed over, and a declared UTF-16 label in bytes read as ASCII means
// UTF-8. Bytes the encoding cannot map become U+FFFD, and the result says so.
DecodedDocumentText decodeDocumentText(std::string_view bytes, DocumentTextSyntax, std::u16string_view transportLabel = {});

struct DecodedDocumentUTF16Text {
    // The text in UTF-16, without the byte-order mark.
    std::u16string text;
    // As in DecodedDocumentText.
    std::u16string encoding;
    bool byteOrderMark { false };
    bool replacedUndecodableBytes { false };
};

// The same decoding to UTF-16, for readers of UTF-16: bytes read as UTF-8
// are checked and converted in one pass (no UTF-8 copy in between).
DecodedDocumentUTF16Text decodeDocumentTextAsUTF16(std::string_view bytes, DocumentTextSyntax,
                                                   std::u16string_view transportLabel = {});

// The encoding a META element declares in the first 1024 bytes of HTML, as
// the encoding's canonical name; empty for none that can be used.
std::u16string declaredHTMLEncoding(std::string_view bytes);

} // namespace brevanton
