#include "tools/batch/batch_run.h"

#include <chrono>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/model_info.h"
#include "model/read_report.h"
#include "tools/batch/obj_files.h"
#include "tools/batch/obj_writer.h"
#include "tools/batch/request_stats.h"
#include "viz/gauss_flux.h"
#include "viz/probe.h"
#include "viz/worker_threads.h"

namespace kelvaro::batch {
namespace {

// Reads the model file as the load dialog does; the dialog's messages and the reader's
// warnings go to `err`, but for info, which lists the warnings in its answer.
ModelFileRead readModel(const Command& command, std::FILE* err) {
    ModelFileRead read = readModelFile(command.modelPath);
    if (!read.model || command.mode != Mode::Info) std::fputs(modelReadReport(read, command.modelPath).c_str(), err);
    return read;
}

void listWarnings(const ModelFileRead& read, const std::string& path, std::FILE* out) {
    for (const ReadWarning& warning : read.warnings) {
        std::fprintf(out, "warning: %s\n", formatReadWarning(path, warning).c_str());
    }
}

struct Visualisation {
    std::string name;
    Ref<Group> group;
};

// The builder of one request; when it answers none, its failure lines go to `err`, and so
// does the note of a surface that has no triangle (which is no failure).
Visualisation build(const Model& model, const ParsedRequest& request, int number, const BuildOptions& options,
                    std::FILE* err) {
    Visualisation result;
    const std::string suffix = "_" + std::to_string(number);
    switch (request.kind) {
        case VisualisationRequest::Kind::FieldLines: result.name = "field_lines" + suffix; break;
        case VisualisationRequest::Kind::Hedgehog: result.name = "hedgehog" + suffix; break;
        case VisualisationRequest::Kind::Surface: result.name = "surface" + suffix; break;
        case VisualisationRequest::Kind::Probe: result.name = "probe" + suffix; break;
        case VisualisationRequest::Kind::GaussSphere: result.name = "gauss_sphere" + suffix; break;
        case VisualisationRequest::Kind::Plane: result.name = "plane" + suffix; break;
    }
    result.group = buildRequest(request, model, nullptr, options);
    if (!result.group) {
        std::fputs(failureLines(request, &model).c_str(), err);
    } else {
        std::fputs(emptyResultNote(request, *result.group, model).c_str(), err);
    }
    return result;
}

// The probe command: the potential and the field at each point, every digit.
void printProbes(const Model& model, const std::vector<ParsedRequest>& probes, std::FILE* out) {
    for (const ParsedRequest& probe : probes) std::fputs(probeNumbers(probeAt(model, probe.point)).c_str(), out);
}

// The flux command: the line the window says, then its numbers with every digit; a
// sphere too near a charge is told on `err` and fails.
int printFlux(const Model& model, const ParsedRequest& sphere, const BuildOptions& options, std::FILE* out,
              std::FILE* err) {
    const SphereFlux flux = fluxThroughSphere(model, sphere.point, sphere.radius, options);
    if (!flux.known) {
        std::fputs(fluxLine(flux).c_str(), err);
        return Failure;
    }
    std::fputs((fluxLine(flux) + fluxNumbers(flux)).c_str(), out);
    return Success;
}

}  // namespace

int runCommand(const Command& command, std::FILE* out, std::FILE* err, const BuildOptions& options,
               PictureWriter writePicture) {
    if (command.mode == Mode::Obj && !command.outputPath.empty()) {
        if (const std::string problem = objNameProblem(command.outputPath); !problem.empty()) {
            std::fprintf(err, "kelvaro-batch: %s\n", problem.c_str());
            return BadArguments;
        }
    }
    const ModelFileRead read = readModel(command, err);
    if (!read.model) return Failure;
    const Model* model = read.model.get();
    if (command.mode == Mode::Info) {
        std::fputs(modelInfoText(*model).c_str(), out);
        listWarnings(read, command.modelPath, out);
        return Success;
    }
    if (command.mode == Mode::Probe) {
        printProbes(*model, command.requests, out);
        return Success;
    }
    if (command.mode == Mode::Flux) return printFlux(*model, command.requests.front(), options, out, err);
    const Ref<Group> scene = model->buildModelGeometry();
    if (!scene) {
        std::fputs("Failed to render model", err);
        return Failure;
    }
    const std::int32_t geometryCount = scene->count();
    int status = Success;
    std::vector<std::string> names;
    const bool stats = command.mode == Mode::Stats;
    if (stats) std::fprintf(out, "threads: %d\n", options.threadCount());
    for (const ParsedRequest& request : command.requests) {
        const auto start = std::chrono::steady_clock::now();
        const Visualisation added = build(*model, request, static_cast<int>(names.size()) + 1, options, err);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (stats) writeRequestStats(out, request, took.count(), added.group.get());
        if (!added.group) {
            status = Failure;
            continue;
        }
        try {
            scene->add(*added.group);
        } catch (const std::bad_alloc&) {  // the scene's array could not grow
            std::fputs(failureLine(request.kind), err);
            status = Failure;
            continue;
        }
        names.push_back(added.name);
    }

    if (stats) return status;
    if (command.mode == Mode::Print) {
        const bool printed = scene->print(out);
        std::fputc('\n', out);
        return printed ? status : PrintFailed;
    }
    // Files are written whole or not at all: a scene that lacks a request is no result.
    if (status != Success && !command.outputPath.empty()) {
        std::fprintf(err, "kelvaro-batch: %s was not written, as a request failed\n", command.outputPath.c_str());
        return status;
    }
    if (command.mode == Mode::Png || command.mode == Mode::Gif) {
        const bool written = writePicture != nullptr
                                 ? writePicture(*model, *scene, command, err)
                                 : cannotWrite(command.outputPath, "this program draws no pictures", err);
        return written ? status : Failure;
    }

    const auto writeElements = [&](ObjWriter& obj) {
        obj.beginGroup("model");
        for (std::int32_t i = 0; i < geometryCount; ++i) obj.write(scene->child(i));
        for (std::size_t i = 0; i < names.size(); ++i) {
            obj.beginGroup(names[i]);
            obj.write(scene->child(geometryCount + static_cast<std::int32_t>(i)));
        }
    };
    if (!command.outputPath.empty()) return writeObjFiles(command.outputPath, writeElements, err) ? status : Failure;
    ObjWriter obj(out);
    writeElements(obj);
    return obj.good() ? status : Failure;
}

bool cannotWrite(const std::string& path, const std::string& why, std::FILE* err) {
    std::fprintf(err, "kelvaro-batch: cannot write %s: %s\n", path.c_str(), why.c_str());
    return false;
}

}  // namespace kelvaro::batch
