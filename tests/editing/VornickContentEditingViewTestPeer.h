// What tests and benchmarks reach inside VornickContentEditingView: the
// commands, validators and state its own files share, called with the view
// first (VornickContentEditingViewTestPeer::canUnwrapElement(view)).
#pragma once

#include "editing/VornickContentEditingViewInternals.h"

namespace brevanton {

class VornickContentEditingViewTestPeer : public VornickContentEditingView::Internals {
public:
    VornickContentEditingViewTestPeer() = delete;
};

} // namespace brevanton
