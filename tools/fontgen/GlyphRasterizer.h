#pragma once

#include <string>
#include <vector>

#include "GlyphAtlas.h"

// Renders the 95 printable ASCII characters of a font file, each cropped to
// its ink horizontally and placed on a common baseline in a cell exactly
// cellHeight pixels tall. Picks the largest pixel size, at most
// maximumPixelSize, at which every glyph fits the cell, descenders included.
// False with a reason on failure.
bool RenderPrintableGlyphs(const std::string& fontPath, int cellHeight, int maximumPixelSize,
                           std::vector<GlyphImage>& glyphs, std::string& error);
