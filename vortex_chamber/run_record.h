// All quantities of one run of the vortex chamber calculator, zero at start.
//
// Reals are single precision, integers 32-bit signed, SI units.  A value that
// the path of a run does not compute stays zero and is reported as zero.
// Names follow the report labels; МА, К, М and ТК (Cyrillic on the report)
// are spelled MA, K, M and TK here.
#pragma once

#include <array>
#include <cstdint>

#include "numerics/single.h"

namespace vortex_chamber {

// Nodes of every profile array; node i (1-based) is element i - 1.
inline constexpr int kNodes = 400;
using Profile = std::array<float, kNodes>;

// Radius of node i (1-based) of the radial grid of step DRK: the real value of
// i - 1 times DRK, so that node 1 is the axis.  The profiles, the radius
// column of the report and the profile tables of a tool use this one
// definition.
inline float node_radius(int i, float DRK) {
    return numerics::store(static_cast<double>(static_cast<float>(i - 1)) * DRK);
}

inline constexpr float kPi = 3.1415925f;

struct RunRecord {
    // Input section.
    float G = 0.0f;      // kg/s    mass flow rate of the gas
    float RK = 0.0f;     // m       radius of the chamber
    float L = 0.0f;      // m       height of the chamber
    float R1 = 0.0f;     // m       radius of the outlet hole
    float H = 0.0f;      // m       height of the outlet hole
    float FVX = 0.0f;    // m2      area of the swirler openings
    float PSIVX = 0.0f;  // degrees inclination of the swirler
    std::int32_t VID = 0;  //       swirler type: 1 lateral along L, other shorter or end-face
    float NU = 0.0f;     // m2/s    kinematic viscosity
    float RO = 0.0f;     // kg/m3   density of the gas
    float PVN = 0.0f;    // Pa      pressure of the surrounding medium (reported only)
    float TK = 0.0f;     // degrees temperature at the wall (reported only)
    float DRK = 0.0f;    // m       radial step of the profiles
    std::int32_t NVS = 0;  //       0 analytic vortex, 1 equations of motion, 2 the same without counterflow
    std::int32_t IERR = 0;  //      1 when the data file could not be opened

    // Integral flow parameters.
    float PI = 0.0f;
    float Q = 0.0f;      // m3/s    volume flow rate
    float PSI = 0.0f;    // rad     swirler angle
    float MA = 0.0f;     //         design swirl parameter
    float K = 0.0f;      //         degree of swirl at the periphery
    float M = 0.0f;      //         theoretical swirl parameter
    float XU = 0.0f;     //         (RU/R1)**2
    float UK = 0.0f;     // m/s     mean radial velocity at the wall (inward negative)
    float U1 = 0.0f;     // m/s     mean radial velocity at R1
    float WSR1 = 0.0f;   // m/s     mean axial velocity in the outlet
    float RP = 0.0f;     // m       radius of zero static pressure
    float RU = 0.0f;     // m       radius of zero radial velocity
    float RV = 0.0f;     // m       radius of the maximum tangential velocity
    float VWX = 0.0f;    // m/s     tangential velocity at the swirler exit
    float RATIO = 0.0f;  //         VWX / (-UK)
    float ALFA = 0.0f;   //         velocity conversion coefficient
    float VK = 0.0f;     // m/s     tangential velocity at the wall
    float REI = 0.0f;    //         Reynolds number
    float PVXOD = 0.0f;  // Pa      pressure before the swirler

    // Profiles.
    float VMAX = 0.0f;   // m/s     maximum tangential velocity
    float V1 = 0.0f;     // m/s     tangential velocity at R1
    float P0 = 0.0f;     // Pa      pressure on the axis
    float P1 = 0.0f;     // Pa      pressure at R1
    float PK = 0.0f;     // Pa      pressure at the wall
    std::int32_t NK = 0;    //      nodes of V and P on 0..RK (at most 400)
    std::int32_t NITA = 0;  //      nodes of U and W on 0..R1 (at most 399)
    Profile V{};         // m/s     tangential velocity
    Profile P{};         // Pa      static pressure, zero at RP
    Profile U{};         // m/s     radial velocity
    Profile W{};         // m/s     axial velocity at Z = L
    // The radius of node i is node_radius(i, DRK), for the profiles and the
    // report's radius column alike.

    // Power-law refinement V*R**N = const (analytic vortex only).
    float N = 0.0f;       //        exponent
    float V1_N = 0.0f;    // m/s
    float VMAX_N = 0.0f;  // m/s
    float PK_N = 0.0f;    // Pa
    float PVXOD_N = 0.0f; // Pa

    // Correction for the height of the outlet.
    float P0_H = 0.0f;    // Pa
    float PK_H = 0.0f;    // Pa
    float VMAX_H = 0.0f;  // m/s

    // What the console said of the V and P profiles, for a tool: the grid
    // stopped at 400 nodes short of the wall (the 400-node message), or
    // F2 <= 2 left the equations of motion unsolved (the F2 message).  And
    // what it did not say: the solved pressure has no zero crossing, so RP
    // is no radius.
    bool nodes_cut = false;
    bool motion_unsolved = false;
    bool pressure_zero_missed = false;
};

}  // namespace vortex_chamber
