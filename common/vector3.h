#pragma once
// Vector3: three single-precision floats used for points, directions, normals and
// colours (red, green, blue). Every operation works per component and rounds each
// result to single precision; there is deliberately no dot or cross product here.

namespace kelvaro {

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// The per-component operations are inline: they sit in the inner loops of field evaluation.

// a + b, a new vector.
inline Vector3 sum(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

// a - b, a new vector.
inline Vector3 difference(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// a becomes a + b.
inline void addInPlace(Vector3& a, const Vector3& b) {
    a.x += b.x;
    a.y += b.y;
    a.z += b.z;
}

// a * s, a new vector.
inline Vector3 scaled(const Vector3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }

// a becomes a * s.
inline void scaleInPlace(Vector3& a, float s) {
    a.x *= s;
    a.y *= s;
    a.z *= s;
}

// Divides a by its length (computed in double precision) and answers that length.
// No guard: a zero vector answers 0 and its components become not-a-number.
double normalize(Vector3& a);

}  // namespace kelvaro
