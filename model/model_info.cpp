#include "model/model_info.h"

#include <cstdarg>
#include <cstdio>

namespace kelvaro {
namespace {

const char* onOff(bool on) { return on ? "on" : "off"; }
double wide(float value) { return static_cast<double>(value); }

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
    append(text, "bounds: %.9g %.9g %.9g %.9g %.9g %.9g\n", wide(box.min.x), wide(box.min.y), wide(box.min.z),
           wide(box.max.x), wide(box.max.y), wide(box.max.z));
    append(text, "box: %s\naxes: %s\n", onOff(model.boxOn()), onOff(model.axesOn()));
    append(text, "charges: %d\n", static_cast<int>(model.chargeCount()));
    for (const Charge& charge : model.charges()) {
        append(text, "charge: %.17g %.9g %.9g %.9g\n", charge.value, wide(charge.position.x), wide(charge.position.y),
               wide(charge.position.z));
    }
    append(text, "traceStep: %.17g\npointSpacing: %.17g\nchargeRadius: %.17g\n", model.traceStep(),
           model.pointSpacing(), model.chargeRadius());
    append(text, "potentialMin: %.17g\npotentialMax: %.17g\n", model.potentialMin(), model.potentialMax());
    return text;
}

}  // namespace kelvaro
