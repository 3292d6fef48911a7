// Shading of paragraphs, rows and cells: a percentage of a foreground colour
// over a background, drawn as an 8×8 two-colour pattern (or one blended
// colour on paper and on two-colour devices).
#pragma once

#include <cstdint>

#include "textpane/layout/colors.h"
#include "textpane/layout/surface.h"
#include "textpane/model/paraformat.h"

namespace textpane {

class ColorTable;

// The band of a solid shading's percentage (the \shading value ÷ 100): 0
// draws the background only, 16 the foreground only.
int ShadingBand(int percent);
// The 8×8 pattern of a band (bands 0-16) or of a dark hatch (patterns 7-10);
// null for the patterns that draw nothing.
const uint8_t* ShadingPattern(const Shading& shading);

// The YIQ blend printing uses: `fore` over `back` by `percent`.
RGB BlendYiq(RGB fore, RGB back, int percent);
// The grey of the blended brightness, for two-colour devices.
RGB BlendGrey(RGB fore, RGB back, int percent);

void FillShading(Surface& surface, const Colors& colors, const ColorTable& table, const Shading& shading,
                 const LRect& r);

}  // namespace textpane
