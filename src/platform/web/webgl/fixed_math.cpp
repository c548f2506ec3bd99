#include "fixed_math.h"

#include <cmath>

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix p;
    for (int row = 0; row < 4; ++row) {
        const float a0 = a.m[row], a1 = a.m[4 + row], a2 = a.m[8 + row], a3 = a.m[12 + row];
        for (int column = 0; column < 4; ++column) {
            const float* bc = b.m + column * 4;
            p.m[column * 4 + row] = a0 * bc[0] + a1 * bc[1] + a2 * bc[2] + a3 * bc[3];
        }
    }
    return p;
}

void translate(Matrix& m, float x, float y, float z) {
    for (int row = 0; row < 4; ++row)
        m.m[12 + row] = m.m[row] * x + m.m[4 + row] * y + m.m[8 + row] * z + m.m[12 + row];
}

void rotate(Matrix& m, float degrees, float x, float y, float z) {
    const float s = std::sin(float(degrees * M_PI / 180.0)), c = std::cos(float(degrees * M_PI / 180.0));
    Matrix r;
    // A turn about a coordinate axis is built exactly (only the axis' sign counts),
    // as Mesa does; any other axis is normalised first.
    if (x == 0 && y == 0 && z != 0) {
        r.m[0] = r.m[5] = c;
        r.m[1] = z < 0 ? -s : s;
        r.m[4] = -r.m[1];
    } else if (x == 0 && z == 0 && y != 0) {
        r.m[0] = r.m[10] = c;
        r.m[8] = y < 0 ? -s : s;
        r.m[2] = -r.m[8];
    } else if (y == 0 && z == 0 && x != 0) {
        r.m[5] = r.m[10] = c;
        r.m[6] = x < 0 ? -s : s;
        r.m[9] = -r.m[6];
    } else {
        const float length = std::sqrt(x * x + y * y + z * z);
        if (length <= 1.0e-4f) return;  // no axis, no turn
        x /= length;
        y /= length;
        z /= length;
        const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s, oneC = 1.0f - c;
        r.m[0] = oneC * xx + c;
        r.m[1] = oneC * xy + zs;
        r.m[2] = oneC * zx - ys;
        r.m[4] = oneC * xy - zs;
        r.m[5] = oneC * yy + c;
        r.m[6] = oneC * yz + xs;
        r.m[8] = oneC * zx + ys;
        r.m[9] = oneC * yz - xs;
        r.m[10] = oneC * zz + c;
    }
    m = multiply(m, r);
}

void scale(Matrix& m, float x, float y, float z) {
    for (int row = 0; row < 4; ++row) {
        m.m[row] *= x;
        m.m[4 + row] *= y;
        m.m[8 + row] *= z;
    }
}

void perspective(Matrix& m, double fovy, double aspect, double zNear, double zFar) {
    // Computed in double and handed over in single precision, as glMultMatrixd does.
    const double radians = fovy / 2 * M_PI / 180, deltaZ = zFar - zNear, sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    Matrix p;
    p.m[0] = float(cotangent / aspect);
    p.m[5] = float(cotangent);
    p.m[10] = float(-(zFar + zNear) / deltaZ);
    p.m[11] = -1;
    p.m[14] = float(-2 * zNear * zFar / deltaZ);
    p.m[15] = 0;
    m = multiply(m, p);
}

namespace {
void normalize(float v[3]) {
    const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0.0f) return;
    for (int i = 0; i < 3; ++i) v[i] /= r;
}
void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}
}  // namespace

void lookAt(Matrix& m, const double eye[3], const double center[3], const double up[3]) {
    // GLU works in single precision here.
    float forward[3], side[3], upward[3] = {float(up[0]), float(up[1]), float(up[2])};
    for (int i = 0; i < 3; ++i) forward[i] = float(center[i] - eye[i]);
    normalize(forward);
    cross(forward, upward, side);
    normalize(side);
    cross(side, forward, upward);
    Matrix r;
    for (int i = 0; i < 3; ++i) {
        r.m[i * 4] = side[i];
        r.m[i * 4 + 1] = upward[i];
        r.m[i * 4 + 2] = -forward[i];
    }
    m = multiply(m, r);
    translate(m, float(-eye[0]), float(-eye[1]), float(-eye[2]));
}

void transformPoint(const Matrix& m, const float in[4], float out[4]) {
    for (int row = 0; row < 4; ++row)
        out[row] = m.m[row] * in[0] + m.m[4 + row] * in[1] + m.m[8 + row] * in[2] + m.m[12 + row] * in[3];
}

