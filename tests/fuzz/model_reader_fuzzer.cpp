// libFuzzer target for the model-file reader: reads the input as a model file and, when
// it reads, checks the model's invariants and runs the evaluations and the geometry.
// A failed read must raise one of the documented codes; anything else traps. A second
// read that also collects warnings must give the same model (or code) and well-formed
// warnings.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/read_errors.h"

namespace {

using kelvaro::Model;
using kelvaro::ReadError;
using kelvaro::Vector3;

bool isReadError(int code) {
    switch (static_cast<ReadError>(code)) {
        case ReadError::PointWithoutDigit:
        case ReadError::ExponentWithoutDigit:
        case ReadError::ExponentTooLarge:
        case ReadError::TextTooLong:
        case ReadError::BadBackslash:
        case ReadError::UnterminatedQuotedComment:
        case ReadError::InvalidCharacter:
        case ReadError::LineFeedInString:
        case ReadError::StatementWithoutKeyword:
        case ReadError::UnknownKeyword:
        case ReadError::MissingBounds:
        case ReadError::OutOfMemory:
            return true;
    }
    return false;
}

void require(bool condition) {
    if (!condition) __builtin_trap();
}

// Ordered per axis unless a corner is not a number.
bool ordered(float low, float high) { return low <= high || std::isnan(low) || std::isnan(high); }

void exercise(const Model& model) {
    const kelvaro::ABox& box = model.bounds();
    require(ordered(box.min.x, box.max.x) && ordered(box.min.y, box.max.y) && ordered(box.min.z, box.max.z));
    require(model.chargeCount() >= 0 && model.chargeCount() <= Model::maxCharges);
    require(model.name().size() <= static_cast<std::size_t>(Model::maxNameLength));

    const Vector3 centre{box.min.x / 2 + box.max.x / 2, box.min.y / 2 + box.max.y / 2, box.min.z / 2 + box.max.z / 2};
    for (const Vector3& p : {box.min, box.max, centre}) {
        (void)model.potentialAt(p);
        (void)model.fieldAt(p);
        (void)model.isStopPoint(p);
    }
    const kelvaro::Ref<kelvaro::Group> geometry = model.buildModelGeometry();
    require(geometry && geometry->count() == model.chargeCount() + (model.axesOn() ? 3 : 0));
}

// The model's values as bytes, or the code that the read raised.
std::string outcome(std::FILE* stream, std::vector<kelvaro::ReadWarning>* warnings) {
    try {
        const Model model(stream, warnings);
        const auto bytes = [](const auto& value) {
            return std::string(reinterpret_cast<const char*>(&value), sizeof value);
        };
        std::string values = std::string(model.name()) + bytes(model.bounds().min) + bytes(model.bounds().max) +
                             bytes(model.boxOn()) + bytes(model.axesOn());
        for (const kelvaro::Charge& charge : model.charges()) values += bytes(charge.value) + bytes(charge.position);
        return values;
    } catch (int code) {
        return "error " + std::to_string(code);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;  // fmemopen refuses an empty buffer
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    if (!stream) return 0;
    int lineFeeds = 0;
    for (std::size_t i = 0; i < size; ++i) lineFeeds += data[i] == '\n';
    try {
        const Model model(stream);
        exercise(model);
    } catch (int code) {
        require(isReadError(code));
    }
    require(Model::lastReadLine() >= 1 && Model::lastReadLine() <= lineFeeds + 1);
    std::fclose(stream);

    std::FILE* plain = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    std::FILE* warned = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    if (plain && warned) {
        std::vector<kelvaro::ReadWarning> warnings;
        require(outcome(plain, nullptr) == outcome(warned, &warnings));
        int previous = 0;  // in file order; after a NUL byte a line may hold two statements
        for (const kelvaro::ReadWarning& warning : warnings) {
            require(warning.line >= previous && warning.line <= lineFeeds + 1);
            require(warning.text.size() <= static_cast<std::size_t>(kelvaro::ReadWarning::maxTextLength));
            require(!warning.reason.empty());
            previous = warning.line;
        }
    }
    if (plain) std::fclose(plain);
    if (warned) std::fclose(warned);
    return 0;
}
