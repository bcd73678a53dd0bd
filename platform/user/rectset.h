// Sets of rectangles for update regions and visible areas (internal): non-overlapping,
// half-open rectangles.
#pragma once

#include <vector>

#include "win32.h"

namespace winplat::detail {

using RectSet = std::vector<RECT>;

bool emptyRect(const RECT& r);
RECT intersection(const RECT& a, const RECT& b);
// Adds the part of `r` that the set does not cover yet.
void addRect(RectSet& set, const RECT& r);
// Removes `r` from every rectangle of the set.
void subtractRect(RectSet& set, const RECT& r);
// Keeps only what lies inside `r`.
void clipTo(RectSet& set, const RECT& r);
RECT boundingBox(const RectSet& set);
void offsetSet(RectSet& set, LONG dx, LONG dy);

}  // namespace winplat::detail
