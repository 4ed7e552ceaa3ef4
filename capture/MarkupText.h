// A host markup tree as text (compact), as the capture stores the trees a
// host passes to materials; "" for null.
#pragma once

#include <string>

class OML;

namespace orvcapture {

std::string MarkupText(OML* tag);

}  // namespace orvcapture
