#pragma once
// Print colours: while an object of this class lives, everything drawn in the current GL
// context comes out in a darker colour of its own hue, so that the scene's light colours
// (white charges, yellow field lines) read on a white background. It works on the colour
// of each fragment (a small GLSL fragment shader), so lit, translucent and smoothed
// drawing keep their shading, opacity and soft edges.

namespace kelvaro {

class PrintColours {
public:
    // On: compiles and binds the shader (ok() says whether that worked; the colours stay
    // as they are when not). Off: does nothing.
    explicit PrintColours(bool on);
    // Unbinds and deletes the shader.
    ~PrintColours();
    PrintColours(const PrintColours&) = delete;
    PrintColours& operator=(const PrintColours&) = delete;

    bool ok() const { return program_ != 0 || !on_; }

private:
    bool on_;
    unsigned program_ = 0;
};

}  // namespace kelvaro
