#pragma once

#include "montecarlo/Photon.h"

#include <cmath>

// The entrance surfaces of the engines, in the engine's coordinates: the
// origin at the apex of the curved surface (its point nearest the focus, on
// the central ray), z along the central ray into the phantom, x across the
// curvature, y along the body's axis; the focus at z = -d_s. Each phantom is
// bounded in front by its surface, behind by the plane z = T, at the sides by
// the planes through its widest points, and at its ends in y. Each surface
// gives the entry point of a ray from the focus, and the two exit tests of a
// flight's end point. All arithmetic is 32-bit, as the engine's.
namespace velnor::mc {

inline constexpr float kHalfLengthCm = 40.0f; // the 80-cm phantom of the cylinder and the ellipse

// Sets the direction of the ray from the focus through (x0, y0, 0), the
// history's weight (inverse square from the field centre) and its energy.
inline void startRay(float ds, float x0, float y0, float energyKev, PhotonState& p)
{
    p.weight = ds * ds / (ds * ds + x0 * x0 + y0 * y0);
    const float rho = std::sqrt(y0 * y0 + x0 * x0);
    p.cosPhi = x0 / rho;
    p.sinPhi = y0 / rho;
    const float l = std::sqrt(rho * rho + ds * ds);
    p.cosTheta = ds / l;
    p.sinTheta = rho / l;
    p.energyKev = energyKev;
}

// Places the photon at the entry point (xs, zs) of the ray through (x0, y0, 0).
inline void placeOnRay(float ds, float xs, float zs, float y0, PhotonState& p)
{
    p.x = xs;
    p.z = zs;
    p.y = (zs + ds) * y0 / ds;
}

// A circular cylinder of radius R with its axis along y at z = R.
struct CylinderGeometry {
    float radiusCm = 0;
    float thicknessCm = 0;
    float focusSurfaceCm = 0;
    float halfFieldX = 0; // a: across the axis at the entrance plane, at most R
    float halfFieldY = 0; // b: along the axis

    // The entry point of the ray through (x0, y0, 0); false when it misses.
    bool enter(float x0, float y0, float energyKev, PhotonState& p) const
    {
        const float ds = focusSurfaceCm;
        const float r = radiusCm;
        startRay(ds, x0, y0, energyKev, p);
        // The ray meets x^2 + (z - R)^2 = R^2 where x solves A x^2 + B x + C = 0.
        const float ratio = ds / x0;
        const float a = ratio * ratio + 1.0f;
        const float b = -(ds + r) * ds * 2.0f / x0;
        const float c = (ds + r) * (ds + r) - r * r;
        const float d = b * b - 4.0f * a * c;
        if (!(d > 0.0f))
            return false;
        const float xs = (-b - std::sqrt(d)) / (2.0f * a);
        const float inside = r * r - xs * xs;
        if (inside < 0.0f)
            return false;
        placeOnRay(ds, xs, r - std::sqrt(inside), y0, p);
        return true;
    }
    // Left through a side, an end or the back (no score).
    bool outside(float x1, float y1, float z1) const
    {
        return std::fabs(x1) > radiusCm || std::fabs(y1) > kHalfLengthCm || z1 >= thicknessCm;
    }
    // In front of the curved surface (|x1| <= R).
    bool inFront(float x1, float z1) const { return radiusCm - std::sqrt(radiusCm * radiusCm - x1 * x1) > z1; }
};

// An elliptic cylinder: semi-axes h across (x) and v in depth (z), its axis
// along y at z = v.
struct EllipseGeometry {
    float horizontalCm = 0;
    float verticalCm = 0;
    float thicknessCm = 0;
    float focusSurfaceCm = 0;
    float halfFieldX = 0; // at most h
    float halfFieldY = 0;

    bool enter(float x0, float y0, float energyKev, PhotonState& p) const
    {
        const float ds = focusSurfaceCm;
        const float h = horizontalCm, v = verticalCm;
        startRay(ds, x0, y0, energyKev, p);
        // The ray z = (ds / x0) x - ds meets x^2/h^2 + (z - v)^2/v^2 = 1.
        const float ratio = ds / x0;
        const float a = 1.0f / (h * h) + ratio * ratio / (v * v);
        const float b = -2.0f * ratio * (ds + v) / (v * v);
        const float c = (ds + v) * (ds + v) / (v * v) - 1.0f;
        const float d = b * b - 4.0f * a * c;
        if (!(d > 0.0f))
            return false;
        const float xs = (-b - std::sqrt(d)) / (2.0f * a);
        if (!(xs <= h))
            return false;
        placeOnRay(ds, xs, std::max(0.0f, ratio * xs - ds), y0, p);
        return true;
    }
    bool outside(float x1, float y1, float z1) const
    {
        return std::fabs(x1) > horizontalCm || std::fabs(y1) > kHalfLengthCm || z1 >= thicknessCm;
    }
    bool inFront(float x1, float z1) const
    {
        const float u = x1 / horizontalCm;
        return verticalCm - verticalCm * std::sqrt(std::max(0.0f, 1.0f - u * u)) > z1;
    }
};

// A racetrack: a flat top of width a centred on the central ray, quarter
// circles of radius b/2 at its edges, vertical sides below them; a finite
// length L along y.
struct RacetrackGeometry {
    float flatHalfWidthCm = 0; // a / 2
    float endRadiusCm = 0;     // b / 2
    float halfLengthCm = 0;    // L / 2
    float thicknessCm = 0;
    float focusSurfaceCm = 0;
    float halfFieldX = 0; // at most a/2 + b/2
    float halfFieldY = 0;

    bool enter(float x0, float y0, float energyKev, PhotonState& p) const
    {
        const float ds = focusSurfaceCm;
        const float c = flatHalfWidthCm, r = endRadiusCm;
        startRay(ds, x0, y0, energyKev, p);
        if (x0 <= c) { // onto the flat top, in the entrance plane itself
            p.x = x0;
            p.z = 0.0f;
            p.y = y0;
            return true;
        }
        // The ray z = (ds / x0) x - ds meets (x - c)^2 + (z - r)^2 = r^2.
        const float ratio = ds / x0;
        const float a = 1.0f + ratio * ratio;
        const float b = -2.0f * c - 2.0f * ratio * (ds + r);
        const float cc = c * c + (ds + r) * (ds + r) - r * r;
        const float d = b * b - 4.0f * a * cc;
        if (!(d > 0.0f))
            return false;
        const float xs = (-b - std::sqrt(d)) / (2.0f * a);
        if (!(xs <= c + r))
            return false;
        placeOnRay(ds, xs, std::max(0.0f, ratio * xs - ds), y0, p);
        return true;
    }
    bool outside(float x1, float y1, float z1) const
    {
        return std::fabs(x1) > flatHalfWidthCm + endRadiusCm || std::fabs(y1) > halfLengthCm || z1 >= thicknessCm;
    }
    bool inFront(float x1, float z1) const
    {
        const float e = std::fabs(x1) - flatHalfWidthCm;
        if (e <= 0.0f)
            return 0.0f > z1;
        return endRadiusCm - std::sqrt(std::max(0.0f, endRadiusCm * endRadiusCm - e * e)) > z1;
    }
};

} // namespace velnor::mc
