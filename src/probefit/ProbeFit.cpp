#include "probefit/ProbeFit.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>

#include "instrument/DownloadedTerms.h"
#include "probe/CProbeEngine.h"
#include "probe/ProbeModel.h"

namespace kv {

namespace {

// The least-squares driver's limits: the step and the gradient tests (GSL's xtol and gtol), no
// test on the change of the cost, and at most this many iterations.
constexpr double kStepTolerance = 1e-10;
constexpr double kGradientTolerance = 1e-12;
constexpr std::size_t kMaxIterations = 100;

// The raw reading behind a corrected one: M = e00 + e01e10 G / (1 - e11 G).
CComplex RawReading(CComplex corrected, CComplex e00, CComplex e11, CComplex e01e10) {
    const CComplex one(1.0, 0.0);
    const CComplex num = CComplex::Multiply(e01e10, corrected);
    const CComplex den = CComplex::Subtract(one, CComplex::Multiply(e11, corrected));
    return CComplex::Add(e00, CComplex::Divide(num, den));
}

// The inverse of the probe model converges to a reflection within 1e-3 of the reading, and a
// permittivity so close to the liquid's is not a smooth function of the scales: a fit on it would
// stall in the inverse's own steps. Each trial therefore finishes every valid point with Newton
// steps on the model's reflection (its derivative by a small relative step in eps), so that the
// scales found are those of the model, not of the inverse's tolerance.
constexpr int kPolishSteps = 4;
constexpr double kDerivativeStep = 1e-7;
constexpr double kPolishTolerance = 1e-14;

// Improves eps (e' - j e'') so that the model's reflection at f approaches gamma; a step that
// leaves a larger misfit or no number ends the polish with what was best.
CComplex Polish(const ProbeModel& m, double f, CComplex gamma, CComplex eps) {
    CComplex misfit = CComplex::Subtract(m.Reflection(f, eps), gamma);
    for (int step = 0; step < kPolishSteps; ++step) {
        const CComplex h = CComplex::Multiply(eps, {kDerivativeStep, 0.0});
        const CComplex here = CComplex::Add(misfit, gamma);
        const CComplex slope =
            CComplex::Divide(CComplex::Subtract(m.Reflection(f, CComplex::Add(eps, h)), here), h);
        const CComplex delta = CComplex::Divide(misfit, slope);
        const CComplex next = CComplex::Subtract(eps, delta);
        const CComplex nextMisfit = CComplex::Subtract(m.Reflection(f, next), gamma);
        if (!(CComplex::Abs(nextMisfit) < CComplex::Abs(misfit))) {
            break;
        }
        eps = next;
        misfit = nextMisfit;
        if (CComplex::Abs(delta) <= kPolishTolerance * CComplex::Abs(eps)) {
            break;
        }
    }
    return eps;
}

// What every trial needs: the engine (its standards' readings), the points used, the liquid's raw
// readings and permittivity.
struct Problem {
    const CProbeEngine* engine = nullptr;
    bool fitCoefficientScale = false;
    std::vector<std::size_t> index;   // points of the sweep used
    std::vector<double> frequencies;  // their frequencies
    std::vector<CComplex> rawLiquid;  // the liquid's uncorrected readings
    std::vector<CComplex> liquid;     // the liquid's permittivity, e' - j e''
    // Per trial, reused.
    std::vector<CComplex> corrected;
    std::vector<CComplex> permittivity;
    std::vector<double> sensitivity;

    // The engine's model with the trial's scales.
    ProbeModel Model(double fs, double s) const {
        ProbeModel m = engine->model;
        m.frequencyScale = fs;
        if (fitCoefficientScale) {
            m.coefficientScale = s;
            m.LoadProbeCoefficients(engine->calSettings.probeType);
        }
        return m;
    }

