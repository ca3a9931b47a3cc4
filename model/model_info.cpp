#include "model/model_info.h"

#include <cstdarg>
#include <cstdio>

#include "common/number_text.h"

namespace kelvaro {
namespace {

const char* onOff(bool on) { return on ? "on" : "off"; }
// Enough digits to give the number back exactly, in the same notation in any locale: 9
// for a float, 17 for a double.
NumberText exact(float value) { return numberText(value, 9); }
NumberText exact(double value) { return numberText(value, 17); }

void append(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void append(std::string& text, const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    if (length > 0) {
        const std::size_t at = text.size();
        text.resize(at + static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data() + at, static_cast<std::size_t>(length) + 1, format, again);
        text.pop_back();  // the terminating NUL
    }
    va_end(again);
}

}  // namespace

std::string modelInfoText(const Model& model) {
    std::string text;
    const ABox& box = model.bounds();
    append(text, "name: %.*s\n", static_cast<int>(model.name().size()), model.name().data());
    append(text, "bounds: %s %s %s %s %s %s\n", exact(box.min.x).c_str(), exact(box.min.y).c_str(),
           exact(box.min.z).c_str(), exact(box.max.x).c_str(), exact(box.max.y).c_str(), exact(box.max.z).c_str());
    append(text, "box: %s\naxes: %s\n", onOff(model.boxOn()), onOff(model.axesOn()));
    append(text, "charges: %d\n", static_cast<int>(model.chargeCount()));
    for (const Charge& charge : model.charges()) {
        append(text, "charge: %s %s %s %s\n", exact(charge.value).c_str(), exact(charge.position.x).c_str(),
               exact(charge.position.y).c_str(), exact(charge.position.z).c_str());
    }
    append(text, "traceStep: %s\npointSpacing: %s\nchargeRadius: %s\n", exact(model.traceStep()).c_str(),
           exact(model.pointSpacing()).c_str(), exact(model.chargeRadius()).c_str());
    append(text, "potentialMin: %s\npotentialMax: %s\n", exact(model.potentialMin()).c_str(),
           exact(model.potentialMax()).c_str());
    return text;
}

}  // namespace kelvaro
