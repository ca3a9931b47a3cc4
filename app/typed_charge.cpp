#include "app/typed_charge.h"

#include <algorithm>
#include <cmath>

#include "model/model_numbers.h"

namespace kelvaro {
namespace {

std::string numberText(float value) { return modelNumberText(value).value_or("nan"); }

// The coordinate of the field `name`, also inside [low, high], or none with the reason.
std::optional<float> readCoordinate(const char* name, const std::string& text, float low, float high,
                                    std::string& refusal) {
    const std::optional<float> coordinate = readTypedNumber(name, text, refusal);
    if (coordinate && (*coordinate < low || *coordinate > high)) {
        refusal = std::string(name) + " \"" + text + "\" lies outside the model's box, " + numberText(low) + " to " +
                  numberText(high) + ".\n";
        return std::nullopt;
    }
    return coordinate;
}

bool finite(const Vector3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

std::optional<float> readTypedNumber(const char* name, const std::string& text, std::string& refusal) {
    const std::optional<float> number = readModelNumber(text);
    if (!number) {
        refusal = std::string(name) + " \"" + text + "\" is not a number.\n";
    } else if (!std::isfinite(*number)) {
        refusal = std::string(name) + " \"" + text + "\" is not a finite number.\n";
    } else {
        return number;
    }
    return std::nullopt;
}

ChargeTexts chargeTexts(const Charge& charge) {
    return {numberText(static_cast<float>(charge.value)), numberText(charge.position.x),
            numberText(charge.position.y), numberText(charge.position.z)};
}

TypedCharge readTypedCharge(const ChargeTexts& texts, const ABox& box) {
    TypedCharge result;
    const auto value = readTypedNumber("Value", texts.value, result.refusal);
    if (!value) return result;
    const auto x = readCoordinate("X", texts.x, box.min.x, box.max.x, result.refusal);
    if (!x) return result;
    const auto y = readCoordinate("Y", texts.y, box.min.y, box.max.y, result.refusal);
    if (!y) return result;
    const auto z = readCoordinate("Z", texts.z, box.min.z, box.max.z, result.refusal);
    if (z) result.charge = Charge{*value, {*x, *y, *z}};
    return result;
}

TypedCharge newCharge(const Model& model) {
    if (model.chargeCount() >= Model::maxCharges) return {std::nullopt, "A model holds at most 99 charges.\n"};
    const ABox& box = model.bounds();
    const auto middle = [](float low, float high) {
        return static_cast<float>((static_cast<double>(low) + static_cast<double>(high)) / 2.0);
    };
    const Vector3 centre{middle(box.min.x, box.max.x), middle(box.min.y, box.max.y), middle(box.min.z, box.max.z)};
    if (!finite(centre)) return {std::nullopt, "The model's box has no finite centre.\n"};
    return {Charge{1.0, centre}, {}};
}

namespace {

std::vector<Charge> chargesOf(const Model& model) { return {model.charges().begin(), model.charges().end()}; }

// `chosen` when it names a charge of `model`.
bool names(const Model& model, std::optional<int> chosen) {
    return chosen && *chosen >= 0 && *chosen < model.chargeCount();
}

}  // namespace

ChargeEdit chargesWithTyped(const Model& model, std::optional<int> chosen, const ChargeTexts& texts) {
    if (!names(model, chosen)) return {std::nullopt, "There is no charge to change: Add Charge makes one.\n"};
    const TypedCharge typed = readTypedCharge(texts, model.bounds());
    if (!typed.charge) return {std::nullopt, typed.refusal};
    std::vector<Charge> charges = chargesOf(model);
    charges[static_cast<std::size_t>(*chosen)] = *typed.charge;
    return {std::move(charges), {}};
}

ChargeEdit chargesWithNew(const Model& model) {
    const TypedCharge added = newCharge(model);
    if (!added.charge) return {std::nullopt, added.refusal};
    std::vector<Charge> charges = chargesOf(model);
    charges.push_back(*added.charge);
    return {std::move(charges), {}};
}

ChargeEdit chargesWithout(const Model& model, std::optional<int> chosen) {
    if (!names(model, chosen)) return {std::nullopt, "There is no charge to delete.\n"};
    std::vector<Charge> charges = chargesOf(model);
    charges.erase(charges.begin() + *chosen);
    return {std::move(charges), {}};
}

Vector3 keptInBox(const Vector3& p, const ABox& box) {
    return {std::clamp(p.x, box.min.x, box.max.x), std::clamp(p.y, box.min.y, box.max.y),
            std::clamp(p.z, box.min.z, box.max.z)};
}

}  // namespace kelvaro
