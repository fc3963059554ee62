// velnor-calc's JSON input: parsed, applied to the conditions, checked as the
// window checks them, and, when accepted and flat, calculated on the shipped
// tables, with the dialogs' keys and fits. A refused case is a message,
// never a crash or a NaN dose.
#include "main/cli/CaseJson.h"
#include "main/form/ExposureForm.h"
#include "main/records/CalculationError.h"
#include "main/records/ReferenceLoader.h"
#include "tests/fuzz/FuzzInput.h"

#include <cmath>
#include <cstdlib>

using namespace velnor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const StartupData startup = loadStartupData(VELNOR_DATA_DIR);
    nlohmann::json cases;
    try {
        cases = cli::parseCases(fuzz::text(data, size));
    } catch (const std::invalid_argument&) {
        return 0;
    }
    if (!cases.is_array())
        cases = nlohmann::json::array({cases});
    for (const nlohmann::json& one : cases) {
        CalculationState state;
        state.tables = startup.tables;
        state.outputData = startup.outputData;
        std::optional<cli::FitRequest> fit;
        try {
            nlohmann::json caseObject = one;
            fit = cli::takeDialogKeys(caseObject, state, VELNOR_DATA_DIR);
            cli::applyCase(caseObject, state.conditions);
        } catch (const std::exception&) {
            continue;
        }
        if (form::checkBeforeCalculation(state.conditions) || state.conditions.incidenceMode != IncidenceMode::Planar)
            continue;
        try {
            if (fit)
                cli::runFit(*fit, state);
            state.calculate();
        } catch (const CalculationError&) {
            continue;
        }
        for (double dose : {state.dose.esdSoftTissue, state.dose.esdSkin, state.dose.esdAir})
            if (!std::isfinite(dose) || dose < 0)
                std::abort();
    }
    return 0;
}
