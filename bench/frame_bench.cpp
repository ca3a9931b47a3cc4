// Frame time of the largest scenes the dialogs allow, drawn by the program's own display
// function into a window of the size of the main window's scene area. Needs an X display:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/frame_bench
// Each benchmark loads the 99-charge cloud example (which resets the scene), adds its
// visualisations and then times whole frames: displayScene() followed by glFinish(), in
// wall time, since the GL driver draws on threads of its own.
//
// Run from anywhere: the working directory is set to examples/, for the model and
// "ElectronData".

#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/session.h"
#include "app/shell.h"

namespace {

using namespace kelvaro;

// The scene area of the 800 x 600 main window, beside and above the panels.
constexpr int sceneWidth = startSceneWidth;
constexpr int sceneHeight = startSceneHeight;

// The level whose surface crosses the most cells of the cloud's grid (about 16000 triangles).
constexpr float widestSurfaceLevel = 6.0f;

enum Visualisations { ModelOnly = 0, FieldLines = 1, Hedgehog = 2, Surface = 4, Plane = 8 };

// Loads the cloud afresh and adds the requested visualisations at the dialogs' limits.
void buildScene(int visualisations) {
    if (programSession->load("cloud.txt") != LoadOutcome::Loaded) {
        std::fprintf(stderr, "cannot load examples/cloud.txt\n");
        std::exit(1);
    }
    using Kind = VisualisationRequest::Kind;
    if (visualisations & FieldLines) programSession->add({Kind::FieldLines, 100});
    if (visualisations & Hedgehog) programSession->add({Kind::Hedgehog, 100000});
    if (visualisations & Surface) programSession->add({Kind::Surface, 0, widestSurfaceLevel, 0});
    // A plane through the centre: its 256 x 256 coloured samples and 15 equipotential lines.
    if (visualisations & Plane) programSession->add({Kind::Plane});
}

void BM_Frame(benchmark::State& state) {
    buildScene(static_cast<int>(state.range(0)));
    displayScene();  // the first frame also warms the driver's caches
    glFinish();
    for (auto _ : state) {
        displayScene();
        glFinish();
    }
    state.counters["scene_children"] = programSession->scene()->count();
}
BENCHMARK(BM_Frame)
    ->ArgName("visualisations")
    ->Arg(ModelOnly)
    ->Arg(FieldLines)
    ->Arg(Hedgehog)
    ->Arg(Surface)
    ->Arg(FieldLines | Hedgehog | Surface)
    ->Arg(Plane)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "frame_bench needs an X display (run it under xvfb-run)\n");
        return 1;
    }
    std::filesystem::current_path(KELVARO_EXAMPLES_DIR);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(sceneWidth, sceneHeight);
    glutCreateWindow("Kelvaro frame benchmark");
    glutDisplayFunc(displayScene);
    setUpLighting();
    viewAspect = aspectRatio(sceneWidth, sceneHeight);
    glViewport(0, 0, sceneWidth, sceneHeight);
    // The display function draws the session's scene, from the first event pass on.
    Session session;
    programSession = &session;
    // GLUT shows the window on its first event pass; drawing before that is discarded.
    glutMainLoopEvent();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    programSession = nullptr;
    return 0;
}
