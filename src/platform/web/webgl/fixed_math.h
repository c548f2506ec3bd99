// The arithmetic of the fixed-function layer with no WebGL in it: matrices as GL
// keeps them and GLU builds them, and GLU's way of shrinking pictures. Done in the
// precision and order Mesa and GLU use, so that a picture drawn through the layer
// lands where the native one does; plain C++, so native tests compare it with them.
#pragma once
#include <cstdint>
#include <vector>

// A 4 x 4 matrix in GL's column-major order: m[column * 4 + row].
struct Matrix {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

Matrix multiply(const Matrix& a, const Matrix& b);  // a * b, single precision
void translate(Matrix& m, float x, float y, float z);
void rotate(Matrix& m, float degrees, float x, float y, float z);  // about the axis through the origin
void scale(Matrix& m, float x, float y, float z);
void perspective(Matrix& m, double fovy, double aspect, double zNear, double zFar);  // gluPerspective
void lookAt(Matrix& m, const double eye[3], const double center[3], const double up[3]);
void transformPoint(const Matrix& m, const float in[4], float out[4]);
void normalMatrix(const Matrix& modelview, float out[9]);
// The inverse transpose of the upper 3 x 3, column-major: eye normals are not
// normalised afterwards, as GL does without GL_NORMALIZE.

// Pictures of 8-bit components, rows packed with no padding.
std::vector<uint8_t> halveImage(const uint8_t* pixels, int width, int height, int components);
// The next smaller mipmap level as GLU's gluBuild2DMipmaps makes it: each side
// halved (a side of 1 stays 1), each texel the rounded mean of the 2 x 2 (or 2)
// texels it covers.
void scaleImage(const uint8_t* in, int widthIn, int heightIn, int components, uint8_t* out, int widthOut,
                int heightOut);
// gluScaleImage for unsigned bytes: a box filter over 16-bit intermediates.
