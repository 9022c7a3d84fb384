#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a drawing of the diagnosis area is made of, in pixels of the area, so that the drawing can
// be computed and checked without a screen and painted by any painter.
struct Pen {
    enum Style { kSolid, kDot };
    Style style = kSolid;
    int width = 1;
    uint32_t rgb = 0x000000;  // 0xRRGGBB
    bool operator==(const Pen&) const = default;
};

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Primitive {
    enum Kind {
        kRect,      // points[0] top left, points[1] bottom right; white inside
        kLine,      // points[0] to points[1]
        kPolyline,  // through all points in order
        kBar,       // a spectrum bar from points[0] on the base line up to points[1]
        kText,      // text at points[0], placed by align
    };
    enum Align {
        kLeftTop,         // the point is the text's top left corner
        kCenterBaseline,  // the point is the middle of the text's baseline
    };
    Kind kind = kLine;
    Pen pen;
    std::vector<Point> points;
    std::string text;
    Align align = kLeftTop;
    bool operator==(const Primitive&) const = default;
};

using Primitives = std::vector<Primitive>;

// The drawing area: left and top are 0 for the window's own area.
struct Area {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
