#pragma once

// What the NanoVNA's end-to-end tests through kv47310-cli share, whichever protocol the emulated
// analyzer speaks: the options that reach it on a port, methanol's permittivity at every point of
// a measure run, and the rows of a Touchstone file.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/CliRun.h"
#include "probe/Standards.h"

namespace kv::test {

// Methanol at 25 C, the sample after air, shorting block and water.
inline const ColeCole kNanoVnaMethanol{32.66, 5.563, 0.0, 5.067e-11};

inline std::vector<std::string> Join(std::vector<std::string> a,
                                     const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// `command` on the NanoVNA at `port`, then `more`.
inline std::vector<std::string> NanoVnaRun(const std::string& command, const std::string& port,
                                           const std::vector<std::string>& more = {}) {
    return Join({command, "--instrument", "NanoVNA", "--card", "Serial", "--card-address", port},
                more);
}

// Every row of a measure run is methanol within 0.1 % of |eps|.
inline void ExpectMethanol(const std::vector<ResultRow>& rows) {
    for (const auto& row : rows) {
        const CComplex eps = ColeColePermittivity(row.frequency, kNanoVnaMethanol);
        const double m = std::hypot(eps.re, eps.im);
        EXPECT_LT(std::fabs(row.e1 - eps.re) / m, 1e-3) << row.frequency;
        EXPECT_LT(std::fabs(row.e2 + eps.im) / m, 1e-3) << row.frequency;
    }
}

struct TouchstoneRow {
    double hz = 0;
    double re = 0;
    double im = 0;
};

// The data rows of a one-port Touchstone file in RI form (comments and the option line left out);
// a row that does not read fails the test.
inline std::vector<TouchstoneRow> TouchstoneRows(const std::string& text) {
    std::vector<TouchstoneRow> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '!' || line[0] == '#') {
            continue;
        }
        TouchstoneRow r;
        EXPECT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf", &r.hz, &r.re, &r.im), 3) << line;
        rows.push_back(r);
    }
    return rows;
}

}  // namespace kv::test
