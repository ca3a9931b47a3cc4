#pragma once
// A charge as the Edit Charges dialog types it: the rules an edited charge keeps, those of a model file: a value that is a finite
// number, a finite position inside the model's box (faces included), at most 99 charges.
// Typed numbers are read as the model reader reads numbers, so that an edit equals a file
// stating the same texts.

#include <optional>
#include <string>
#include <vector>

#include "model/model.h"

namespace kelvaro {

// The texts of the four fields of the Edit Charges dialog.
struct ChargeTexts {
    std::string value, x, y, z;
};

// The texts that show `charge` exactly: each reads back to the same bits.
ChargeTexts chargeTexts(const Charge& charge);

// The finite number that the text of the field `name` states, read as a model file reads
// numbers; none, with the one-line reason in `refusal` (`X "abc" is not a number.`).
std::optional<float> readTypedNumber(const char* name, const std::string& text, std::string& refusal);

// The charge that `texts` state, or none and the one-line reason it is refused, line end
// included (`Value "abc" is not a number.`, `X "2" lies outside the model's box, -1.5 to
// 1.5.`).
struct TypedCharge {
    std::optional<Charge> charge;
    std::string refusal;
};
TypedCharge readTypedCharge(const ChargeTexts& texts, const ABox& box);

// The charge that Add Charge makes, of value 1 at the centre of the box, or none and the
// reason (a full model, a box without a finite centre).
TypedCharge newCharge(const Model& model);

// The charges after one of the Edit Charges dialog's actions on `model`, or none and the
// one-line reason it is refused (line end included): Apply puts the charge that `texts`
// state in the place of charge `chosen`; Add Charge appends newCharge(model); Delete
// Charge takes charge `chosen` away. `chosen` is none when the model has no charge.
struct ChargeEdit {
    std::optional<std::vector<Charge>> charges;
    std::string refusal;
};
ChargeEdit chargesWithTyped(const Model& model, std::optional<int> chosen, const ChargeTexts& texts);
ChargeEdit chargesWithNew(const Model& model);
ChargeEdit chargesWithout(const Model& model, std::optional<int> chosen);

// `p` with every coordinate that lies beyond the box moved onto its face: a dragged charge
// stops there.
Vector3 keptInBox(const Vector3& p, const ABox& box);

}  // namespace kelvaro
