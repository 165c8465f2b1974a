// The uncertainty of a measurement: the calibration's part (the error terms' covariance at each
// point), the sample's part at each measurement, the budget of one point and the Monte Carlo
// check of the propagation.

#include <algorithm>
#include <cmath>
#include <random>

#include "probe/CProbeEngine.h"
#include "probe/Standards.h"
#include "probe/Units.h"

namespace kv {

namespace {

// The value of a per-point array at i, or (0, 0) past its end.
Cplx At(const std::vector<CComplex>& values, std::size_t i) {
    return i < values.size() ? ToCplx(values[i]) : Cplx();
}

bool Invalid(CComplex e) {
    return e.re == kInvalidValue && e.im == kInvalidValue;
}

bool SameValues(const std::vector<CComplex>& a, const std::vector<CComplex>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](CComplex x, CComplex y) { return x.re == y.re && x.im == y.im; });
}

// The names of the three standards of a calibration type.
std::string StandardName(const CalibrationSheet& sheet, int k) {
    static const char* const loadAirShort[] = {"Load", "Air", "Short"};
    static const char* const airShortWater[] = {"Air", "Short", "Water"};
    switch (sheet.calibrationType) {
        case CalibrationType::LoadAirShort:
            return loadAirShort[k];
        case CalibrationType::AirShortWater:
            return airShortWater[k];
        case CalibrationType::UserStandards:
            return sheet.stdLabel[static_cast<std::size_t>(k)];
    }
    return "Standard " + std::to_string(k + 1);
}

std::string RefreshName(int standard) {
    static const char* const names[] = {"Air", "Short", "Water"};
    return standard >= 0 && standard <= 2 ? names[standard] : "?";
}

// How a reading's scatter is known, as the budget says it.
std::string ScatterNote(const ReadingScatter& s) {
    if (s.Stated()) {
        return "stated, not measured (trace noise " + Printf("%g", s.statedNoise) + ")";
    }
    if (s.Known()) {
        return std::to_string(s.sweeps) + " sweeps";
    }
    return "not known (one sweep and no stated trace noise)";
}

std::array<Cplx, 3> Scaled(std::array<Cplx, 3> d, Cplx s) {
    for (Cplx& v : d) {
        v *= s;
    }
    return d;
}

Cplx Dot(const std::array<Cplx, 3>& a, const std::array<Cplx, 3>& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Cov2 CovarianceAt(const ReadingScatter& s, std::size_t i) {
    return i < s.covariance.size() ? s.covariance[i] : Cov2{};
}

// The relative term of a characterised probe: rel |e| shared equally by e' and e''.
double ProbeTerm(double relative, CComplex e) {
    return relative * std::hypot(e.re, e.im) / std::sqrt(2.0);
}

}  // namespace

