#include "capture/RecordingFont.h"

#include <cstdarg>

#include "capture/FormattedText.h"

namespace orvcapture {

bool RecordingFont::Print(int x, int y, uint32_t colour, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::string text = FormatText(format, arguments);
    va_end(arguments);
    const char* line = text.c_str();
    return Rec(Operation::Font_Print, [&] { return m_pInner->Print(x, y, colour, "%s", line); }, x, y,
               colour, line);
}

int RecordingFont::GetTextWidth(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::string text = FormatText(format, arguments);
    va_end(arguments);
    const char* line = text.c_str();
    return Rec(Operation::Font_GetTextWidth, [&] { return m_pInner->GetTextWidth("%s", line); }, line);
}

int RecordingFont::GetTextHeight() {
    return Rec(Operation::Font_GetTextHeight, [&] { return m_pInner->GetTextHeight(); });
}

int RecordingFont::GetAverageCharWidth() {
    return Rec(Operation::Font_GetAverageCharWidth, [&] { return m_pInner->GetAverageCharWidth(); });
}

}  // namespace orvcapture
