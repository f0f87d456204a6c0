// Vector: three single-precision floats, the vertex and direction type of the
// 3D code. A plain value with no owned resources; standard layout, so an
// array of vectors is the flat x, y, z float array that the renderer takes.
// Angles are in degrees (see matrix.h for the conversion).
#pragma once

struct Vector {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  Vector() = default;
  Vector(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

  // Scales to length 1; a zero vector is left unchanged.
  void Normalize();
  float Length() const;
  // this = a x b.
  void Cross(Vector const& a, Vector const& b);
  // Per component: above hi becomes hi, then below lo becomes lo.
  void Clamp(float lo, float hi);
  // Per component: above hi loses hi, then (the new value) below lo gains lo.
  void ClampAround(float lo, float hi);
  float GetDistance(Vector const& o) const;
  // Rotations by an angle in degrees about one axis; `out` may be this.
  void RotateX(float angle, Vector& out);
  void RotateY(float angle, Vector& out);
  void RotateZ(float angle, Vector& out);
  // this = a scaled by (a . b) / (b . b).
  void Project(Vector const& a, Vector const& b);
  // this = Project(a, b) + Project(a, c).
  void ProjectPlane(Vector const& a, Vector const& b, Vector const& c);
  // this = (1 - t) a + t b.
  void Interpolate(Vector const& a, Vector const& b, float t);
  // Simple perspective: d = 256 - z (0.00001 when exactly 0); sx = w / 2 +
  // scale * x / d, sy = h / 2 - scale * y / d, truncated towards zero.
  // A result that is not finite or does not fit in an int gives INT_MIN.
  void ToScreen(int& sx, int& sy, int w, int h, float scale);
};

static_assert(sizeof(Vector) == 3 * sizeof(float), "Vector must be three packed floats");
