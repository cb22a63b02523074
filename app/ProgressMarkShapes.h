#pragma once

#include <cstdint>
#include <span>

#include "queue/ScriptTable.h"

// How each queue row's progress mark looks, for every front end to draw the
// same: a few strokes in one colour on a 16 by 16 grid (x to the right, y
// downwards), scaled to the screen's resolution.

namespace vantrel {

struct MarkColour {
    std::uint8_t red, green, blue;
    bool operator==(const MarkColour&) const = default;
};

struct GridPoint {
    double x, y;
};

/// How a figure's points are drawn.
enum class Stroke {
    Ring,     ///< a circle round the one point, of the figure's radius
    Line,     ///< a line through the points in order
    Outline,  ///< the closed polygon's edge
    Filled,   ///< the closed polygon, edge and inside
};

struct MarkFigure {
    Stroke stroke;
    std::span<const GridPoint> points;
    double radius = 0;
};

struct MarkShape {
    MarkColour colour;
    /// Every stroke's width in grid units; lines end and join rounded.
    double penWidth;
    std::span<const MarkFigure> figures;
};

inline constexpr int kMarkGrid = 16;

namespace mark_geometry {

inline constexpr MarkColour kGrey{0x9a, 0xa0, 0xa6};
inline constexpr MarkColour kGreen{0x1e, 0x8e, 0x3e};
inline constexpr MarkColour kBlue{0x1a, 0x4f, 0xa0};
inline constexpr MarkColour kRed{0xc5, 0x22, 0x1f};

inline constexpr GridPoint kCentre[] = {{8, 8}};
inline constexpr GridPoint kTriangle[] = {{4, 2.5}, {13, 8}, {4, 13.5}};
inline constexpr GridPoint kTick[] = {{3, 8.5}, {6.5, 12}, {13, 4}};
inline constexpr GridPoint kFalling[] = {{4, 4}, {12, 12}};
inline constexpr GridPoint kRising[] = {{12, 4}, {4, 12}};
inline constexpr GridPoint kSlash[] = {{4.5, 4.5}, {11.5, 11.5}};
inline constexpr GridPoint kNearChevron[] = {{3.5, 4}, {7.5, 8}, {3.5, 12}};
inline constexpr GridPoint kFarChevron[] = {{8.5, 4}, {12.5, 8}, {8.5, 12}};

inline constexpr MarkFigure kSmallRing[] = {{Stroke::Ring, kCentre, 3.5}};
inline constexpr MarkFigure kOpenTriangle[] = {{Stroke::Outline, kTriangle}};
inline constexpr MarkFigure kSolidTriangle[] = {{Stroke::Filled, kTriangle}};
inline constexpr MarkFigure kTickFigure[] = {{Stroke::Line, kTick}};
inline constexpr MarkFigure kCross[] = {{Stroke::Line, kFalling}, {Stroke::Line, kRising}};
// A ring struck through, as a sign for "none": no window ever showed.
inline constexpr MarkFigure kStruckRing[] = {{Stroke::Ring, kCentre, 5}, {Stroke::Line, kSlash}};
// Two chevrons, as on a player's "skip" button.
inline constexpr MarkFigure kSkipArrows[] = {{Stroke::Line, kNearChevron},
                                             {Stroke::Line, kFarChevron}};

}  // namespace mark_geometry

/// The mark of a row whose script stands so. Failed and not shown are both
/// red, told apart by their shapes; what never ran is grey.
constexpr MarkShape ProgressMarkShape(RowProgress progress) {
    using namespace mark_geometry;
    switch (progress) {
        case RowProgress::Waiting: return {kGrey, 1.5, kSmallRing};
        case RowProgress::Started: return {kGreen, 1.5, kOpenTriangle};
        case RowProgress::Running: return {kGreen, 1.5, kSolidTriangle};
        case RowProgress::Done: return {kBlue, 2.2, kTickFigure};
        case RowProgress::Failed: return {kRed, 2.2, kCross};
        case RowProgress::NotShown: return {kRed, 1.8, kStruckRing};
        case RowProgress::Skipped: return {kGrey, 1.8, kSkipArrows};
    }
    return {kGrey, 1.5, kSmallRing};
}

}  // namespace vantrel