std::vector<CProbeEngine::TermInput> CProbeEngine::CalibrationInputsAt(
    std::size_t i, std::vector<std::string>* notes) const {
    std::vector<TermInput> inputs;
    if (i >= frequencies.size()) {
        return inputs;
    }
    const double f = frequencies[i];
    const std::array<Cplx, 3> g = {ToCplx(StandardReflection(1, f)),
                                   ToCplx(StandardReflection(2, f)),
                                   ToCplx(StandardReflection(3, f))};
    const std::array<Cplx, 3> m = {At(stdMeasured1, i), At(stdMeasured2, i), At(stdMeasured3, i)};
    const TermSolution cal = SolveTermsWithDerivatives(g, m);
    if (!cal.solved) {
        return inputs;
    }
    // A refresh scales e11 and e01e10 by the ratio its reading bears to the expected reflection
    // (the last refresh's reading: it replaces an earlier one's term).
    const bool refreshHere = refreshed && i < refreshMeasured.size() && i < errorTracking.size() &&
                             calSettings.refreshStandard >= 0 && calSettings.refreshStandard <= 2;
    Cplx rho = 1.0;
    Cplx reading;
    Cplx expected = 1.0;
    std::array<Cplx, 3> now = cal.terms;
    if (refreshHere) {
        now = {At(errorDirectivity, i), At(errorSourceMatch, i), At(errorTracking, i)};
        rho = cal.terms[2] != Cplx() ? now[2] / cal.terms[2] : Cplx(1.0);
        reading = At(refreshMeasured, i);
        expected = ToCplx(RefreshReflection(f));
    }
    auto mapped = [&](std::array<Cplx, 3> d) {
        d[1] *= rho;
        d[2] *= rho;
        return d;
    };
    // d terms / d reading and d terms / d expected reflection of the refresh.
    const std::array<Cplx, 3> byRefreshReading =
        reading != Cplx() ? std::array<Cplx, 3>{Cplx(), now[1] / reading, now[2] / reading}
                          : std::array<Cplx, 3>{};
    const std::array<Cplx, 3> byRefreshExpected = {Cplx(), -now[1] / expected, -now[2] / expected};

    for (int k = 0; k < 3; ++k) {
        const ReadingScatter& scatter = stdScatter[static_cast<std::size_t>(k)];
        TermInput in;
        in.name = StandardName(calSettings, k) + " reading";
        in.note = ScatterNote(scatter);
        in.stated = scatter.Stated();
        if (scatter.Known()) {
            in.parts.push_back(
                {mapped(cal.dTermsDm[static_cast<std::size_t>(k)]), CovarianceAt(scatter, i)});
        }
        inputs.push_back(std::move(in));
    }

    // The water's temperature, through the water standard and a refresh with water.
    const bool waterStandard = calSettings.calibrationType == CalibrationType::AirShortWater;
    const bool waterRefresh = refreshHere && calSettings.refreshStandard == 2;
    if (waterStandard || waterRefresh) {
        bool clamped = false;
        const double t = calSettings.waterTemperature;
        const Cplx epsWater = ToCplx(WaterPermittivity(f, t));
        const Cplx dGdT =
            ModelDerivative(model, f, epsWater) * WaterTemperatureDerivative(f, t, &clamped);
        std::array<Cplx, 3> d{};
        if (waterStandard) {
            d = Scaled(mapped(cal.dTermsDg[2]), dGdT);
        }
        if (waterRefresh) {
            const auto r = Scaled(byRefreshExpected, dGdT);
            for (int q = 0; q < 3; ++q) {
                d[static_cast<std::size_t>(q)] += r[static_cast<std::size_t>(q)];
            }
        }
        TermInput in;
        in.name = "Water temperature";
        in.note = "u(T) = " + Printf("%g", calSettings.uWaterTemperature) + " K";
        in.stated = true;
        if (clamped) {
            in.note += "; the water table is clamped at this temperature: no slope in T";
            if (notes != nullptr) {
                notes->push_back(
                    "The water's temperature lies outside the table (0-75 C): the table is "
                    "clamped there, so the temperature contributes nothing.");
            }
        }
        in.parts.push_back(
            {d, Cov2::Real(calSettings.uWaterTemperature * calSettings.uWaterTemperature)});
        inputs.push_back(std::move(in));
    }

    // The user standards' Cole-Cole parameters.
    if (calSettings.calibrationType == CalibrationType::UserStandards) {
        for (std::size_t k = 0; k < 3; ++k) {
            const std::array<double, 4> u = {calSettings.uStdEo[k], calSettings.uStdEinf[k],
                                             calSettings.uStdAlpha[k], calSettings.uStdTau[k]};
            if (u == std::array<double, 4>{}) {
                continue;
            }
            const ColeCole material{calSettings.stdEo[k], calSettings.stdEinf[k],
                                    calSettings.stdAlpha[k], calSettings.stdTau[k]};
            const Cplx dG = ModelDerivative(model, f, ToCplx(ColeColePermittivity(f, material)));
            const auto dEps = ColeColeDerivatives(f, material);
            TermInput in;
            in.name = calSettings.stdLabel[k] + " parameters";
            in.note = "Eo, Einf, alpha, tau";
            in.stated = true;
            for (std::size_t p = 0; p < 4; ++p) {
                if (u[p] != 0.0) {
                    in.parts.push_back(
                        {Scaled(mapped(cal.dTermsDg[k]), dG * dEps[p]), Cov2::Real(u[p] * u[p])});
                }
            }
            inputs.push_back(std::move(in));
        }
    }

    // The refresh's reading: corrected with the terms held before it; its stated noise is that
    // of the raw reading those terms corrected.
    if (refreshHere) {
        TermInput in;
        in.name = "Refresh reading (" + RefreshName(calSettings.refreshStandard) + ")";
        in.note = ScatterNote(refreshScatter);
        in.stated = refreshScatter.Stated();
        if (refreshScatter.Known() && reading != Cplx()) {
            Cov2 c = CovarianceAt(refreshScatter, i);
            if (refreshScatter.Stated()) {
                const Cplx last = reading / expected;
                const std::array<Cplx, 3> before = {now[0], now[1] / last, now[2] / last};
                const Cplx raw = RawFromCorrected(reading, before);
                c = Through(CorrectionReadingDerivative(raw, before), c);
            }
            in.parts.push_back({byRefreshReading, c});
        }
        inputs.push_back(std::move(in));
    }
    return inputs;
}

