#pragma once

// The one-port error terms of the simulated reflectometer with its 1 m test cable, and the error
// model that turns the reflection at the probe's aperture into the raw reading and back (the
// correction a driver makes with the terms it was given is the program's, DownloadedTerms.h).

#include "instrument/DownloadedTerms.h"
#include "numerics/CComplex.h"

namespace kv {

struct ErrorTerms {
    CComplex directivity;  // e00
    CComplex sourceMatch;  // e11
    CComplex tracking;     // e01e10
};

// Directivity around -30 dB with a ripple, source match around -26 dB, and the tracking of a 1 m
// cable (velocity factor 0.7) with its loss and delay. `cablePhaseDegrees` turns the cable's
// round-trip phase further (the drift of a flexed or warming cable); it moves the tracking and the
// source match seen through the cable alike, and leaves the directivity at the port alone.
ErrorTerms DemoErrorTerms(double f, double cablePhaseDegrees);

// M = e00 + e01e10 G / (1 - e11 G).
CComplex RawReflection(const ErrorTerms& terms, CComplex gamma);

}  // namespace kv
