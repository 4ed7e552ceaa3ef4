#include "material/DecimalText.h"

#include <charconv>
#include <string>

String FormatDecimals(const float* values, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        char number[32];
        const std::to_chars_result end =
            std::to_chars(number, number + sizeof number, values[i], std::chars_format::general, 6);
        if (i > 0) text += ' ';
        text.append(number, end.ptr);
    }
    return String(text.c_str());
}

int ScanDecimals(const char* text, float* values, int count) {
    if (!text) return 0;
    const char* const end = text + std::char_traits<char>::length(text);
    const char* cursor = text;
    int read = 0;
    while (read < count) {
        while (cursor < end && (*cursor == ' ' || (*cursor >= '\t' && *cursor <= '\r'))) ++cursor;
        // A leading '+' is allowed in the files, as the C scanner allows it.
        const char* number = cursor;
        if (number < end && *number == '+') ++number;
        float value;
        const std::from_chars_result parsed =
            std::from_chars(number, end, value, std::chars_format::general);
        if (parsed.ec != std::errc() || (number != cursor && *number == '-')) break;
        values[read++] = value;
        cursor = parsed.ptr;
    }
    return read;
}
