#pragma once

#include "tools/mcgen/Medium.h"
#include "tools/mcgen/Random.h"

#include <cmath>

namespace velnor::mcgen {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

struct Photon {
    Vec3 position;
    Vec3 direction; // unit vector
    double energyKev = 0;
    int scatterings = 0;
};

// Photons below this energy are absorbed on the spot: their range is far
// below any tally's resolution.
inline constexpr double kCutoffKev = 1.0;

// Moves the photon `distance` cm along its direction.
inline void move(Photon& p, double distance)
{
    p.position.x += distance * p.direction.x;
    p.position.y += distance * p.direction.y;
    p.position.z += distance * p.direction.z;
}

// Free path [cm] to the next interaction.
inline double sampleFreePath(double muTotal, Random& random) { return -std::log(random.uniform()) / muTotal; }

// Turns `direction` by the polar angle with cosine `cosine` and azimuth `phi`.
void rotate(Vec3& direction, double cosine, double phi);

// One interaction at the photon's position, chosen by the partial
// coefficients: photoelectric absorption (returns false: the energy is
// deposited on the spot, no fluorescence), or coherent or incoherent
// scattering (returns true with the new energy and direction).
bool interact(Photon& photon, const Medium& medium, const Medium::Coefficients& mu, Random& random);

// A rectangular block, |x| <= halfX, |y| <= halfY, 0 <= z <= depth [cm].
struct Box {
    double halfX, halfY, depth;
    bool contains(const Vec3& p) const { return std::fabs(p.x) <= halfX && std::fabs(p.y) <= halfY && p.z >= 0 && p.z <= depth; }
    // Distance along `d` from the inside point `p` to the surface.
    double distanceToSurface(const Vec3& p, const Vec3& d) const;
};

// A cylinder around the z axis, radius R, 0 <= z <= depth [cm].
struct Cylinder {
    double radius, depth;
    double distanceToSurface(const Vec3& p, const Vec3& d) const;
};

// Follows a photon through a convex region of one medium until it is absorbed,
// falls below the cut-off or leaves. At every collision, before the
// interaction, onCollision(photon, mu) sees the photon and the coefficients
// at its energy; when it leaves, onExit(photon) sees it on the surface.
template <typename Region, typename OnCollision, typename OnExit>
void track(Photon& p, const Medium& medium, const Region& region, Random& random, OnCollision onCollision, OnExit onExit)
{
    for (;;) {
        const Medium::Coefficients mu = medium.coefficients(p.energyKev);
        const double path = sampleFreePath(mu.total(), random);
        const double toSurface = region.distanceToSurface(p.position, p.direction);
        if (path >= toSurface) {
            move(p, toSurface);
            onExit(p);
            return;
        }
        move(p, path);
        onCollision(p, mu);
        if (!interact(p, medium, mu, random) || p.energyKev < kCutoffKev)
            return;
    }
}

// A photon on the front face z = 0 travelling back towards the source.
inline bool leavingThroughFront(const Photon& p) { return p.direction.z < 0 && p.position.z <= 1e-9; }

inline void ignoreCollision(const Photon&, const Medium::Coefficients&) {}
inline void ignoreExit(const Photon&) {}

} // namespace velnor::mcgen
