#include "viz/root_finding.h"

#include <algorithm>
#include <cmath>

namespace kelvaro {
namespace {

bool sameStrictSign(double u, double v) { return (u > 0.0 && v > 0.0) || (u < 0.0 && v < 0.0); }

}  // namespace

bool findRoot(const std::function<double(double)>& f, double lower, double upper, double& root) {
    constexpr int maxIterations = 100;
    double a = lower;
    double b = upper;
    double c = upper;
    double fa = f(a);
    double fb = f(b);
    if (sameStrictSign(fa, fb)) return false;
    double fc = fb;
    double d = b - a;
    double e = d;
    for (int iteration = 1; iteration <= maxIterations; ++iteration) {
        if (sameStrictSign(fb, fc)) {
            c = a;
            fc = fa;
            e = d = b - a;
        }
        if (std::abs(fc) < std::abs(fb)) {  // b becomes the best estimate
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol = 6e-8 * std::abs(b) + 0.0005;
        const double xm = 0.5 * (c - b);
        if (std::abs(xm) <= tol || fb == 0.0) {
            root = b;
            return true;
        }
        if (std::abs(e) >= tol && std::abs(fa) > std::abs(fb)) {
            const double s = fb / fa;
            double p;
            double q;
            if (a == c) {  // secant
                p = 2.0 * xm * s;
                q = 1.0 - s;
            } else {  // inverse quadratic interpolation
                q = fa / fc;
                const double r = fb / fc;
                p = s * (2.0 * xm * q * (q - r) - (b - a) * (r - 1.0));
                q = (q - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0) q = -q;
            p = std::abs(p);
            if (2.0 * p < std::min(3.0 * xm * q - std::abs(tol * q), std::abs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = xm;
                e = d;
            }
        } else {
            d = xm;
            e = d;
        }
        a = b;
        fa = fb;
        b += std::abs(d) > tol ? d : (xm >= 0.0 ? tol : -tol);
        fb = f(b);
    }
    return false;
}

std::optional<Vector3> findCrossing(const Model& model, const Vector3& a, const Vector3& b, double potential) {
    const Vector3 d = difference(b, a);
    const auto pointAt = [&](double s) { return sum(a, scaled(d, static_cast<float>(s))); };
    double s = 0.0;
    if (!findRoot([&](double t) { return model.potentialAt(pointAt(t)) - potential; }, 0.0, 1.0, s))
        return std::nullopt;
    return pointAt(s);
}

}  // namespace kelvaro
