// Rectangle sets: each change keeps the rectangles disjoint, so areas add up exactly.
#include "rectset.h"

#include <algorithm>

namespace winplat::detail {

bool emptyRect(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT intersection(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return emptyRect(r) ? RECT{} : r;
}

namespace {

// The parts of `a` outside `b`: up to four rectangles (above, below, left, right).
void difference(const RECT& a, const RECT& b, RectSet& out) {
    RECT common = intersection(a, b);
    if (emptyRect(common)) {
        out.push_back(a);
        return;
    }
    if (a.top < common.top) out.push_back({a.left, a.top, a.right, common.top});
    if (common.bottom < a.bottom) out.push_back({a.left, common.bottom, a.right, a.bottom});
    if (a.left < common.left) out.push_back({a.left, common.top, common.left, common.bottom});
    if (common.right < a.right) out.push_back({common.right, common.top, a.right, common.bottom});
}

}  // namespace

void subtractRect(RectSet& set, const RECT& r) {
    if (emptyRect(r)) return;
    RectSet out;
    out.reserve(set.size() + 4);
    for (const RECT& a : set) difference(a, r, out);
    set.swap(out);
}

void addRect(RectSet& set, const RECT& r) {
    if (emptyRect(r)) return;
    RectSet pieces{r};
    for (const RECT& a : set) subtractRect(pieces, a);
    set.insert(set.end(), pieces.begin(), pieces.end());
}

void clipTo(RectSet& set, const RECT& r) {
    RectSet out;
    for (const RECT& a : set)
        if (RECT c = intersection(a, r); !emptyRect(c)) out.push_back(c);
    set.swap(out);
}

RECT boundingBox(const RectSet& set) {
    if (set.empty()) return {};
    RECT box = set.front();
    for (const RECT& r : set) {
        box.left = std::min(box.left, r.left);
        box.top = std::min(box.top, r.top);
        box.right = std::max(box.right, r.right);
        box.bottom = std::max(box.bottom, r.bottom);
    }
    return box;
}

void offsetSet(RectSet& set, LONG dx, LONG dy) {
    for (RECT& r : set) r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

}  // namespace winplat::detail
