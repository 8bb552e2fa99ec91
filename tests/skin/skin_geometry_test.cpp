#include "qt_app.h"
#include "skin/base_dialog.h"
#include "skin/skin_geometry.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace velkarn {
namespace {

TEST(Placement, ReadsFourNumbersAndIgnoresTheRest) {
    const struct {
        const char* value;
        SkinBox expected;
    } cases[] = {
        {"10,20,30,40", {10, 20, 30, 40}},
        {"10,20,30,40 and more", {10, 20, 30, 40}},
        {"10,20,30,40,x", {10, 20, 30, 40}},
        {"1,1,1,1,x", {1, 1, 1, 1}},
        {"10,20,30", {1, 1, 1, 1}},
        {"", {1, 1, 1, 1}},
        {"abc", {1, 1, 1, 1}},
        {"-5,7,0,0", {-5, 7, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParsePlacement(c.value), c.expected) << c.value;
    }
    EXPECT_TRUE(IsMissingPlacement(ParsePlacement("")));
    EXPECT_FALSE(IsMissingPlacement(ParsePlacement("1,2,3,4")));
}

QImage Filled(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(MaskRegion, WhiteLeftHalfIsOutsideTheWindow) {
    test::App();
    QImage mask = Filled(40, 10, Qt::black);
    QPainter(&mask).fillRect(0, 0, 20, 10, Qt::white);
    const QRegion region = RegionFromMask(mask);
    EXPECT_TRUE(region.xored(QRegion(20, 0, 20, 10)).isEmpty());
    EXPECT_FALSE(region.contains(QPoint(5, 5)));
    EXPECT_TRUE(region.contains(QPoint(25, 5)));
}

TEST(MaskRegion, NearWhiteIsInsideAndAllWhiteIsEmpty) {
    test::App();
    QImage mask = Filled(4, 1, Qt::white);
    mask.setPixel(2, 0, qRgb(255, 255, 254));
    EXPECT_TRUE(RegionFromMask(mask).xored(QRegion(2, 0, 1, 1)).isEmpty());
    EXPECT_TRUE(RegionFromMask(Filled(8, 8, Qt::white)).isEmpty());
}

TEST(MaskRegion, CheckerboardWithMoreThan2000RunsYieldsTheFullRegion) {
    test::App();
    // 100 x 100 one-pixel checkerboard: 5000 runs, three batches.
    QImage mask = Filled(100, 100, Qt::white);
    for (int y = 0; y < 100; ++y) {
        for (int x = (y % 2); x < 100; x += 2) {
            mask.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    const auto batches =
        MaskRunBatches(100, 100, [&mask](int x, int y) { return mask.pixel(x, y) == qRgb(255, 255, 255); });
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[0].size(), 2000u);
    EXPECT_EQ(batches[2].size(), 1000u);
    const QRegion region = RegionFromMask(mask);
    int inside = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            const bool black = mask.pixel(x, y) == qRgb(0, 0, 0);
            EXPECT_EQ(region.contains(QPoint(x, y)), black) << x << "," << y;
            inside += black ? 1 : 0;
        }
    }
    EXPECT_EQ(inside, 5000);
}

TEST(SliderArithmetic, PositionsFromPixelsAndBack) {
    const SliderRange h{0, 10, false, 100};
    EXPECT_EQ(SliderPositionFromPixel(h, 0), 1); // presses count 10 pixels further right
    EXPECT_EQ(SliderPositionFromPixel(h, 90), 10);
    EXPECT_EQ(SliderPositionFromPixel(h, 99), 10); // 10.9 truncates
    EXPECT_EQ(ClampSliderPosition(h, SliderPositionFromPixel(h, 100)), 10);
    const SliderRange v{0, 10, true, 100};
    EXPECT_EQ(SliderPositionFromPixel(v, 0), 0);
    EXPECT_EQ(SliderPositionFromPixel(v, 55), 5);
    EXPECT_EQ(SliderPixelOfPosition(h, 5), 50);
    EXPECT_EQ(SliderPixelOfPosition(SliderRange{2, 2, false, 100}, 2), 0); // empty range: no division by zero
}

TEST(SliderArithmetic, KeysAndWheel) {
    const SliderRange r{0, 4, false, 160};
    EXPECT_EQ(SliderPositionAfterKey(r, 4, 2, SliderKey::PageDown), 4); // stays at the maximum
    EXPECT_EQ(SliderPositionAfterKey(r, 1, 2, SliderKey::PageUp), 0);
    EXPECT_EQ(SliderPositionAfterKey(r, 1, 2, SliderKey::End), 4);
    EXPECT_EQ(SliderPositionAfterKey(r, 3, 2, SliderKey::Home), 0);
    EXPECT_EQ(SliderPositionAfterKey(r, 2, 2, SliderKey::Left), 1);
    EXPECT_EQ(SliderPositionAfterKey(r, 2, 2, SliderKey::Down), 3);
    EXPECT_EQ(SliderPositionAfterWheel(r, 2, 120), 1);
    EXPECT_EQ(SliderPositionAfterWheel(r, 2, -120), 3); // toward the user reads as 65416
    EXPECT_EQ(SliderPositionAfterWheel(r, 2, 60), 2);
    EXPECT_EQ(SliderPositionAfterWheel(r, 4, -120), 4);
}

TEST(SliderArithmetic, WheelPartsAddUpToWholeNotchesBothWays) {
    const SliderRange r{0, 10, false, 160};
    struct Case {
        const char* what;
        std::vector<int> deltas;
        int start;
        int position;
        int pending;
    };
    const Case cases[] = {
        {"three thirds of a notch away", {40, 40, 40}, 5, 4, 0},
        {"three thirds toward the user", {-40, -40, -40}, 5, 6, 0},
        {"a part waits for the rest", {100}, 5, 5, 100},
        {"two notches in one event", {240}, 5, 3, 0},
        {"two notches toward the user", {-240}, 5, 7, 0},
        {"turning back drops the old part", {100, -100, -20}, 5, 6, 0},
        {"a huge turn stops at the end", {std::numeric_limits<int>::max()}, 5, 0, 7},
        {"a huge turn the other way", {std::numeric_limits<int>::min()}, 5, 10, -8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int position = c.start;
        int pending = 0;
        for (int delta : c.deltas)
            position = SliderPositionAfterWheelTurn(r, position, pending, delta);
        EXPECT_EQ(position, c.position);
        EXPECT_EQ(pending, c.pending);
    }
}

} // namespace
} // namespace velkarn
