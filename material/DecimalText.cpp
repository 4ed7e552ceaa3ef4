#include "material/DecimalText.h"

#include <charconv>
#include <string>

String FormatDecimals(const float* values, int count) {
    // Room for the longest number ("-1.17549e-38") and a blank, per value:
    // nothing is allocated but the string itself.
    constexpr size_t kNumberRoom = 16;
    char text[kMostDecimals * kNumberRoom + 1];
    char* const last = text + sizeof text - 1;
    char* end = text;
    for (int i = 0; i < count && i < kMostDecimals; ++i) {
        if (i > 0) *end++ = ' ';
        const std::to_chars_result written =
            std::to_chars(end, last, values[i], std::chars_format::general, 6);
        if (written.ec != std::errc()) break;  // each number has its room: never taken
        end = written.ptr;
    }
    *end = '\0';
    return String(text);
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
