#pragma once
// A track as a design, and the road the design makes.
//
// A design is a closed polygon of corners, each rounded by an arc of its own
// radius, in metres; straights join the arcs tangentially. Height, width and
// banking are given per corner and blended along the road between corners.
// The start is the middle of the straight from corner 0 to corner 1; the built
// road is moved so that point is the world origin with the road running +y.

#include <string>
#include <vector>

#include "track/geometry.h"

struct Corner {
    double x = 0.0, y = 0.0;
    // Arc radius, metres; ignored where the road runs straight on through the corner.
    double radius = 100.0;
    // Road height at the corner relative to the design's zero, metres.
    double z = 0.0;
    // Banking through the arc, degrees, inside edge down.
    double bank = 0.0;
    // Road width at the corner, metres; 0 takes the design's width.
    double width = 0.0;
};

struct TrackDesign {
    std::string name;
    // Scenery theme and road surface family (see scenery.h and road_textures.cpp).
    std::string theme;
    std::string road;
    double width = 18.0;
    std::vector<Corner> corners;
    // Plan scale: corner positions are multiplied by it; radii, heights and widths are not.
    double scale = 1.0;
};

// One piece of the centre line: a straight (curvature 0) or an arc.
struct PathPiece {
    double s0 = 0.0, length = 0.0;
    double x0 = 0.0, y0 = 0.0, dx = 1.0, dy = 0.0;
    // Signed, 1/metres, positive turning left.
    double curvature = 0.0;
};

// The centre line of a design, evaluated anywhere along it.
struct TrackPath {
    std::vector<PathPiece> pieces;
    double length = 0.0;
    // Arc-length position of each corner's arc middle and each arc's ends.
    std::vector<double> cornerMid, arcStart, arcEnd;
    // Per corner: height, width and banking (radians, signed: positive lowers the left edge).
    std::vector<double> heights, widths, banks;
    // Placement: world = rotate(design - origin) with z shifted by zOffset.
    double originX = 0.0, originY = 0.0, originS = 0.0, cosA = 1.0, sinA = 0.0, zOffset = 0.0;
    // Empty when the design is sound; otherwise what is wrong with it, and the
    // corner whose arc does not fit (-1 for a fault of the whole loop).
    std::string error;
    int errorCorner = -1;
};

struct PathSample {
    Vec3 centre;
    // Unit direction of travel, horizontal.
    double dx = 0.0, dy = 1.0;
    double curvature = 0.0;
    double width = 0.0;
    // Radians, positive with the left edge lower.
    double bank = 0.0;
};

struct BuiltTrack {
    TrackDesign design;
    TrackPath path;
    // Arc length from the start to each control point (control point 0 lies just behind the start).
    std::vector<double> controlS;
    // As written to "track.track": file units, a hundredth of a metre.
    std::vector<ControlPoint> filePoints;
    // The road as the game builds it from that file.
    std::vector<TrackSegment> segments;
    // Road width at each control point, metres.
    std::vector<double> widths;
    // Road texture words of each segment's two halves.
    std::vector<std::string> textureA, textureB;
    // Smallest centre-line radius met in the design, metres.
    double tightestRadius = 0.0;
};

TrackPath buildPath(const TrackDesign& design);
// s is the arc length from the start, any value (taken around the loop).
PathSample samplePath(const TrackDesign& design, const TrackPath& path, double s);
BuiltTrack buildTrack(const TrackDesign& design);
// The road surface point of a built segment, as the game evaluates it.
Vec3 roadPoint(const TrackSegment& segment, double t, double u);
