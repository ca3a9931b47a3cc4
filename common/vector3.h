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

// a + b, a new vector.
Vector3 sum(const Vector3& a, const Vector3& b);
// a - b, a new vector.
Vector3 difference(const Vector3& a, const Vector3& b);
// a becomes a + b.
void addInPlace(Vector3& a, const Vector3& b);
// a * s, a new vector.
Vector3 scaled(const Vector3& a, float s);
// a becomes a * s.
void scaleInPlace(Vector3& a, float s);
// Divides a by its length (computed in double precision) and answers that length.
// No guard: a zero vector answers 0 and its components become not-a-number.
double normalize(Vector3& a);

}  // namespace kelvaro
