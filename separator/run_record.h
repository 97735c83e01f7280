// All quantities of one KERVA run, zero at start (single precision, SI units).
// The names are those of the report and of the separator theory; a value that
// the path of a run does not compute stays zero and is reported as zero.
#pragma once

#include <cstdint>

namespace separator {

struct KervaRun {
    float PI = 0.0f;  // the stored literal 3.14159 (new_run), used everywhere instead of a library pi

    // Input values, in the order of the input section.
    float QH = 0.0f;     // m3/h   volumetric flow rate of the medium
    float ROG = 0.0f;    // kg/m3  density of the medium
    float NU = 0.0f;     // m2/s   kinematic viscosity of the medium
    float DK = 0.0f;     // m      inner diameter of the separator
    float L = 0.0f;      // m      length of the equivalent cylinder
    float R2 = 0.0f;     // m      mean radius of the annular section
    float B = 0.0f;      // m      diameter (circular inlet) or width of an inlet opening
    float HI = 0.0f;     // m      height of an inlet opening; 0 for a circular one
    std::int32_t NI = 0; //        number of inlet openings
    float UVX = 0.0f;    // deg    inclination of the inlets; 90 is tangential
    std::int32_t VID = 0;//        kind of inlet: 1 side, 2 end, anything else volute
    float BETA = 0.0f;   //        roughness coefficient
    float D50 = 0.0f;    // m      particle diameter, or median of the distribution
    float LGSG = 0.0f;   //        decimal log of the geometric standard deviation; 0: one size
    float ROP = 0.0f;    // kg/m3  density of the particles
    float QGE = 0.0f;    //        shape coefficient, surface over that of the equal-volume sphere

    // Flow and particle parameters.
    float RK = 0.0f;     // m      separator radius
    float QS = 0.0f;     // m3/s   flow rate
    float ALF = 0.0f;    // rad    inclination of the inlets
    float FVX = 0.0f;    // m2     inlet cross-section
    float VVX = 0.0f;    // m/s    mean inlet velocity
    float UK = 0.0f;     // m/s    radial velocity through the equivalent cylinder
    float V1 = 0.0f;     // m/s    tangential velocity of the entering stream
    float KVU = 0.0f;    //        V1 / UK
    float FTR = 0.0f;    //        correction for large velocity ratios
    float VK = 0.0f;     // m/s    tangential velocity at RK (report)
    float U2 = 0.0f;     // m/s    radial velocity through the surface of radius R2, height B
    float ROR = 0.0f;    //        ROG / ROP
    float V2 = 0.0f;     // m/s    tangential velocity at R2
    float U2SQ = 0.0f;   //        U2 squared
    float V2SQ = 0.0f;   //        V2 squared
    float LSQ = 0.0f;    //        L squared
    float D50CUBE = 0.0f;//        D50 cubed
    float LNSG = 0.0f;   //        ln of the geometric standard deviation
    float LNSGSQ = 0.0f; //        LNSG squared
    float MU = 0.0f;     // kg/(m s) dynamic viscosity
    float MP = 0.0f;     // kg     mass of a spherical particle of diameter D50
    float DE1 = 0.0f;    // m      equivalent diameter, Stokes regime
    float SPC = 0.0f;    //        Stokes parameter (report)

    // Stokes regime.
    float KSC = 0.0f;    //        separation coefficient (report)
    float ETA1FR = 0.0f; //        efficiency for the size D50, a fraction
    float ETA1D50 = 0.0f;//        ETA1FR for the size D50 before the limit 1 (console when above 1)
    float ETA1 = 0.0f;   // %      cleaning efficiency (report)

    // Quadratic regime.
    float DE2 = 0.0f;    // m      equivalent diameter, quadratic regime
    float SP2C = 0.0f;   //        parameter (report)
    float KS2C = 0.0f;   //        separation coefficient (report)
    float BETA1 = 0.0f;  //        criterion of the choice of approximation (report)
    float BETA2 = 0.0f;  //        criterion of the drag regime (report)
    float ETA2FR = 0.0f; //        efficiency for the size D50, a fraction
    float ETA2D50 = 0.0f;//        ETA2FR for the size D50 before the limit 1 (console when above 1)
    float ETA2 = 0.0f;   // %      cleaning efficiency (report)

    // Boundary diameter of the distribution integral and its normalised
    // deviate from D50, of the routine that ran last.
    float DGR = 0.0f;    // m
    float XGR = 0.0f;

    // Between the regimes.
    float ETA = 0.0f;    // %      interpolated efficiency (report)
    float ETAM = 0.0f;   // %      mean of ETA1 and ETA2 (console only)
};

// The program's own value of pi, a short literal rather than the nearest
// single-precision value.
inline constexpr float kPi = 3.14159f;

// The record at the start of a run: every quantity zero, PI set.
constexpr KervaRun new_run() {
    KervaRun run{};
    run.PI = kPi;
    return run;
}

}  // namespace separator