void normalMatrix(const Matrix& modelview, float out[9]) {
    // a(r, c) of the upper 3 x 3; its inverse by cofactors, transposed on the way out.
    auto a = [&](int r, int c) { return modelview.m[c * 4 + r]; };
    float cof[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            cof[r][c] = a(r1, c1) * a(r2, c2) - a(r1, c2) * a(r2, c1);
        }
    const float det = a(0, 0) * cof[0][0] + a(0, 1) * cof[0][1] + a(0, 2) * cof[0][2];
    const float inv = det != 0.0f ? 1.0f / det : 0.0f;
    // inverse(r, c) = cof[c][r] / det; its transpose (r, c) = cof[r][c] / det.
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out[c * 3 + r] = cof[r][c] * inv;
}

std::vector<uint8_t> halveImage(const uint8_t* pixels, int width, int height, int components) {
    const int newWidth = width > 1 ? width / 2 : 1, newHeight = height > 1 ? height / 2 : 1;
    std::vector<uint8_t> out(size_t(newWidth) * size_t(newHeight) * size_t(components));
    const size_t rowBytes = size_t(width) * components;
    uint8_t* to = out.data();
    for (int y = 0; y < newHeight; ++y)
        for (int x = 0; x < newWidth; ++x)
            for (int k = 0; k < components; ++k) {
                if (width > 1 && height > 1) {
                    const uint8_t* t = pixels + size_t(2 * y) * rowBytes + size_t(2 * x) * components + k;
                    *to++ = uint8_t((t[0] + t[components] + t[rowBytes] + t[rowBytes + components] + 2) / 4);
                } else {
                    // One row or one column: two texels, their mean rounded down.
                    const size_t step = width > 1 ? size_t(components) : rowBytes;
                    const uint8_t* t = pixels + size_t(2 * (x + y)) * step + k;
                    *to++ = uint8_t((t[0] + t[step]) / 2);
                }
            }
    return out;
}

void scaleImage(const uint8_t* in, int widthIn, int heightIn, int components, uint8_t* out, int widthOut,
                int heightOut) {
    // GLU widens each byte to 16 bits (times 257), filters, and keeps the high byte.
    std::vector<uint16_t> before(size_t(widthIn) * heightIn * components),
        after(size_t(widthOut) * heightOut * components);
    for (size_t i = 0; i < before.size(); ++i) before[i] = uint16_t(in[i] * 257);
    if (widthIn == widthOut * 2 && heightIn == heightOut * 2) {
        const size_t rowBytes = size_t(widthIn) * components;
        for (int y = 0; y < heightOut; ++y)
            for (int x = 0; x < widthOut; ++x)
                for (int k = 0; k < components; ++k) {
                    const uint16_t* t = before.data() + size_t(2 * y) * rowBytes + size_t(2 * x) * components + k;
                    after[(size_t(y) * widthOut + x) * components + k] =
                        uint16_t((t[0] + t[components] + t[rowBytes] + t[rowBytes + components] + 2) / 4);
                }
    } else {
        const float convy = float(heightIn) / heightOut, convx = float(widthIn) / widthOut;
        const float halfConvx = convx / 2, halfConvy = convy / 2;
        for (int i = 0; i < heightOut; ++i) {
            const float yCentre = convy * (i + 0.5f);
            const float lowY = heightIn > heightOut ? yCentre - halfConvy : yCentre - 0.5f;
            const float highY = heightIn > heightOut ? yCentre + halfConvy : yCentre + 0.5f;
            for (int j = 0; j < widthOut; ++j) {
                const float xCentre = convx * (j + 0.5f);
                const float lowX = widthIn > widthOut ? xCentre - halfConvx : xCentre - 0.5f;
                const float highX = widthIn > widthOut ? xCentre + halfConvx : xCentre + 0.5f;
                float totals[4] = {0, 0, 0, 0}, area = 0;
                // The box from (lowX, lowY) to (highX, highY), texel by texel; the
                // picture wraps round at its edges.
                float y = lowY;
                int yInt = int(std::floor(y));
                while (y < highY) {
                    const int yIndex = (yInt + heightIn) % heightIn;
                    const float yPart = highY < float(yInt + 1) ? highY - y : float(yInt + 1) - y;
                    float x = lowX;
                    int xInt = int(std::floor(x));
                    while (x < highX) {
                        const int xIndex = (xInt + widthIn) % widthIn;
                        const float xPart = highX < float(xInt + 1) ? highX - x : float(xInt + 1) - x;
                        const float part = xPart * yPart;
                        area += part;
                        const uint16_t* t = before.data() + (size_t(yIndex) * widthIn + xIndex) * components;
                        for (int k = 0; k < components; ++k) totals[k] += t[k] * part;
                        x = float(++xInt);
                    }
                    y = float(++yInt);
                }
                for (int k = 0; k < components; ++k)
                    after[(size_t(i) * widthOut + j) * components + k] = uint16_t((totals[k] + 0.5f) / area);
            }
        }
    }
    for (size_t i = 0; i < after.size(); ++i) out[i] = uint8_t(after[i] >> 8);
}
