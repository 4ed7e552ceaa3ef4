// Records a font's calls, its text once formatted.
#pragma once

#include "capture/SessionRecorder.h"
#include "host/Font.h"

namespace orvcapture {

class RecordingFont : public Font, public Recorded {
public:
    static constexpr Interface kKind = Interface::Font;
    RecordingFont(SessionRecorder& recorder, Font* inner) : Recorded(recorder, kKind, inner), m_pInner(inner) {}
    const void* HostPointer() const override { return static_cast<const Font*>(this); }

    bool Print(int x, int y, uint32_t colour, const char* format, ...) override
        __attribute__((format(printf, 5, 6)));
    int GetTextWidth(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    int GetTextHeight() override;
    int GetAverageCharWidth() override;

private:
    Font* m_pInner;
};

}  // namespace orvcapture