void CProbeEngine::ComputeCalibrationUncertainty() {
    termCovariance.clear();
    if (!calibrated) {
        return;
    }
    const std::size_t n = frequencies.size();
    termCovariance.assign(n, TermCovariance{});
    for (std::size_t i = 0; i < n; ++i) {
        for (const TermInput& input : CalibrationInputsAt(i)) {
            for (const auto& [d, c] : input.parts) {
                termCovariance[i].Add(d, c);
            }
        }
    }
}

bool CProbeEngine::HoldsUncertainty() const {
    if (!calSettings.UncertaintyInputsDefault() || refreshScatter.Known() ||
        sampleScatter.Known()) {
        return true;
    }
    for (const ReadingScatter& s : stdScatter) {
        if (s.Known()) {
            return true;
        }
    }
    return false;
}

Cov2 CProbeEngine::SampleCovarianceAt(std::size_t i, Cplx m, const std::array<Cplx, 3>& t) const {
    if (!sampleScatter.Known()) {
        return {};
    }
    const Cov2 c = CovarianceAt(sampleScatter, i);
    return sampleScatter.Stated() ? Through(CorrectionReadingDerivative(m, t), c) : c;
}

void CProbeEngine::FillUncertainty() {
    result.uncertaintyE1.clear();
    result.uncertaintyE2.clear();
    budgetOf_.clear();
    const std::size_t n = result.permittivity.size();
    if (!calibrated || n == 0 || errorDirectivity.size() < n || errorSourceMatch.size() < n ||
        errorTracking.size() < n) {
        return;
    }
    if (termCovariance.size() != frequencies.size()) {
        ComputeCalibrationUncertainty();
    }
    result.uncertaintyE1.assign(n, kInvalidValue);
    result.uncertaintyE2.assign(n, kInvalidValue);
    for (std::size_t i = 0; i < n; ++i) {
        const CComplex e = result.permittivity[i];
        if (Invalid(e)) {
            continue;
        }
        const double f = frequencies[i];
        const std::array<Cplx, 3> t = {At(errorDirectivity, i), At(errorSourceMatch, i),
                                       At(errorTracking, i)};
        const Cplx m = RawFromCorrected(At(sampleMeasured, i), t);
        Cov2 gamma = termCovariance[i].Project(CorrectionTermDerivatives(m, t));
        gamma += SampleCovarianceAt(i, m, t);
        const Cplx slope = ModelDerivative(model, f, Cplx(e.re, -e.im));
        if (slope == Cplx()) {
            continue;
        }
        const Cov2 eps = Through(1.0 / slope, gamma);
        const double probe = ProbeTerm(calSettings.probeDeviation, e);
        // Terms that determine nothing (zero terms from a damaged calibration) give no number:
        // the point keeps 9999.
        if (!std::isfinite(eps.rr) || !std::isfinite(eps.ii)) {
            continue;
        }
        result.uncertaintyE1[i] = std::sqrt(std::max(0.0, eps.rr) + probe * probe);
        result.uncertaintyE2[i] = std::sqrt(std::max(0.0, eps.ii) + probe * probe);
    }
    budgetOf_ = result.permittivity;
}

