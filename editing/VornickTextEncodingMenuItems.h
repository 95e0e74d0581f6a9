// The text encoding items of a content editor's menu: each item's tag
// is an encoding number; the focused document's own encoding is checked,
// and choosing another switches the document to it as one undo step
// (VornickUndoableStringEncodingChange): its charset declaration names it
// and the next save writes in it.
#pragma once

namespace brevanton {

class ActionSender;
class MenuItem;
class VornickEditingContext;

inline constexpr const char* VornickChangeStringEncodingAction = "vornick_changeStringEncodingFromMenuItem:";

// Checks the item of the document's encoding; enabled exactly when choosing
// it would change the document (an editable view, a document with a HEAD, an
// encoding it can be written in, not its own).
bool VornickValidateStringEncodingMenuItem(VornickEditingContext&, MenuItem&);
// Beeps and changes nothing where the item is not enabled.
void VornickChangeStringEncodingFromMenuItem(VornickEditingContext&, ActionSender*);

} // namespace brevanton
