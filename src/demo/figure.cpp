// Figure generator. The radius is built from four power terms with fixed
// coefficients; every term's power is taken in double precision and rounded
// to float before it joins the float sum, and the coordinates multiply
// float-rounded sines and cosines left to right, so that the vertices come
// out the same on every build.
#include "figure.h"

#include <cmath>

namespace {

// trig(coefficient * angle)^power: the product in float, the rest in double.
float Term(double (*trig)(double), int coefficient, float angle, int power) {
  float arg = static_cast<float>(coefficient) * angle;
  return static_cast<float>(std::pow(trig(static_cast<double>(arg)), power));
}

double Sin(double v) {
  return std::sin(v);
}
double Cos(double v) {
  return std::cos(v);
}

float SinF(float v) {
  return static_cast<float>(std::sin(static_cast<double>(v)));
}
float CosF(float v) {
  return static_cast<float>(std::cos(static_cast<double>(v)));
}

}  // namespace

Vector Eval(float a, float b) {
  static const int m[8] = {0, 5, 0, 12, 0, 3, 0, 2};
  float s = static_cast<float>(10.0 + Term(Sin, m[0], b, m[1]));
  s = Term(Cos, m[2], b, m[3]) + s;
  s = Term(Sin, m[4], a, m[5]) + s;
  s = Term(Cos, m[6], a, m[7]) + s;
  Vector v;
  v.x = SinF(b) * s * CosF(a);
  v.y = 10.0f * CosF(b);
  v.z = SinF(b) * s * SinF(a);
  return v;
}

Vector* gen(float p, float q) {
  Vector* vertices = new Vector[100];
  for (int i = 0; i < 10; ++i) {
    for (int j = 0; j < 10; ++j) {
      vertices[10 * i + j] = Eval(static_cast<float>(i) * q, static_cast<float>(j) * p);
    }
  }
  return vertices;
}

int* MakeEdges() {
  int* edges = new int[200];
  for (int n = 0; n < 100; ++n) {
    edges[2 * n] = n;
    edges[2 * n + 1] = n + 1;
  }
  return edges;
}