std::optional<UncertaintyBudget> CProbeEngine::BudgetAt(std::size_t point) const {
    if (point >= result.permittivity.size() || point >= result.uncertaintyE1.size() ||
        point >= frequencies.size() || !SameValues(budgetOf_, result.permittivity)) {
        return std::nullopt;
    }
    const CComplex e = result.permittivity[point];
    if (Invalid(e)) {
        return std::nullopt;
    }
    const double f = frequencies[point];
    UncertaintyBudget budget;
    budget.frequency = f;
    budget.e1 = e.re;
    budget.e2 = e.im;
    const std::array<Cplx, 3> t = {At(errorDirectivity, point), At(errorSourceMatch, point),
                                   At(errorTracking, point)};
    const Cplx m = RawFromCorrected(At(sampleMeasured, point), t);
    const std::array<Cplx, 3> byTerms = CorrectionTermDerivatives(m, t);
    const Cplx toEps = 1.0 / ModelDerivative(model, f, Cplx(e.re, -e.im));
    auto add = [&](BudgetTerm term, const Cov2& gamma) {
        const Cov2 eps = Through(toEps, gamma);
        term.e1 = std::sqrt(std::max(0.0, eps.rr));
        term.e2 = std::sqrt(std::max(0.0, eps.ii));
        budget.terms.push_back(std::move(term));
    };
    for (const TermInput& input : CalibrationInputsAt(point, &budget.notes)) {
        Cov2 gamma;
        for (const auto& [d, c] : input.parts) {
            gamma += Through(Dot(byTerms, d), c);
        }
        add({input.name, 0.0, 0.0, input.stated, input.note}, gamma);
    }
    add({"Sample reading", 0.0, 0.0, sampleScatter.Stated(), ScatterNote(sampleScatter)},
        SampleCovarianceAt(point, m, t));
    if (calSettings.probeDeviation > 0.0) {
        const double u = ProbeTerm(calSettings.probeDeviation, e);
        budget.terms.push_back(
            {"Probe characterisation", u, u, true,
             "relative deviation after the fit " + Printf("%g", calSettings.probeDeviation)});
    }
    double s1 = 0.0;
    double s2 = 0.0;
    bool stated = false;
    for (const BudgetTerm& term : budget.terms) {
        s1 += term.e1 * term.e1;
        s2 += term.e2 * term.e2;
        stated = stated || term.stated;
    }
    budget.uE1 = std::sqrt(s1);
    budget.uE2 = std::sqrt(s2);
    if (stated) {
        budget.notes.push_back(
            "Terms marked stated come from stated values (trace noise, type B inputs), not from "
            "the scatter of repeated sweeps.");
    }
    return budget;
}

