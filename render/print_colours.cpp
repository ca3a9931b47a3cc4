#define GL_GLEXT_PROTOTYPES 1
#include "render/print_colours.h"

#include <GL/gl.h>
#include <GL/glext.h>

namespace kelvaro {
namespace {

// Colours brighter than a luma of 0.4 are scaled down to it, the three channels alike, so
// that the hue and the saturation stay; darker ones stay as they are. White becomes a
// dark grey, the field lines' yellow an olive, the surfaces' red and green a deeper red
// and green.
const char* const printShader = R"(#version 110
void main() {
    vec3 colour = gl_Color.rgb;
    float luma = dot(colour, vec3(0.299, 0.587, 0.114));
    float scale = luma > 0.4 ? 0.4 / luma : 1.0;
    gl_FragColor = vec4(colour * scale, gl_Color.a);
}
)";

GLuint compiledProgram() {
    const GLuint shader = glCreateShader(GL_FRAGMENT_SHADER);
    if (shader == 0) return 0;
    glShaderSource(shader, 1, &printShader, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    GLuint program = compiled == GL_TRUE ? glCreateProgram() : 0;
    if (program != 0) {
        glAttachShader(program, shader);
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) {
            glDeleteProgram(program);
            program = 0;
        }
    }
    glDeleteShader(shader);  // kept alive by the program while it is attached
    return program;
}

}  // namespace

PrintColours::PrintColours(bool on) : on_(on) {
    if (!on_) return;
    program_ = compiledProgram();
    if (program_ != 0) glUseProgram(program_);
}

PrintColours::~PrintColours() {
    if (program_ == 0) return;
    glUseProgram(0);
    glDeleteProgram(program_);
}

}  // namespace kelvaro
