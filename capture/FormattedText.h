// printf-style text formatted once, whole, for the capture and the plug-in.
#pragma once

#include <cstdarg>
#include <string>

namespace orvcapture {

// The text `format` makes with `arguments`; "" for a null format or a
// format the C library refuses.
std::string FormatText(const char* format, va_list arguments);

}  // namespace orvcapture
