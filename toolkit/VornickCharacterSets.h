// Fixed character sets of the editor, each built once on first use and
// shared by the whole process.
#pragma once

#include "toolkit/VornickWhitespaceSets.h"
#include "platform/foundation/CharacterSet.h"

namespace brevanton {

// The members of one named whitespace set of VornickWhitespaceTable.
const CharacterSet& vornick_characterSetForWhitespaceSet(VornickWhitespaceSet);

// A to Z and a to z.
const CharacterSet& vornick_ASCIILettersCharacterSet();
// The ASCII letters and the digits 0 to 9 (no other script's digits).
const CharacterSet& vornick_ASCIIAlphanumericCharacterSet();
// 0 to 9, A to F and a to f: exactly the digits vornick_hexIntegerValue reads.
const CharacterSet& vornick_hexDigitsCharacterSet();
// ".?!"
const CharacterSet& vornick_sentenceDelimiterCharacterSet();
// VornickHTMLWhitespace: whitespace, newlines and U+00A0.
const CharacterSet& vornick_whitespaceNonBreakingSpaceAndNewlineCharacterSet();
// "AEIOUaeiou"
const CharacterSet& vornick_vowelCharacterSet();
// What an HTML attribute name may hold: everything except unassigned code
// points, U+0000, control and format characters and the characters of
// "\"'>/=". A space is a member.
const CharacterSet& vornick_HTMLAttributeNameCharacterSet();
// VornickHTMLSpace: space, tab, LF, FF and CR.
const CharacterSet& vornick_HTMLSpaceCharacterSet();
// "&<>" and U+00A0.
const CharacterSet& vornick_HTMLMustEscapeInTextCharacterSet();
// Letters, marks, numbers and ":".
const CharacterSet& vornick_WordPressBlockTypeNameCharacterSet();

} // namespace brevanton
