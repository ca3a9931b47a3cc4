#pragma once
// The lines of kelvaro-batch's info command: what a model holds, every number to its last
// bit. The browser edition shows the same lines.

#include <string>

#include "model/model.h"

namespace kelvaro {

// "name: ...", "bounds: ...", "box: on|off", "axes: on|off", "charges: N", one "charge:
// VALUE X Y Z" line per charge, then the settings (traceStep, pointSpacing, chargeRadius)
// and the potential range; each line ends with a line feed.
std::string modelInfoText(const Model& model);

}  // namespace kelvaro
