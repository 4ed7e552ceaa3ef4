// Chooses the font file for a GDI font request through fontconfig. Like GDI,
// a face name that matches nothing still gets the closest installed font;
// the metric-compatible families stand in for the usual Windows faces.
#pragma once

#include <string>

namespace orvwin32 {

struct GdiFontRequest {
    std::string faceName;  // may be empty: then the pitch and family decide
    int weight = 0;        // FW_*; 0 is regular
    bool italic = false;
    unsigned pitchAndFamily = 0;  // low bits pitch, high nibble family (FF_*)
};

struct GdiFontMatch {
    std::string file;
    int index = 0;
    // The matched file lacks the requested boldness or slant and the
    // rasteriser has to make it up, as GDI does.
    bool syntheticBold = false;
    bool syntheticItalic = false;
};

// False when fontconfig finds no font at all.
bool MatchGdiFont(const GdiFontRequest& request, GdiFontMatch* match);

}  // namespace orvwin32
