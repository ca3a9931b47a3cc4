// The browser edition's entry point: WebSession (web_session.h) as the JavaScript class
// Session, its answers as plain objects and typed arrays.
//
//   const session = new kelvaro.Session();
//   session.loadModelText("dipole.txt", text)   // {done, messages}
//   session.addRequest("lines 20")              // the words of kelvaro-batch
//   session.state()                             // the model, its charges, the visualisations
//   session.drawScene()                         // geometry for WebGL, by primitive and style

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "model/model_info.h"
#include "viz/request_grammar.h"
#include "web/web_session.h"

namespace kelvaro {
namespace {

using emscripten::val;

val outcome(const Outcome& result) {
    val answer = val::object();
    answer.set("done", result.done);
    answer.set("messages", result.messages);
    return answer;
}

template <class T>
val typedArray(const char* type, const std::vector<T>& values) {
    return val::global(type).new_(emscripten::typed_memory_view(values.size(), values.data()));
}

val numbers(std::initializer_list<double> values) {
    val array = val::array();
    for (const double value : values) array.call<void>("push", value);
    return array;
}

val rgb(const Vector3& color) { return numbers({color.x, color.y, color.z}); }
val rgba(const std::array<float, 4>& color) { return numbers({color[0], color[1], color[2], color[3]}); }

const char* primitiveName(Primitive primitive) {
    switch (primitive) {
        case Primitive::Points: return "points";
        case Primitive::Lines: return "lines";
        case Primitive::PolyLines: return "polylines";
        case Primitive::Triangles: return "triangles";
        case Primitive::Spheres: return "spheres";
    }
    return "";
}

val batchValue(const GeometryBatch& batch) {
    val answer = val::object();
    answer.set("primitive", primitiveName(batch.primitive));
    answer.set("lit", batch.style.lit);
    answer.set("color", rgb(batch.style.color));
    answer.set("ambient", rgba(batch.style.ambient));
    answer.set("diffuse", rgba(batch.style.diffuse));
    answer.set("specular", rgba(batch.style.specular));
    answer.set("shininess", batch.style.shininess);
    answer.set("positions", typedArray("Float32Array", batch.positions));
    if (batch.primitive == Primitive::Triangles) answer.set("normals", typedArray("Float32Array", batch.normals));
    if (batch.primitive == Primitive::PolyLines) answer.set("counts", typedArray("Int32Array", batch.counts));
    if (batch.primitive == Primitive::Spheres) answer.set("radii", typedArray("Float32Array", batch.radii));
    return answer;
}

val drawScene(const WebSession& session) {
    const DrawnScene drawn = session.drawScene();
    val parts = val::array();
    for (const DrawnScene::Part& part : drawn.parts) {
        val batches = val::array();
        for (const GeometryBatch& batch : part.batches) batches.call<void>("push", batchValue(batch));
        // Arrowheads as rows of nine numbers: centre, direction, colour.
        std::vector<float> arrows;
        for (std::size_t i = 0; i < part.arrowheads.size(); ++i) {
            const Arrowhead& head = part.arrowheads[i];
            const Vector3& color = part.arrowColors[i];
            arrows.insert(arrows.end(), {static_cast<float>(head.centre[0]), static_cast<float>(head.centre[1]),
                                         static_cast<float>(head.centre[2]), static_cast<float>(head.along[0]),
                                         static_cast<float>(head.along[1]), static_cast<float>(head.along[2]),
                                         color.x, color.y, color.z});
        }
        val value = val::object();
        value.set("visualisation", part.visualisation);
        value.set("batches", batches);
        value.set("arrowheads", typedArray("Float32Array", arrows));
        parts.call<void>("push", value);
    }
    val balls = val::array();
    for (const ChargeBall& ball : drawn.balls) {
        val value = val::object();
        value.set("radius", ball.radius);
        value.set("color", rgb(ball.color));
        balls.call<void>("push", value);
    }
    val answer = val::object();
    answer.set("parts", parts);
    answer.set("balls", balls);
    answer.set("arrowLength", drawn.arrowLength);
    return answer;
}

val state(const WebSession& web) {
    const Session& session = web.session();
    val answer = val::object();
    val list = val::array();
    for (const Visualisation& visualisation : session.visualisations()) {
        val item = val::object();
        item.set("words", requestWords(visualisation.request));
        item.set("description", describe(visualisation.request));
        item.set("hidden", visualisation.hidden);
        list.call<void>("push", item);
    }
    answer.set("visualisations", list);
    const Model* model = session.model();
    if (!model) {
        answer.set("model", val::null());
        return answer;
    }
    val charges = val::array();
    for (const Charge& charge : model->charges()) {
        const ChargeTexts texts = chargeTexts(charge);
        val item = val::object();
        item.set("value", charge.value);
        item.set("position", numbers({charge.position.x, charge.position.y, charge.position.z}));
        val textArray = val::array();
        for (const std::string* text : {&texts.value, &texts.x, &texts.y, &texts.z}) {
            textArray.call<void>("push", *text);
        }
        item.set("texts", textArray);
        charges.call<void>("push", item);
    }
    const ABox& box = model->bounds();
    val description = val::object();
    description.set("name", std::string(model->name()));
    description.set("bounds", numbers({box.min.x, box.min.y, box.min.z, box.max.x, box.max.y, box.max.z}));
    description.set("axes", model->axesOn());
    description.set("box", model->boxOn());
    description.set("charges", charges);
    description.set("potentialMin", model->potentialMin());
    description.set("potentialMax", model->potentialMax());
    description.set("info", modelInfoText(*model));
    answer.set("model", description);
    return answer;
}

val optionalText(const std::optional<std::string>& text) { return text ? val(*text) : val::null(); }

Vector3 point(double x, double y, double z) {
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

EMSCRIPTEN_BINDINGS(kelvaro) {
    emscripten::class_<WebSession>("Session")
        .constructor<>()
        .function("loadModelText", +[](WebSession& s, const std::string& name, const std::string& text) {
            return outcome(s.loadModelText(name, text));
        })
        .function("newModel", +[](WebSession& s, const std::string& name, double x0, double y0, double z0, double x1,
                                  double y1, double z1, bool axes) {
            return outcome(s.newModel(name, point(x0, y0, z0), point(x1, y1, z1), axes));
        })
        .function("addRequest", +[](WebSession& s, const std::string& words) { return outcome(s.addRequest(words)); })
        .function("setHidden", +[](WebSession& s, int index, bool hidden) { return outcome(s.setHidden(index, hidden)); })
        .function("removeVisualisation", +[](WebSession& s, int index) { return outcome(s.removeVisualisation(index)); })
        .function("undo", +[](WebSession& s) { return outcome(s.undo()); })
        .function("redo", +[](WebSession& s) { return outcome(s.redo()); })
        .function("applyCharge", +[](WebSession& s, int index, const std::string& value, const std::string& x,
                                     const std::string& y, const std::string& z) {
            return outcome(s.applyCharge(index, {value, x, y, z}));
        })
        .function("addCharge", +[](WebSession& s) { return outcome(s.addCharge()); })
        .function("deleteCharge", +[](WebSession& s, int index) { return outcome(s.deleteCharge(index)); })
        .function("beginDrag", +[](WebSession& s, int index) { return outcome(s.beginDrag(index)); })
        .function("dragTo", +[](WebSession& s, double x, double y, double z) {
            return outcome(s.dragTo(point(x, y, z)));
        })
        .function("endDrag", +[](WebSession& s) { return outcome(s.endDrag()); })
        .function("potentialAt", +[](const WebSession& s, double x, double y, double z) {
            const Model* model = s.session().model();
            return model ? val(model->potentialAt(point(x, y, z))) : val::null();
        })
        .function("fieldAt", +[](const WebSession& s, double x, double y, double z) {
            const Model* model = s.session().model();
            return model ? rgb(model->fieldAt(point(x, y, z))) : val::null();
        })
        .function("modelText", +[](const WebSession& s) { return optionalText(s.modelText()); })
        .function("sceneText", +[](const WebSession& s) { return optionalText(s.sceneText()); })
        .function("state", &state)
        .function("drawScene", &drawScene);
}

}  // namespace
}  // namespace kelvaro
