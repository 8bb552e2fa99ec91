// Widget-free rules of the skinned windows: reading a placement value,
// turning a mask picture into rectangles, and the slider's position
// arithmetic. Kept apart from the widgets so they are tested without a
// display.
//
// Thread safety: pure functions.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace velkarn {

struct SkinBox {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool operator==(const SkinBox&) const = default;
};

// "x,y,w,h" followed by anything; a value that does not hold four numbers
// reads like a missing key: (1, 1, 1, 1).
SkinBox ParsePlacement(std::string_view value);

// True when (x, y) = (1, 1): the mark of a missing placement key.
inline bool IsMissingPlacement(const SkinBox& box) {
    return box.x == 1 && box.y == 1;
}

// One-pixel-high rectangles covering the runs of non-white pixels, row by row
// from the top, cut into batches of at most batchSize so that no single
// region call receives an unbounded list. isWhite(x, y) tells an outside pixel.
std::vector<std::vector<SkinBox>>
MaskRunBatches(int width, int height, const std::function<bool(int, int)>& isWhite, size_t batchSize = 2000);

// The bitmap slider's arithmetic.
struct SliderRange {
    int minimum = 0;
    int maximum = 100;
    bool vertical = false;
    int length = 0; // width, or height when vertical
};

// Position for a mouse coordinate: a horizontal slider counts the press
// 10 pixels further right, which is how its pictures are drawn. Not clamped.
int SliderPositionFromPixel(const SliderRange& range, int pixel);
// Pixel of a position along the slider.
int SliderPixelOfPosition(const SliderRange& range, int position);
int ClampSliderPosition(const SliderRange& range, int position);

enum class SliderKey { PageUp, PageDown, End, Home, Left, Up, Right, Down };
// New (clamped) position after a key.
int SliderPositionAfterKey(const SliderRange& range, int position, int page, SliderKey key);
// New (clamped) position after a wheel step; the delta is read as an unsigned
// 16-bit number, so every turn toward the user counts as above 120.
int SliderPositionAfterWheel(const SliderRange& range, int position, int delta);
// New position after a wheel event whose delta may be a fraction of a notch
// (high-resolution wheels, touchpads): delta is added to pending, and every
// full notch of +120 or -120 in it is one step by the rule above; the rest
// stays in pending for the next event. A turn the other way drops what was
// pending from the old direction.
int SliderPositionAfterWheelTurn(const SliderRange& range, int position, int& pending, int delta);

} // namespace velkarn
