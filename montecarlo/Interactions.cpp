#include "montecarlo/Interactions.h"

#include <algorithm>
#include <cmath>

namespace velnor::mc {

Interactions::Interactions(const TissueData& tissue, const AbsorptionTable& absorption)
    : m_tissue(tissue),
      m_energyRows(tissue.energyKev, 512),
      m_absorptionRows(absorption.energyKev, 1024),
      m_momentumRows(tissue.x, 512),
      m_cumulativeRows(tissue.cumulativeCoherent, 512)
{
    for (std::size_t k = 0; k < tissue.energyKev.size(); ++k) {
        m_lnEnergy.push_back(std::log(tissue.energyKev[k]));
        m_lnCoherent.push_back(std::log(tissue.muCoherent[k]));
        m_lnIncoherent.push_back(std::log(tissue.muIncoherent[k]));
        m_lnPhoto.push_back(std::log(tissue.muPhotoelectric[k]));
    }
    m_absorptionEnergy = absorption.energyKev;
    for (int k = 0; k < kAbsorptionRows; ++k) {
        const auto i = static_cast<std::size_t>(k);
        m_lnAbsorptionEnergy[i] = std::log(absorption.energyKev[i]);
        m_lnAbsorption[0][i] = std::log(absorption.muenAir[i]);
        m_lnAbsorption[1][i] = std::log(absorption.muenSoftTissue[i]);
        m_lnAbsorption[2][i] = std::log(absorption.muenSkin[i]);
    }
    m_negativeLog.resize(LaggedGenerator::kModulus);
    m_cos2Pi.resize(LaggedGenerator::kModulus);
    m_sin2Pi.resize(LaggedGenerator::kModulus);
    for (std::int32_t v = 0; v < LaggedGenerator::kModulus; ++v) {
        const float r = LaggedGenerator::toReal(v);
        const auto i = static_cast<std::size_t>(v);
        m_negativeLog[i] = v > 0 ? -std::log(r) : 0.0f; // a flight never uses r = 0
        const float psi = 2.0f * kPi * r;
        m_cos2Pi[i] = std::cos(psi);
        m_sin2Pi[i] = std::sin(psi);
    }
}

Interactions::Coefficients Interactions::coefficients(float energyKev) const
{
    const std::size_t k = m_energyRows.firstAbove(energyKev);
    const float lnE = std::log(energyKev);
    const float f = (lnE - m_lnEnergy[k - 1]) / (m_lnEnergy[k] - m_lnEnergy[k - 1]);
    const float coherent = std::exp(m_lnCoherent[k - 1] + f * (m_lnCoherent[k] - m_lnCoherent[k - 1]));
    const float incoherent = std::exp(m_lnIncoherent[k - 1] + f * (m_lnIncoherent[k] - m_lnIncoherent[k - 1]));
    const float photo = std::exp(m_lnPhoto[k - 1] + f * (m_lnPhoto[k] - m_lnPhoto[k - 1]));
    Coefficients c;
    c.total = photo + incoherent + coherent;
    c.photoelectricShare = photo / c.total;
    c.photoOrCoherentShare = (photo + coherent) / c.total;
    return c;
}

std::array<float, 3> Interactions::absorption(float energyKev) const
{
    const std::size_t k = m_absorptionRows.firstAbove(energyKev);
    const float lnE = std::log(energyKev);
    const float g = (m_lnAbsorptionEnergy[k] - lnE) / (m_lnAbsorptionEnergy[k] - m_lnAbsorptionEnergy[k - 1]);
    std::array<float, 3> mu{};
    for (std::size_t x = 0; x < 3; ++x)
        mu[x] = std::exp(m_lnAbsorption[x][k] - g * (m_lnAbsorption[x][k] - m_lnAbsorption[x][k - 1]));
    return mu;
}

float Interactions::incoherent(float energyKev, LaggedGenerator& random, float& cosAngle, float& sinAngle) const
{
    const float kappa = kElectronRestKev / energyKev;
    const float q = (kappa + 2.0f) / (9.0f * kappa + 2.0f);
    const auto& x = m_tissue.x;
    const auto& s = m_tissue.incoherentFunction;
    const float sMax = m_tissue.incoherentFunctionMax();
    for (;;) {
        const float r1 = random.next();
        const float r2 = random.next();
        const float r3 = random.next();
        float eta;
        bool accepted;
        if (r1 <= q) {
            eta = 1.0f + 2.0f * r2 / kappa;
            accepted = 4.0f * (1.0f / eta - 1.0f / (eta * eta)) > r3;
        } else {
            eta = (kappa + 2.0f) / (kappa + 2.0f * (1.0f - r2));
            const float t = 1.0f - kappa * (eta - 1.0f);
            accepted = 0.5f * (t * t + 1.0f / eta) > r3;
        }
        if (!accepted)
            continue;
        float c = 1.0f - (eta - 1.0f) * kappa;
        float theta;
        if (c == 0.0f) {
            theta = kPi / 2.0f;
        } else {
            c = std::clamp(c, -1.0f, 1.0f);
            theta = std::atan(std::sqrt(1.0f - c * c) / c);
            if (theta < 0.0f)
                theta += kPi;
        }
        const float momentum = std::sin(theta / 2.0f) * energyKev / kHcKevAngstrom;
        if (momentum < kIncoherentCheckLimit) {
            const std::size_t k = m_momentumRows.firstAbove(momentum);
            const float sx = s[k - 1] + (s[k] - s[k - 1]) * (momentum - x[k - 1]) / (x[k] - x[k - 1]);
            if (sx / sMax < random.next())
                continue;
        }
        cosAngle = std::cos(theta);
        sinAngle = std::sin(theta);
        return comptonEnergy(energyKev, cosAngle);
    }
}

void Interactions::coherent(float energyKev, LaggedGenerator& random, float& cosAngle, float& sinAngle) const
{
    const auto& x = m_tissue.x;
    const auto& c = m_tissue.cumulativeCoherent;
    const float cMax = m_tissue.cumulativeCoherentMax();
    for (;;) {
        const float u = random.next() * cMax;
        const std::size_t k = m_cumulativeRows.firstAbove(u);
        const float momentum = x[k - 1] + (x[k] - x[k - 1]) * (u - c[k - 1]) / (c[k] - c[k - 1]);
        const float s = momentum * kHcKevAngstrom / energyKev; // sin(Theta / 2)
        if (s > 1.0f)
            continue;
        const float cosine = 1.0f - 2.0f * s * s;
        if (2.0f * random.next() > 1.0f + cosine * cosine)
            continue;
        cosAngle = std::clamp(cosine, -1.0f, 1.0f);
        sinAngle = std::sqrt(1.0f - cosAngle * cosAngle);
        return;
    }
}

void turn(PhotonState& p, float cosAngle, float sinAngle, float cosPsi, float sinPsi)
{
    const float cosTheta = std::clamp(sinAngle * p.sinTheta * cosPsi + cosAngle * p.cosTheta, -1.0f, 1.0f);
    const float sinTheta = std::sqrt(1.0f - cosTheta * cosTheta);
    if (sinTheta == 0.0f) {
        p.sinPhi = 0.0f;
        p.cosPhi = 1.0f;
    } else {
        const float a = sinAngle * sinPsi / sinTheta;
        if (p.sinTheta == 0.0f) {
            p.sinPhi = sinPsi;
            p.cosPhi = -cosPsi;
        } else {
            const float b = (cosAngle - cosTheta * p.cosTheta) / (sinTheta * p.sinTheta);
            const float sinPhi = b * p.sinPhi + a * p.cosPhi;
            const float cosPhi = b * p.cosPhi - a * p.sinPhi;
            p.sinPhi = sinPhi;
            p.cosPhi = cosPhi;
        }
    }
    p.sinTheta = sinTheta;
    p.cosTheta = cosTheta;
}

} // namespace velnor::mc
