#include "TextFormat.h"

#include <cstdio>

std::string FormatText(const char* format, va_list arguments) {
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length));
        // The terminating NUL goes into the string's own spare byte.
        std::vsnprintf(&text[0], text.size() + 1, format, arguments);
    }
    return text;
}
