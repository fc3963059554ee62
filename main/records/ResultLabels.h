#pragma once

#include <string>

namespace velnor {

// The texts of the main window's result fields, as the calculation shows them
// step by step; a failed step leaves the texts of the earlier run.
struct ResultLabels {
    std::string label65; // first HVL, mm Al
    std::string label66; // effective energy, keV
    std::string label67; // ATR index
    std::string label68; // backscatter factor, soft tissue
    std::string label69; // backscatter factor, skin
    std::string label70; // backscatter factor, air kerma
    std::string label71; // conversion factor, soft tissue
    std::string label72; // conversion factor, skin
    std::string label73; // entrance surface dose, soft tissue, mGy
    std::string label74; // entrance surface dose, skin, mGy
    std::string label75; // entrance surface air kerma, mGy
    std::string label78; // exposure at 1 m, C/kg
    // "±σ" of the three backscatter factors of a Monte Carlo engine; empty
    // for a flat surface.
    std::string sd68, sd69, sd70;
};

} // namespace velnor
