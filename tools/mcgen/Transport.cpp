#include "tools/mcgen/Transport.h"

#include <algorithm>
#include <limits>

namespace velnor::mcgen {

void rotate(Vec3& d, double cosine, double phi)
{
    const double sine = std::sqrt(std::max(0.0, 1.0 - cosine * cosine));
    const double cp = std::cos(phi);
    const double sp = std::sin(phi);
    if (std::fabs(d.z) > 0.99999999) {
        const double sign = d.z > 0 ? 1.0 : -1.0;
        d = {sine * cp, sine * sp, sign * cosine};
        return;
    }
    const double t = std::sqrt(1.0 - d.z * d.z);
    const Vec3 n{d.x * cosine + sine * (d.x * d.z * cp - d.y * sp) / t, d.y * cosine + sine * (d.y * d.z * cp + d.x * sp) / t,
                 d.z * cosine - sine * cp * t};
    const double norm = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    d = {n.x / norm, n.y / norm, n.z / norm};
}

bool interact(Photon& photon, const Medium& medium, const Medium::Coefficients& mu, Random& random)
{
    const double r = random.uniform() * mu.total();
    if (r < mu.photoelectric)
        return false;
    double cosine;
    if (r < mu.photoelectric + mu.coherent) {
        cosine = medium.sampleCoherentCosine(photon.energyKev, random);
    } else {
        double scattered;
        medium.sampleIncoherent(photon.energyKev, random, scattered, cosine);
        photon.energyKev = scattered;
    }
    rotate(photon.direction, cosine, 2.0 * M_PI * random.uniform());
    ++photon.scatterings;
    return true;
}

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Distance to the planes lo <= coordinate <= hi along one axis.
double slabDistance(double p, double d, double lo, double hi)
{
    if (d > 0)
        return (hi - p) / d;
    if (d < 0)
        return (lo - p) / d;
    return kInfinity;
}

} // namespace

double Box::distanceToSurface(const Vec3& p, const Vec3& d) const
{
    return std::max(0.0, std::min({slabDistance(p.x, d.x, -halfX, halfX), slabDistance(p.y, d.y, -halfY, halfY),
                                   slabDistance(p.z, d.z, 0.0, depth)}));
}

double Cylinder::distanceToSurface(const Vec3& p, const Vec3& d) const
{
    double side = kInfinity;
    const double a = d.x * d.x + d.y * d.y;
    if (a > 0) {
        const double b = p.x * d.x + p.y * d.y;
        const double c = p.x * p.x + p.y * p.y - radius * radius;
        side = (-b + std::sqrt(std::max(0.0, b * b - a * c))) / a;
    }
    return std::max(0.0, std::min(side, slabDistance(p.z, d.z, 0.0, depth)));
}

} // namespace velnor::mcgen
