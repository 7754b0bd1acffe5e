#pragma once
// The three lengths of a waybill layout, kept apart by type: 0.1 mm as users type them, canvas
// pixels at the layout's designer scale, and printer dots. Convert only through this module.

#include <QString>

#include <cmath>

namespace waybill {

// Halves go to the even neighbour: stored layouts and offsets were computed with that rounding.
inline int roundHalfEven(double value) { return int(std::nearbyint(value)); }

class Millimetres {
public:
    constexpr explicit Millimetres(double value) : value_(value) {}
    constexpr double value() const { return value_; }
    friend constexpr Millimetres operator+(Millimetres a, Millimetres b) { return Millimetres(a.value_ + b.value_); }

private:
    double value_;
};

// Integer lengths in 0.1 mm: layout length and height, offsets, spacings, wrap positions.
class Tenths {
public:
    constexpr explicit Tenths(int value) : value_(value) {}
    constexpr int value() const { return value_; }
    constexpr Millimetres mm() const { return Millimetres(value_ / 10.0); }
    friend constexpr bool operator==(Tenths, Tenths) = default;

private:
    int value_;
};

// A canvas length in pixels at some designer scale.
class CanvasPx {
public:
    constexpr explicit CanvasPx(int value) : value_(value) {}
    constexpr int value() const { return value_; }

private:
    int value_;
};

// Canvas pixels per millimetre of paper.
class DesignerScale {
public:
    static constexpr double kPlain = 2.0;
    // Exactly 3.78, not the 3.7795 of a 96 dpi screen: stored positions depend on it.
    static constexpr double kActualSize = 3.78;

    constexpr explicit DesignerScale(double pixelsPerMm) : pixelsPerMm_(pixelsPerMm) {}

    // 3.78 for a name containing "标签" or a layout with a background picture, else 2.0.
    static DesignerScale forLayout(const QString &name, bool hasPicture)
    {
        const bool actual = hasPicture || name.contains(QStringLiteral("标签"));
        return DesignerScale(actual ? kActualSize : kPlain);
    }

    constexpr double pixelsPerMm() const { return pixelsPerMm_; }

    // round(tenths × scale / 10): canvas sizes, digit and amount spacing, wrap positions.
    CanvasPx toCanvas(Tenths length) const { return CanvasPx(roundHalfEven(length.value() * pixelsPerMm_ / 10.0)); }
    constexpr Millimetres toMm(CanvasPx length) const { return Millimetres(length.value() / pixelsPerMm_); }

    // Slot and postal-code fonts appear on the canvas at round(size × scale / 3.78) points, so
    // at 3.78 the canvas shows them at their printed size.
    int canvasPoints(int storedPoints) const { return roundHalfEven(storedPoints * pixelsPerMm_ / kActualSize); }

private:
    double pixelsPerMm_;
};

// Canvas text is laid out as on a 96 dpi screen: a font of p points is p × 96 / 72 pixels.
inline int canvasFontPixels(int points) { return roundHalfEven(points * 96.0 / 72.0); }

// Printer dots per millimetre: dpi ÷ 180 × 7.1, not dpi ÷ 25.4; existing offsets were tuned to it.
class PrinterScale {
public:
    constexpr explicit PrinterScale(double dotsPerMm) : dotsPerMm_(dotsPerMm) {}
    static constexpr PrinterScale forDpi(int dotsPerInch) { return PrinterScale(dotsPerInch / 180.0 * 7.1); }

    constexpr double dotsPerMm() const { return dotsPerMm_; }
    int toDots(Millimetres length) const { return roundHalfEven(length.value() * dotsPerMm_); }

private:
    double dotsPerMm_;
};

} // namespace waybill