CProbeEngine::MonteCarloResult CProbeEngine::MonteCarlo(int draws, std::uint64_t seed) const {
    MonteCarloResult out;
    const std::size_t n =
        std::min({result.permittivity.size(), frequencies.size(), sampleMeasured.size(),
                  errorDirectivity.size(), errorSourceMatch.size(), errorTracking.size()});
    if (!calibrated || n == 0 || draws < 2) {
        return out;
    }
    std::mt19937_64 random(seed);
    std::normal_distribution<double> normal;
    auto drawn = [&](Cplx mean, const ReadingScatter& s, std::size_t i) {
        if (!s.Known()) {
            return mean;
        }
        const auto l = CholeskyFactor(CovarianceAt(s, i));
        const double z1 = normal(random);
        const double z2 = normal(random);
        return mean + Cplx(l[0] * z1, l[1] * z1 + l[2] * z2);
    };

    // What each draw starts from: the terms the analyzer corrects with, the raw readings they
    // give back, and what the refresh multiplied into the terms before its last reading.
    std::vector<std::array<Cplx, 3>> now(n);
    std::vector<Cplx> raw(n);
    std::vector<Cplx> earlierRatio(n, Cplx(1.0));
    std::vector<std::array<Cplx, 3>> beforeRefresh(n);
    const bool refresh = refreshed && refreshMeasured.size() >= n;
    for (std::size_t i = 0; i < n; ++i) {
        now[i] = {At(errorDirectivity, i), At(errorSourceMatch, i), At(errorTracking, i)};
        raw[i] = RawFromCorrected(At(sampleMeasured, i), now[i]);
        if (refresh) {
            const double f = frequencies[i];
            const std::array<Cplx, 3> g = {ToCplx(StandardReflection(1, f)),
                                           ToCplx(StandardReflection(2, f)),
                                           ToCplx(StandardReflection(3, f))};
            const TermSolution cal = SolveTermsWithDerivatives(
                g, {At(stdMeasured1, i), At(stdMeasured2, i), At(stdMeasured3, i)});
            const Cplx last = At(refreshMeasured, i) / ToCplx(RefreshReflection(f));
            if (cal.solved && cal.terms[2] != Cplx() && last != Cplx()) {
                earlierRatio[i] = now[i][2] / cal.terms[2] / last;
            }
            beforeRefresh[i] = {now[i][0], now[i][1] / last, now[i][2] / last};
        }
    }

    std::vector<double> mean1(n, 0.0), mean2(n, 0.0), sq1(n, 0.0), sq2(n, 0.0);
    std::vector<int> count(n, 0);
    std::vector<CComplex> gamma(n);
    std::vector<CComplex> eps(n);
    std::vector<double> sensitivity(n);
    for (int d = 0; d < draws; ++d) {
        CalibrationSheet sheet = calSettings;
        sheet.waterTemperature += calSettings.uWaterTemperature * normal(random);
        for (std::size_t k = 0; k < 3; ++k) {
            sheet.stdEo[k] += calSettings.uStdEo[k] * normal(random);
            sheet.stdEinf[k] += calSettings.uStdEinf[k] * normal(random);
            sheet.stdAlpha[k] += calSettings.uStdAlpha[k] * normal(random);
            sheet.stdTau[k] += calSettings.uStdTau[k] * normal(random);
        }
        for (std::size_t i = 0; i < n; ++i) {
            const double f = frequencies[i];
            const std::array<Cplx, 3> g = {ToCplx(StandardReflectionOf(sheet, model, 1, f)),
                                           ToCplx(StandardReflectionOf(sheet, model, 2, f)),
                                           ToCplx(StandardReflectionOf(sheet, model, 3, f))};
            const std::array<Cplx, 3> m = {drawn(At(stdMeasured1, i), stdScatter[0], i),
                                           drawn(At(stdMeasured2, i), stdScatter[1], i),
                                           drawn(At(stdMeasured3, i), stdScatter[2], i)};
            std::array<Cplx, 3> t = SolveTermsWithDerivatives(g, m).terms;
            if (refresh) {
                Cplx r = At(refreshMeasured, i);
                if (refreshScatter.Stated()) {
                    r = Corrected(drawn(RawFromCorrected(r, beforeRefresh[i]), refreshScatter, i),
                                  beforeRefresh[i]);
                } else {
                    r = drawn(r, refreshScatter, i);
                }
                const Cplx ratio =
                    earlierRatio[i] * r / ToCplx(RefreshReflectionOf(sheet, model, f));
                t[1] *= ratio;
                t[2] *= ratio;
            }
            Cplx sample = raw[i];
            if (sampleScatter.Stated()) {
                sample = drawn(raw[i], sampleScatter, i);
            } else if (sampleScatter.Known()) {
                sample = RawFromCorrected(drawn(At(sampleMeasured, i), sampleScatter, i), now[i]);
            }
            gamma[i] = ToCComplex(Corrected(sample, t));
        }
        ComputePermittivity(frequencies.data(), gamma.data(), eps.data(), sensitivity.data(),
                            static_cast<int>(n));
        for (std::size_t i = 0; i < n; ++i) {
            if (Invalid(eps[i])) {
                continue;
            }
            double e1 = eps[i].re;
            double e2 = eps[i].im;
            if (calSettings.probeDeviation > 0.0) {
                const double u = ProbeTerm(calSettings.probeDeviation, eps[i]);
                e1 += u * normal(random);
                e2 += u * normal(random);
            }
            // Welford's running mean and sum of squared deviations.
            const double c = ++count[i];
            const double d1 = e1 - mean1[i];
            const double d2 = e2 - mean2[i];
            mean1[i] += d1 / c;
            mean2[i] += d2 / c;
            sq1[i] += d1 * (e1 - mean1[i]);
            sq2[i] += d2 * (e2 - mean2[i]);
        }
    }
    out.e1.assign(n, kInvalidValue);
    out.e2.assign(n, kInvalidValue);
    for (std::size_t i = 0; i < n; ++i) {
        const double c = count[i];
        if (count[i] < 2) {
            continue;
        }
        out.e1[i] = std::sqrt(sq1[i] / (c - 1.0));
        out.e2[i] = std::sqrt(sq2[i] / (c - 1.0));
    }
    return out;
}

}  // namespace kv
