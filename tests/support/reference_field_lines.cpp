#include "tests/support/reference_field_lines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace kelvaro::testing {
namespace {

Point3 operator+(const Point3& a, const Point3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point3 operator-(const Point3& a, const Point3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point3 operator*(double s, const Point3& a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(const Point3& a, const Point3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double norm(const Point3& a) { return std::sqrt(dot(a, a)); }
Point3 widened(const Vector3& p) { return {p.x, p.y, p.z}; }
double& at(Point3& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }
double at(const Point3& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

// The Dormand-Prince pair 8(5,3): nodes are not needed (the equation does not depend on
// the parameter). Stage i (0-based) takes the stages j < i with a[i][j].
constexpr int stages = 12;
constexpr double a[stages][stages] = {
    {},
    {5.26001519587677318785587544488e-2},
    {1.97250569845378994544595329183e-2, 5.91751709536136983633785987549e-2},
    {2.95875854768068491816892993775e-2, 0, 8.87627564304205475450678981324e-2},
    {2.41365134159266685502369798665e-1, 0, -8.84549479328286085344864962717e-1, 9.24834003261792003115737966543e-1},
    {3.7037037037037037037037037037e-2, 0, 0, 1.70828608729473871279604482173e-1, 1.25467687566822425016691814123e-1},
    {3.7109375e-2, 0, 0, 1.70252211019544039314978060272e-1, 6.02165389804559606850219397283e-2, -1.7578125e-2},
    {3.70920001185047927108779319836e-2, 0, 0, 1.70383925712239993810214054705e-1, 1.07262030446373284651809199168e-1,
     -1.53194377486244017527936158236e-2, 8.27378916381402288758473766002e-3},
    {6.24110958716075717114429577812e-1, 0, 0, -3.36089262944694129406857109825e0, -8.68219346841726006818189891453e-1,
     2.75920996994467083049415600797e1, 2.01540675504778934086186788979e1, -4.34898841810699588477366255144e1},
    {4.77662536438264365890433908527e-1, 0, 0, -2.48811461997166764192642586468e0, -5.90290826836842996371446475743e-1,
     2.12300514481811942347288949897e1, 1.52792336328824235832596922938e1, -3.32882109689848629194453265587e1,
     -2.03312017085086261358222928593e-2},
    {-9.3714243008598732571704021658e-1, 0, 0, 5.18637242884406370830023853209e0, 1.09143734899672957818500254654e0,
     -8.14978701074692612513997267357e0, -1.85200656599969598641566180701e1, 2.27394870993505042818970056734e1,
     2.49360555267965238987089396762e0, -3.0467644718982195003823669022e0},
    {2.27331014751653820792359768449e0, 0, 0, -1.05344954667372501984066689879e1, -2.00087205822486249909675718444e0,
     -1.79589318631187989172765950534e1, 2.79488845294199600508499808837e1, -2.85899827713502369474065508674e0,
     -8.87285693353062954433549289258e0, 1.23605671757943030647266201528e1, 6.43392746015763530355970484046e-1},
};
// The eighth-order solution.
constexpr double b[stages] = {5.42937341165687622380535766363e-2,  0, 0, 0, 0, 4.45031289275240888144113950566e0,
                              1.89151789931450038304281599044e0,   -5.8012039600105847814672114227e0,
                              3.1116436695781989440891606237e-1,   -1.52160949662516078556178806805e-1,
                              2.01365400804030348374776537501e-1,  4.47106157277725905176885569043e-2};
// The fifth-order error estimate, and the third-order comparison solution.
constexpr double error5[stages] = {0.1312004499419488073250102996e-01,  0, 0, 0, 0, -0.1225156446376204440720569753e+01,
                                   -0.4957589496572501915214079952e+00, 0.1664377182454986536961530415e+01,
                                   -0.3503288487499736816886487290e+00, 0.3341791187130174790297318841e+00,
                                   0.8192320648511571246570742613e-01,  -0.2235530786388629525884427845e-01};
constexpr double third[stages] = {0.244094488188976377952755905512e+00, 0, 0, 0, 0, 0, 0, 0,
                                  0.733846688281611857341361741547e+00, 0, 0, 0.220588235294117647058823529412e-01};

constexpr double relativeTolerance = 1e-10;
constexpr double absoluteTolerance = 1e-12;
constexpr long maxSteps = 2000000;

class Reference {
public:
    Reference(const Model& model, double sign, int startCharge) : model_(model), sign_(sign), startCharge_(startCharge) {
        low_ = widened(model.bounds().min);
        high_ = widened(model.bounds().max);
        for (const Charge& charge : model.charges()) charges_.push_back(widened(charge.position));
        diagonal_ = boxDiagonal(model);
    }

    ReferenceLine trace(const Vector3& start) const;

private:
    // The unit direction of sign x field, the field summed in double precision; none where it vanishes.
    bool direction(const Point3& p, Point3& out) const;
    struct Step {
        Point3 end;
        double error = 0.0;
        bool ok = false;
    };
    Step step(const Point3& y, const Point3& k1, double h) const;
    // Positive where the condition holds: 0..5 the faces (axis * 2, + 1 high), 6 + i charge i.
    double condition(int which, const Point3& p) const;
    int firstHolding(const Point3& p) const;

    const Model& model_;
    double sign_;
    int startCharge_;
    Point3 low_, high_;
    std::vector<Point3> charges_;
    double diagonal_ = 0.0;
};

bool Reference::direction(const Point3& p, Point3& out) const {
    Point3 field;
    for (std::size_t i = 0; i < charges_.size(); ++i) {
        const Point3 d = p - charges_[i];
        const double r = norm(d);
        field = field + (model_.charges()[i].value / (r * r * r)) * d;
    }
    const double size = norm(field);
    if (!(size > 0.0) || !std::isfinite(size)) return false;
    out = (sign_ / size) * field;
    return true;
}

Reference::Step Reference::step(const Point3& y, const Point3& k1, double h) const {
    std::array<Point3, stages> k;
    k[0] = k1;
    for (int i = 1; i < stages; ++i) {
        Point3 along;
        for (int j = 0; j < i; ++j) along = along + a[i][j] * k[j];
        if (!direction(y + h * along, k[i])) return {};
    }
    Point3 eighth, fifth, thirdOrder;
    for (int i = 0; i < stages; ++i) {
        eighth = eighth + b[i] * k[i];
        fifth = fifth + error5[i] * k[i];
        thirdOrder = thirdOrder + third[i] * k[i];
    }
    const Point3 end = y + h * eighth;
    const Point3 error3 = eighth - thirdOrder;
    double sum5 = 0.0, sum3 = 0.0;
    for (int axis = 0; axis < 3; ++axis) {
        const double scale = absoluteTolerance + relativeTolerance * std::max(std::fabs(at(y, axis)), std::fabs(at(end, axis)));
        sum5 += (at(fifth, axis) / scale) * (at(fifth, axis) / scale);
        sum3 += (at(error3, axis) / scale) * (at(error3, axis) / scale);
    }
    double denominator = sum5 + 0.01 * sum3;
    if (!(denominator > 0.0)) denominator = 1.0;
    return {end, std::fabs(h) * sum5 / std::sqrt(3.0 * denominator), true};
}

double Reference::condition(int which, const Point3& p) const {
    if (which < 6) {
        const int axis = which / 2;
        return which % 2 == 1 ? at(p, axis) - at(high_, axis) : at(low_, axis) - at(p, axis);
    }
    const Point3 d = p - charges_[static_cast<std::size_t>(which - 6)];
    return model_.chargeRadiusSquared() - dot(d, d);
}

// The first condition that holds at `p`, or -1.
int Reference::firstHolding(const Point3& p) const {
    for (int which = 0; which < 6 + static_cast<int>(charges_.size()); ++which) {
        if (which - 6 == startCharge_) continue;
        if (condition(which, p) > 0.0) return which;
    }
    return -1;
}

ReferenceLine Reference::trace(const Vector3& start) const {
    ReferenceLine line;
    Point3 y = widened(start);
    line.points.push_back(y);
    Point3 k1;
    if (firstHolding(y) >= 0 || !direction(y, k1)) return line;
    const double maxStep = 1e-3 * diagonal_;
    double h = std::min(model_.chargeRadius(), maxStep);
    for (long count = 0; count < maxSteps; ++count) {
        // Reach no more than a hundredth of the radius into the nearest charge's stop distance.
        double nearest = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < charges_.size(); ++i) {
            if (static_cast<int>(i) != startCharge_) nearest = std::min(nearest, norm(y - charges_[i]));
        }
        h = std::min({h, maxStep, std::max(nearest - 0.99 * model_.chargeRadius(), 0.01 * model_.chargeRadius())});
        if (h < 1e-12 * diagonal_) break;  // the field vanishes here
        const Step made = step(y, k1, h);
        if (!made.ok || !(made.error <= 1.0)) {
            h *= made.ok ? std::max(0.2, 0.9 * std::pow(made.error, -1.0 / 8.0)) : 0.2;
            continue;
        }
        const int stop = firstHolding(made.end);
        if (stop >= 0) {
            // Bisection on the length of a single step from y for the first condition to hold.
            double inside = 0.0, outside = h;
            int reason = stop;
            for (int halving = 0; halving < 60; ++halving) {
                const double middle = 0.5 * (inside + outside);
                const Step part = step(y, k1, middle);
                const int holding = part.ok ? firstHolding(part.end) : -1;
                if (holding >= 0) {
                    outside = middle;
                    reason = holding;
                } else {
                    inside = middle;
                }
            }
            Point3 end = step(y, k1, inside).end;
            if (reason < 6) {
                at(end, reason / 2) = at(reason % 2 == 1 ? high_ : low_, reason / 2);
                line.end = {LineEnd::Kind::Box, -1};
            } else {
                const Point3& charge = charges_[static_cast<std::size_t>(reason - 6)];
                end = charge + (model_.chargeRadius() / norm(end - charge)) * (end - charge);
                line.end = {LineEnd::Kind::Charge, reason - 6};
            }
            line.points.push_back(end);
            return line;
        }
        y = made.end;
        line.points.push_back(y);
        if (!direction(y, k1)) break;
        h *= std::min(6.0, 0.9 * std::pow(std::max(made.error, 1e-30), -1.0 / 8.0));
    }
    return line;
}

}  // namespace

std::string describe(const LineEnd& end) {
    switch (end.kind) {
        case LineEnd::Kind::Box: return "the box";
        case LineEnd::Kind::Charge: return "charge " + std::to_string(end.charge);
        case LineEnd::Kind::Elsewhere: break;
    }
    return "elsewhere";
}

double boxDiagonal(const Model& model) {
    const Point3 d = widened(model.bounds().max) - widened(model.bounds().min);
    return norm(d);
}

ReferenceLine referenceFieldLine(const Model& model, const Vector3& start, double sign, int startCharge) {
    return Reference(model, sign, startCharge).trace(start);
}

LineEnd endOfLine(const Model& model, const Vector3& last, int startCharge) {
    const ABox& box = model.bounds();
    const bool onOrBeyond = last.x <= box.min.x || last.y <= box.min.y || last.z <= box.min.z || last.x >= box.max.x ||
                            last.y >= box.max.y || last.z >= box.max.z;
    if (onOrBeyond) return {LineEnd::Kind::Box, -1};
    const double reach = model.chargeRadius() + 1e-6 * boxDiagonal(model);
    for (int i = 0; i < model.chargeCount(); ++i) {
        if (i == startCharge) continue;
        if (norm(widened(last) - widened(model.charges()[static_cast<std::size_t>(i)].position)) <= reach) {
            return {LineEnd::Kind::Charge, i};
        }
    }
    return {};
}

double strayFrom(const ReferenceLine& reference, std::span<const Vector3> points) {
    double largest = 0.0;
    const std::vector<Point3>& line = reference.points;
    for (const Vector3& given : points) {
        const Point3 p = widened(given);
        double nearest = norm(p - line.front());
        for (std::size_t i = 1; i < line.size(); ++i) {
            const Point3 along = line[i] - line[i - 1];
            const double squared = dot(along, along);
            const double t = squared > 0.0 ? std::clamp(dot(p - line[i - 1], along) / squared, 0.0, 1.0) : 0.0;
            nearest = std::min(nearest, norm(p - (line[i - 1] + t * along)));
        }
        largest = std::max(largest, nearest);
    }
    return largest;
}

}  // namespace kelvaro::testing
