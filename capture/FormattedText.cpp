#include "capture/FormattedText.h"

#include <cstdio>

namespace orvcapture {

std::string FormatText(const char* format, va_list arguments) {
    if (!format) return std::string();
    char small[256];
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(small, sizeof small, format, arguments);
    std::string text;
    if (length >= 0 && static_cast<size_t>(length) < sizeof small) {
        text.assign(small, static_cast<size_t>(length));
    } else if (length >= 0) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(&text[0], text.size(), format, again);
        text.resize(static_cast<size_t>(length));
    }
    va_end(again);
    return text;
}

}  // namespace orvcapture