    // The liquid's permittivity (e', e'') at the points used, as a probe of the trial's scales
    // measures it; polished to the model's exact inverse when `polish`.
    void Measure(const ProbeModel& m, bool polish) {
        const std::size_t n = index.size();
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t i = index[k];
            CComplex e00;
            CComplex e11;
            CComplex e01e10;
            engine->SolveErrorTerms(m, frequencies[k], engine->stdMeasured1[i],
                                    engine->stdMeasured2[i], engine->stdMeasured3[i], e00, e11,
                                    e01e10);
            corrected[k] = CorrectReflection(rawLiquid[k], e00, e11, e01e10);
        }
        m.ComputePermittivity(frequencies.data(), corrected.data(), permittivity.data(),
                              sensitivity.data(), static_cast<int>(n));
        if (!polish) {
            return;
        }
        for (std::size_t k = 0; k < n; ++k) {
            CComplex& e = permittivity[k];
            if (e.re != kInvalidValue) {
                const CComplex p = Polish(m, frequencies[k], corrected[k], {e.re, -e.im});
                e = {p.re, -p.im};
            }
        }
    }

    // The relative deviation of point k's measured permittivity (e', e'') from the liquid's.
    CComplex Deviation(std::size_t k) const {
        const CComplex expected = liquid[k];
        const double scale = CComplex::Abs(expected);
        return {(permittivity[k].re - expected.re) / scale,
                (-permittivity[k].im - expected.im) / scale};
    }

    FitDeviation Summary() const {
        FitDeviation d;
        double sum = 0.0;
        for (std::size_t k = 0; k < index.size(); ++k) {
            const double r = CComplex::Abs(Deviation(k));
            // !(<=) takes a point that is not a number as the largest.
            if (!(r <= d.largest)) {
                d.largest = r;
            }
            sum += r * r;
        }
        d.rms = std::sqrt(sum / static_cast<double>(index.size()));
        return d;
    }
};

int Residuals(const gsl_vector* x, void* data, gsl_vector* f) {
    auto& p = *static_cast<Problem*>(data);
    const double fs = gsl_vector_get(x, 0);
    const double s = p.fitCoefficientScale ? gsl_vector_get(x, 1) : 1.0;
    p.Measure(p.Model(fs, s), true);
    for (std::size_t k = 0; k < p.index.size(); ++k) {
        const CComplex r = p.Deviation(k);
        gsl_vector_set(f, 2 * k, r.re);
        gsl_vector_set(f, 2 * k + 1, r.im);
    }
    return GSL_SUCCESS;
}

struct WorkspaceFree {
    void operator()(gsl_multifit_nlinear_workspace* w) const { gsl_multifit_nlinear_free(w); }
};

// GSL's default error handler aborts the program; the fit reports through its result instead.
class QuietGslErrors {
public:
    QuietGslErrors() : previous_(gsl_set_error_handler_off()) {}
    ~QuietGslErrors() { gsl_set_error_handler(previous_); }
    QuietGslErrors(const QuietGslErrors&) = delete;
    QuietGslErrors& operator=(const QuietGslErrors&) = delete;

private:
    gsl_error_handler_t* previous_;
};

}  // namespace

