// Which generation of the platform's look the program runs under, so that
// drawing code can choose the older or the newer style of path bar
// segments, head metadata panes, group rows and the snippet set editor.
// Callers draw the newer look from generation 4 on.
#pragma once

namespace brevanton {

// 2 up to version 1266.0 of the look, 3 above it up to 1672.0, 4 above that.
unsigned VornickAppKitGenerationForVersionNumber(double versionNumber);
// The generation of the running view layer, computed on the first call.
unsigned VornickAppKitGeneration();

} // namespace brevanton
