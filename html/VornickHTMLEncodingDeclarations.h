// The encoding declarations of an HTML file's META elements, as written, and
// putting them back into a rewrite of the file. Tidy names the encoding it
// writes in its own way (US-ASCII for a windows-1252 page it writes as ASCII
// with character references, "iso-8859-1" for "latin1"): its repaired copy
// gets the page's own declarations back, so that the copy reads in the
// encoding the page reads in and an untouched page saves as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

// A META element's charset attribute, or the content attribute of one whose
// http-equiv is Content-Type: the attribute value as written (its quotes
// included), at its byte offset, and the element's tag (from its "<" to
// after its ">").
struct VornickHTMLEncodingDeclaration {
    bool isContentType { false };
    size_t location { 0 };
    std::string written;
    size_t tagLocation { 0 };
    size_t tagEnd { 0 };
};

// The declarations before the body's start tag, in order. The markup is
// read byte for byte, as the ASCII it is in any encoding a page can declare
// in a META element.
std::vector<VornickHTMLEncodingDeclaration> VornickHTMLEncodingDeclarationsInData(std::string_view bytes);

// `copy` with the declarations of `original` put back as written, one for
// one and in order. Tidy keeps a page's first META element that declares an
// encoding and drops the others: the original's elements past the copy's
// last are put back whole, as written, each on a line after it. None when
// nothing changes, or when the two do not declare alike (the copy's elements
// are not the original's first ones with the same kinds of declarations, or
// what is put back is written with other than ASCII bytes or breaks off):
// the copy is then left as it is.
std::optional<std::string> VornickHTMLDataWithEncodingDeclarationsOf(std::string_view copy, std::string_view original);

} // namespace brevanton
