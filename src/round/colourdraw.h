#pragma once

namespace sequence
{

// Colour codes: 1 green, 2 red, 3 blue, 4 yellow.
inline constexpr int colourCount = 4;

// The whole part of r * 4 + 1 for r in [0, 1): 1 below 0.25, 2 below 0.5, 3 below 0.75, else 4.
int colourFor(float r);

} // namespace sequence
