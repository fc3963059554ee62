#pragma once

namespace velnor::mc {

inline constexpr float kPi = 3.141592f;

// A photon of the engine (32-bit): position [cm], direction as sin and cos of
// the polar angle theta (to +z) and of the azimuth phi, energy [keV], and the
// history weight.
struct PhotonState {
    float x = 0, y = 0, z = 0;
    float sinTheta = 0, cosTheta = 1, sinPhi = 0, cosPhi = 1;
    float energyKev = 0;
    float weight = 1;
};

} // namespace velnor::mc
