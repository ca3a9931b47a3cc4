#include "render/offscreen_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace kelvaro {
namespace {

// The display, surface and context, released in reverse order of making.
struct OffscreenContext {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;

    ~OffscreenContext() {
        if (display == EGL_NO_DISPLAY) return;
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
        if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
        eglTerminate(display);
        eglReleaseThread();
    }
};

bool failed(const char* step, std::string& error) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (EGL error 0x%04X)", step, static_cast<unsigned>(eglGetError()));
    error = text;
    return false;
}

// A configuration with exactly the window's buffers: 8-bit red, green and blue without
// alpha, a 24-bit depth buffer. EGL sorts deeper colours first, and a 10-bit colour buffer
// would round the program's colours differently from the window.
EGLConfig windowLikeConfig(EGLDisplay display) {
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                             EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, nullptr, 0, &count) || count == 0) return nullptr;
    std::vector<EGLConfig> configs(static_cast<std::size_t>(count));
    if (!eglChooseConfig(display, wanted, configs.data(), count, &count)) return nullptr;
    for (EGLConfig config : configs) {
        const auto value = [&](EGLint attribute) {
            EGLint got = -1;
            eglGetConfigAttrib(display, config, attribute, &got);
            return got;
        };
        if (value(EGL_RED_SIZE) == 8 && value(EGL_GREEN_SIZE) == 8 && value(EGL_BLUE_SIZE) == 8 &&
            value(EGL_ALPHA_SIZE) == 0 && value(EGL_DEPTH_SIZE) == 24) {
            return config;
        }
    }
    return nullptr;
}

}  // namespace

bool withOffscreenGl(int width, int height, const std::function<bool(const DrawArea& area, std::string& error)>& work,
                     std::string& error) {
    const char* platforms = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (platforms == nullptr || std::strstr(platforms, "EGL_MESA_platform_surfaceless") == nullptr) {
        error = "EGL offers no surfaceless platform (Mesa's EGL driver, libegl-mesa0, is missing)";
        return false;
    }
    OffscreenContext gl;
    gl.display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (gl.display == EGL_NO_DISPLAY) return failed("eglGetPlatformDisplay", error);
    if (!eglInitialize(gl.display, nullptr, nullptr)) {
        gl.display = EGL_NO_DISPLAY;
        return failed("eglInitialize", error);
    }
    const EGLConfig config = windowLikeConfig(gl.display);
    if (config == nullptr) return failed("eglChooseConfig (8-bit RGB, 24-bit depth, pbuffer, OpenGL)", error);
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    gl.surface = eglCreatePbufferSurface(gl.display, config, size);
    if (gl.surface == EGL_NO_SURFACE) return failed("eglCreatePbufferSurface", error);
    if (!eglBindAPI(EGL_OPENGL_API)) return failed("eglBindAPI (OpenGL)", error);
    gl.context = eglCreateContext(gl.display, config, EGL_NO_CONTEXT, nullptr);
    if (gl.context == EGL_NO_CONTEXT) return failed("eglCreateContext", error);
    if (!eglMakeCurrent(gl.display, gl.surface, gl.surface, gl.context)) return failed("eglMakeCurrent", error);
    return work(DrawArea{0, 0, width, height}, error);
}

}  // namespace kelvaro
