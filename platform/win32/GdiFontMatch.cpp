#include "GdiFontMatch.h"

#include <fontconfig/fontconfig.h>

#include <memory>

namespace orvwin32 {
namespace {

constexpr unsigned kFixedPitch = 1;  // FIXED_PITCH
constexpr unsigned kFamilyRoman = 1;  // FF_ROMAN >> 4
constexpr unsigned kFamilyModern = 3;  // FF_MODERN >> 4
constexpr int kBoldFrom = 600;  // FW_SEMIBOLD and heavier ask for a bold face

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// Without a face name GDI picks by pitch and family; fontconfig's generic
// families say the same thing.
const char* GenericFamily(unsigned pitchAndFamily) {
    const unsigned family = pitchAndFamily >> 4;
    if ((pitchAndFamily & 3) == kFixedPitch || family == kFamilyModern) return "monospace";
    return family == kFamilyRoman ? "serif" : "sans-serif";
}

// Loads fontconfig's configuration once and lets it go when the library
// unloads; no pattern outlives a MatchGdiFont call.
bool FontconfigReady() {
    static const struct Session {
        bool ready = FcInit();
        ~Session() {
            if (ready) FcFini();
        }
    } session;
    return session.ready;
}

Pattern BuildPattern(const GdiFontRequest& request) {
    Pattern pattern(FcPatternCreate());
    if (!pattern) return nullptr;
    const char* family = request.faceName.empty() ? GenericFamily(request.pitchAndFamily)
                                                  : request.faceName.c_str();
    const int weight = request.weight > 0 ? request.weight : 400;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) return nullptr;
    FcDefaultSubstitute(pattern.get());
    return pattern;
}

}  // namespace

bool MatchGdiFont(const GdiFontRequest& request, GdiFontMatch* match) {
    if (!FontconfigReady()) return false;
    Pattern pattern = BuildPattern(request);
    if (!pattern) return false;
    FcResult result = FcResultNoMatch;
    Pattern found(FcFontMatch(nullptr, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!found || FcPatternGetString(found.get(), FC_FILE, 0, &file) != FcResultMatch) return false;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(found.get(), FC_INDEX, 0, &index);
    FcPatternGetInteger(found.get(), FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(found.get(), FC_SLANT, 0, &slant);
    match->file = reinterpret_cast<const char*>(file);
    match->index = index;
    match->syntheticBold = request.weight >= kBoldFrom && weight < FC_WEIGHT_DEMIBOLD;
    match->syntheticItalic = request.italic && slant == FC_SLANT_ROMAN;
    return true;
}

}  // namespace orvwin32
