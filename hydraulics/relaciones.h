#pragma once
// Closed-form relations of uniform flow with a free surface in a circular section. Angles are
// central angles in radians (0 empty, 2π full); lengths in m, flows in m3/s, velocities in m/s.
// Every relation raises ErrorAritmetico (aritmetica.h) on an arithmetic fault.

namespace colvero::hidraulica {

// The program's π and 2π: 3.14159265358979 is not the nearest double to π, and 2π is exactly
// twice it, so that π − θ/2 is exactly 0 at the full section.
inline constexpr double kPi = 3.14159265358979;
inline constexpr double kDosPi = 6.28318530717958;
inline constexpr double kGravedad = 9.81; // m/s2

double All1(double D);                    // area of the full section, m2
double TETA1(double y, double D);         // central angle of the depth y, rad (2π for y >= D)
double Y1(double D, double teta);         // depth of the angle, m
double A1(double D, double teta);         // wetted area, m2
double PM1(double D, double teta);        // wetted perimeter, m
double RH1(double A, double P);           // hydraulic radius A/P, m
double T1(double D, double teta);         // top width, m
double L1(double T, double A);            // hydraulic depth A/T, m
double PY1(double y, double D);           // fill ratio y/D, percent
double PA1(double A, double D);           // fill ratio A/Af, percent
double Q1(double v, double A);            // flow by continuity, m3/s
double V1(double Q, double A);            // velocity by continuity, m/s
double V2(double i, double n, double Rh); // Manning's velocity, m/s
// Manning's velocity from i^0.5 and Rh^(2/3) already computed (bit for bit V2), m/s: for
// loops over depths and slopes.
double V2Raiz(double raizI, double n, double Rh23);
double RH23(double Rh);        // Rh^(2/3), the hydraulic radius's share of Manning's velocity
double K1(double Q, double i); // conveyance Q/√i, m3/s
double F1(double v, double L); // Froude number, dimensionless

} // namespace colvero::hidraulica
