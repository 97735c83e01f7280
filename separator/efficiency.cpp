#include "efficiency.h"

#include "kerva1.h"
#include "kerva2.h"
#include "parameters.h"

namespace separator {

Status compute_efficiency(KervaRun& run, Messages& messages) {
    Status status = compute_parameters(run);
    if (status != Status::Ok) return status;

    if (run.SPC >= 10.0f) {
        // Stokes regime.
        status = stokes_efficiency(run, messages);
        if (status != Status::Ok) return status;
        messages.eta1(run.ETA1);
        return Status::Ok;
    }

    status = compute_quadratic_parameters(run);
    if (status != Status::Ok) return status;
    if (run.BETA2 <= 1.0f) {
        // Quadratic regime.
        status = quadratic_efficiency(run, messages);
        if (status != Status::Ok) return status;
        messages.eta2(run.ETA2);
        return Status::Ok;
    }

    // Between the regimes: both efficiencies and the interpolated one.
    status = stokes_efficiency(run, messages);
    if (status != Status::Ok) return status;
    messages.eta1(run.ETA1);
    status = quadratic_efficiency(run, messages);
    if (status != Status::Ok) return status;
    messages.eta2(run.ETA2);
    interpolate_efficiency(run);
    messages.interpolated(run.ETA, run.ETAM);
    return Status::Ok;
}

}  // namespace separator
