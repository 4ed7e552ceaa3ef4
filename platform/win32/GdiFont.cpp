#include "GdiFont.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace orvwin32 {
namespace {

constexpr int kDefaultPoints = 12;
constexpr double kLargestEm = 4096;  // pixels; bigger requests are clamped

// TEXTMETRIC pitch-and-family bits. TMPF_FIXED_PITCH set means variable pitch.
constexpr BYTE kVariablePitch = 0x01;
constexpr BYTE kVector = 0x02;
constexpr BYTE kTrueType = 0x04;
constexpr BYTE kFamilyRoman = 0x10;
constexpr BYTE kFamilySwiss = 0x20;
constexpr BYTE kFamilyModern = 0x30;

// Code page 1252 bytes 0x80 to 0x9F; the five unassigned bytes map to the
// control characters of the same number. Every other byte is its own code point.
constexpr uint16_t kWindows1252High[] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};
static_assert(sizeof kWindows1252High / sizeof kWindows1252High[0] == 0x20,
              "one entry per byte 0x80..0x9F");

uint32_t CodePointOf(unsigned char character) {
    if (character >= 0x80 && character < 0xA0) return kWindows1252High[character - 0x80];
    return character;
}

LONG Round(double value) { return static_cast<LONG>(std::lround(value)); }

}  // namespace

std::unique_ptr<GdiFont> GdiFont::Create(const GdiLogicalFont& logical, int dotsPerInch) {
    GdiFontRequest request;
    request.faceName = logical.faceName;
    request.weight = logical.weight;
    request.italic = logical.italic;
    request.pitchAndFamily = logical.pitchAndFamily;
    GdiFontMatch match;
    if (!MatchGdiFont(request, &match)) return nullptr;

    GdiFontFace::Style style;
    style.emboldened = match.syntheticBold;
    style.slanted = match.syntheticItalic;
    style.monochrome = logical.quality == NONANTIALIASED_QUALITY;
    std::unique_ptr<GdiFontFace> face = GdiFontFace::Open(match.file, match.index, style);
    if (!face || face->Design().unitsPerEm <= 0) return nullptr;

    std::unique_ptr<GdiFont> font(new GdiFont(std::move(face), match.file));
    font->Scale(logical, dotsPerInch, match);
    return font;
}

GdiFont::GdiFont(std::unique_ptr<GdiFontFace> face, std::string file)
    : m_Face(std::move(face)), m_File(std::move(file)), m_Metrics() {}

std::string GdiFont::Describe() const {
    return "font height " + std::to_string(m_Metrics.tmHeight) + " weight " +
           std::to_string(m_Metrics.tmWeight) + " (" + m_File + ")";
}

void GdiFont::Scale(const GdiLogicalFont& logical, int dotsPerInch, const GdiFontMatch& match) {
    const GdiFaceDesign& design = m_Face->Design();
    const double unitsPerEm = design.unitsPerEm;
    const double cell = std::max(1, design.winAscent + design.winDescent);

    // A negative height is the em, a positive one the whole cell.
    double em = kDefaultPoints * dotsPerInch / 72.0;
    if (logical.height < 0) em = -static_cast<double>(logical.height);
    if (logical.height > 0) em = logical.height * unitsPerEm / cell;
    em = std::clamp(em, 1.0, kLargestEm);
    const double averageUnits = design.averageCharWidth > 0 ? design.averageCharWidth : unitsPerEm / 2;
    double emX = em;
    if (logical.width != 0)
        emX = std::clamp(std::abs(static_cast<double>(logical.width)) * unitsPerEm / averageUnits,
                         1.0, kLargestEm);
    m_Face->SetSize(em, emX);
    const double scaleY = em / unitsPerEm;
    const double scaleX = emX / unitsPerEm;

    TEXTMETRICA& tm = m_Metrics;
    // Ascent and descent are rounded each on its own, as the system does for
    // a requested em (Arial 12 pt bold at 96 dpi: 14 + 3 = 17); a requested
    // cell height is kept whole.
    tm.tmAscent = Round(design.winAscent * scaleY);
    tm.tmDescent = logical.height > 0 ? Round(cell * scaleY) - tm.tmAscent
                                      : Round(design.winDescent * scaleY);
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = tm.tmHeight - Round(em);
    const int typoLine = design.hheaAscent + design.hheaDescent + design.lineGap;
    tm.tmExternalLeading = std::max<LONG>(0, Round((typoLine - cell) * scaleY));
    tm.tmAveCharWidth = design.averageCharWidth > 0 ? Round(design.averageCharWidth * scaleX)
                                                    : Glyph('x', false).advance;
    tm.tmMaxCharWidth = Round(design.boundingWidth * scaleX);
    const int requestedWeight = logical.weight > 0 ? logical.weight : FW_NORMAL;
    tm.tmWeight = (design.weightClass > 0 && !match.syntheticBold) ? design.weightClass : requestedWeight;
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = dotsPerInch;
    tm.tmDigitizedAspectY = dotsPerInch;
    uint32_t first = 0;
    uint32_t last = 0;
    m_Face->MappedRange(0xFF, &first, &last);
    tm.tmFirstChar = static_cast<BYTE>(first);
    tm.tmLastChar = static_cast<BYTE>(last);
    tm.tmDefaultChar = static_cast<BYTE>(first);
    tm.tmBreakChar = ' ';
    tm.tmItalic = design.italic || match.syntheticItalic;
    tm.tmUnderlined = logical.underline;
    tm.tmStruckOut = logical.strikeOut;
    const BYTE family = design.fixedPitch ? kFamilyModern : design.serif ? kFamilyRoman : kFamilySwiss;
    tm.tmPitchAndFamily = static_cast<BYTE>((design.fixedPitch ? 0 : kVariablePitch) | kVector |
                                            kTrueType | family);
    tm.tmCharSet = ANSI_CHARSET;
}

GdiGlyph GdiFont::Glyph(unsigned char character, bool render) const {
    return m_Face->Load(CodePointOf(character), render);
}

}  // namespace orvwin32