ProbeFit FitProbeScale(const CProbeEngine& calibrated, const std::vector<CComplex>& liquidReading,
                       const std::function<CComplex(double)>& liquidPermittivity, double fMinHz,
                       double fMaxHz, bool fitCoefficientScale) {
    const CProbeEngine& e = calibrated;
    ProbeFit fit;
    fit.frequencyScale = e.model.frequencyScale;
    fit.coefficientScale = e.model.coefficientScale;
    fit.coefficientScaleFitted =
        fitCoefficientScale && e.calSettings.calibrationType == CalibrationType::LoadAirShort;
    if (!fit.coefficientScaleFitted) {
        fit.coefficientScaleNote = fitCoefficientScale ? kScaleCancels : kScaleNotAsked;
    }

    const std::size_t n = e.frequencies.size();
    if (!e.calibrated || e.stdMeasured1.size() != n || e.stdMeasured2.size() != n ||
        e.stdMeasured3.size() != n || e.errorDirectivity.size() != n ||
        e.errorSourceMatch.size() != n || e.errorTracking.size() != n) {
        fit.outcome = Outcome::Refusal(kFitNotCalibrated);
        return fit;
    }
    if (liquidReading.size() != n) {
        fit.outcome = Outcome::Refusal(kFitReadingMismatch);
        return fit;
    }

    Problem p;
    p.engine = &e;
    p.fitCoefficientScale = fit.coefficientScaleFitted;
    for (std::size_t i = 0; i < n; ++i) {
        const double f = e.frequencies[i];
        if (f >= fMinHz && f <= fMaxHz) {
            p.index.push_back(i);
            p.frequencies.push_back(f);
            p.rawLiquid.push_back(RawReading(liquidReading[i], e.errorDirectivity[i],
                                             e.errorSourceMatch[i], e.errorTracking[i]));
            p.liquid.push_back(liquidPermittivity(f));
        }
    }
    const std::size_t used = p.index.size();
    if (used == 0) {
        fit.outcome = Outcome::Refusal(kFitNoPoints);
        return fit;
    }
    fit.points = static_cast<int>(used);
    fit.fromHz = p.frequencies.front();
    fit.toHz = p.frequencies.back();
    p.corrected.resize(used);
    p.permittivity.resize(used);
    p.sensitivity.resize(used);

    // The probe as it was: the reading as the analyzer corrected it, inverted with the engine's
    // model.
    for (std::size_t k = 0; k < used; ++k) {
        p.corrected[k] = liquidReading[p.index[k]];
    }
    e.model.ComputePermittivity(p.frequencies.data(), p.corrected.data(), p.permittivity.data(),
                                p.sensitivity.data(), static_cast<int>(used));
    fit.before = p.Summary();

    QuietGslErrors quiet;
    const std::size_t parameters = p.fitCoefficientScale ? 2 : 1;
    gsl_multifit_nlinear_parameters params = gsl_multifit_nlinear_default_parameters();
    std::unique_ptr<gsl_multifit_nlinear_workspace, WorkspaceFree> w(
        gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &params, 2 * used, parameters));
    gsl_multifit_nlinear_fdf fdf{};
    fdf.f = Residuals;
    fdf.df = nullptr;  // the Jacobian by forward differences
    fdf.fvv = nullptr;
    fdf.n = 2 * used;
    fdf.p = parameters;
    fdf.params = &p;

    double start[2] = {e.model.frequencyScale, e.model.coefficientScale};
    gsl_vector_view x0 = gsl_vector_view_array(start, parameters);
    int status = gsl_multifit_nlinear_init(&x0.vector, &fdf, w.get());
    int info = 0;
    if (status == GSL_SUCCESS) {
        status = gsl_multifit_nlinear_driver(kMaxIterations, kStepTolerance, kGradientTolerance,
                                             0.0, nullptr, nullptr, &info, w.get());
    }
    fit.iterations = static_cast<int>(gsl_multifit_nlinear_niter(w.get()));
    const gsl_vector* x = gsl_multifit_nlinear_position(w.get());
    fit.frequencyScale = gsl_vector_get(x, 0);
    if (p.fitCoefficientScale) {
        fit.coefficientScale = gsl_vector_get(x, 1);
    }
    // A start from which no step lowers the cost (GSL gives up on the first iteration, saying it
    // made no progress) is the minimum already, as long as the cost there is a number.
    const bool atMinimum = status == GSL_EMAXITER && info == GSL_ENOPROG && fit.iterations <= 1 &&
                           std::isfinite(gsl_blas_dnrm2(gsl_multifit_nlinear_residual(w.get())));
    fit.converged = (status == GSL_SUCCESS || atMinimum) && std::isfinite(fit.frequencyScale) &&
                    std::isfinite(fit.coefficientScale);

    // The fitted probe as the program then measures: with the model's inverse as it is.
    p.Measure(p.Model(fit.frequencyScale, fit.coefficientScale), false);
    fit.after = p.Summary();
    // The model gives e' + j e'' as its permittivity's parts; the liquid's is e' - j e''.
    for (std::size_t k = 0; k < used; ++k) {
        fit.curve.push_back({p.frequencies[k], p.permittivity[k].re, p.permittivity[k].im,
                             p.liquid[k].re, -p.liquid[k].im});
    }

    // !(<=) refuses a deviation that is not a number as a larger one.
    if (!fit.converged) {
        fit.outcome = Outcome::Refusal(kFitNotConverged);
    } else if (!(fit.frequencyScale >= kMinFrequencyScale &&
                 fit.frequencyScale <= kMaxFrequencyScale)) {
        fit.outcome = Outcome::Refusal(kFitScaleOutOfRange);
    } else if (!(fit.after.rms <= fit.before.rms)) {
        fit.outcome = Outcome::Refusal(kFitWorse);
    }
    return fit;
}

}  // namespace kv
