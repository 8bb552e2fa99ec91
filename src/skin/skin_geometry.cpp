#include "skin/skin_geometry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace velkarn {

SkinBox ParsePlacement(std::string_view value) {
    // Placement values are read into a 260-character buffer; longer text is cut.
    const std::string text(value.substr(0, 259));
    SkinBox box;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d", &box.x, &box.y, &box.w, &box.h) != 4) {
        return {1, 1, 1, 1};
    }
    return box;
}

std::vector<std::vector<SkinBox>>
MaskRunBatches(int width, int height, const std::function<bool(int, int)>& isWhite, size_t batchSize) {
    std::vector<std::vector<SkinBox>> batches;
    std::vector<SkinBox> batch;
    batchSize = std::max<size_t>(batchSize, 1);
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            while (x < width && isWhite(x, y)) {
                ++x;
            }
            const int start = x;
            while (x < width && !isWhite(x, y)) {
                ++x;
            }
            if (x > start) {
                batch.push_back({start, y, x - start, 1});
                if (batch.size() == batchSize) {
                    batches.push_back(std::move(batch));
                    batch.clear();
                }
            }
        }
    }
    if (!batch.empty()) {
        batches.push_back(std::move(batch));
    }
    return batches;
}

int SliderPositionFromPixel(const SliderRange& range, int pixel) {
    if (range.length <= 0) {
        return range.minimum;
    }
    const double f = range.vertical ? static_cast<double>(pixel) / range.length
                                    : static_cast<double>(pixel + 10) / range.length;
    return static_cast<int>(f * (range.maximum - range.minimum) + range.minimum);
}

int SliderPixelOfPosition(const SliderRange& range, int position) {
    if (range.maximum == range.minimum) {
        return 0; // an empty range has no length to spread positions over
    }
    return static_cast<int>(static_cast<double>(position - range.minimum) / (range.maximum - range.minimum) *
                            range.length);
}

int ClampSliderPosition(const SliderRange& range, int position) {
    const int low = std::min(range.minimum, range.maximum);
    const int high = std::max(range.minimum, range.maximum);
    return std::clamp(position, low, high);
}

int SliderPositionAfterKey(const SliderRange& range, int position, int page, SliderKey key) {
    int next = position;
    switch (key) {
    case SliderKey::PageUp:
        next = position - page;
        break;
    case SliderKey::PageDown:
        next = position + page;
        break;
    case SliderKey::End:
        next = range.maximum;
        break;
    case SliderKey::Home:
        next = range.minimum;
        break;
    case SliderKey::Left:
    case SliderKey::Up:
        next = position - 1;
        break;
    case SliderKey::Right:
    case SliderKey::Down:
        next = position + 1;
        break;
    }
    return ClampSliderPosition(range, next);
}

int SliderPositionAfterWheel(const SliderRange& range, int position, int delta) {
    const unsigned value = static_cast<unsigned>(delta) & 0xFFFFu;
    if (value > 120) {
        return ClampSliderPosition(range, position + 1);
    }
    if (value == 120) {
        return ClampSliderPosition(range, position - 1);
    }
    return position;
}

int SliderPositionAfterWheelTurn(const SliderRange& range, int position, int& pending, int delta) {
    constexpr int kNotch = 120;
    if ((pending > 0 && delta < 0) || (pending < 0 && delta > 0)) {
        pending = 0;
    }
    // Summed wide: pending stays below a notch, but delta is the caller's.
    const long long total = static_cast<long long>(pending) + delta;
    const long long steps = total / kNotch;
    pending = static_cast<int>(total % kNotch);
    // More steps than the range has positions change nothing further.
    const long long span = std::llabs(static_cast<long long>(range.maximum) - range.minimum) + 1;
    const long long count = std::min(steps < 0 ? -steps : steps, span);
    for (long long i = 0; i < count; ++i) {
        position = SliderPositionAfterWheel(range, position, steps > 0 ? kNotch : -kNotch);
    }
    return position;
}

} // namespace velkarn
