// The web layer's arithmetic against the native GL and GLU it stands in for: the
// same matrices from the same calls to the bit, the same mipmaps and scaled pictures
// to the byte.
#include "platform/web/webgl/fixed_math.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gl_test.h"

namespace {

struct MatrixCase {
    const char* name;
    std::function<void()> native;
    std::function<void(Matrix&)> layer;
};

const double eye[3] = {3, -2, -35}, centre[3] = {0.5, 1, 0}, up[3] = {0, 1, 0.2};

// The calls the scenes make, alone and chained, with axes of every kind.
const MatrixCase matrixCases[] = {
    {"translate, scale", [] { glTranslatef(0.3f, -0.3f, -2), glScalef(0.003f, 0.01f, 0.01f); },
     [](Matrix& m) { translate(m, 0.3f, -0.3f, -2), scale(m, 0.003f, 0.01f, 0.01f); }},
    {"turns about the axes",
     [] { glRotatef(-70, 1, 0, 0), glRotatef(37.5f, 0, 1, 0), glRotatef(123.4f, 0, 0, -1), glRotatef(5, 0, -2, 0); },
     [](Matrix& m) {
         rotate(m, -70, 1, 0, 0), rotate(m, 37.5f, 0, 1, 0), rotate(m, 123.4f, 0, 0, -1), rotate(m, 5, 0, -2, 0);
     }},
    {"turn about a slanted axis", [] { glTranslatef(1, 2, 3), glRotatef(61, 1, 2, -3); },
     [](Matrix& m) { translate(m, 1, 2, 3), rotate(m, 61, 1, 2, -3); }},
    {"perspective 45 then 150", [] { gluPerspective(45, 1, 1, 1000), gluPerspective(150, 4.0 / 3, 0.5, 100); },
     [](Matrix& m) { perspective(m, 45, 1, 1, 1000), perspective(m, 150, 4.0 / 3, 0.5, 100); }},
    {"look-at, then a layer",
     [] {
         gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], up[0], up[1], up[2]),
             glTranslatef(0, 2, -31), glRotatef(90, 1, 0, 0);
     },
     [](Matrix& m) { lookAt(m, eye, centre, up), translate(m, 0, 2, -31), rotate(m, 90, 1, 0, 0); }},
};

TEST_F(GLTest, MatricesMatchNativeGLAndGLU) {
    for (const MatrixCase& c : matrixCases) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0.25f, 0, -1);  // a start other than the identity
        c.native();
        float native[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, native);
        Matrix layer;
        translate(layer, 0.25f, 0, -1);
        c.layer(layer);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(layer.m[i], native[i]) << c.name << " [" << i << "]";  // to the bit, as Mesa computes it
    }
}

TEST(FixedMath, NormalMatrixIsTheInverseTranspose) {
    // A turn with an uneven scale: the inverse and the transpose differ from it and
    // from each other, and eye normals keep the length the scale gives them.
    Matrix m;
    rotate(m, 30, 1, 2, 3);
    scale(m, 0.5f, 2, 4);
    translate(m, 7, 8, 9);
    float n[9];
    normalMatrix(m, n);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            // (N^T M)(r, c) = sum_k N(k, r) M(k, c) must be the identity.
            float sum = 0;
            for (int k = 0; k < 3; ++k) sum += n[r * 3 + k] * m.m[c * 4 + k];
            EXPECT_NEAR(sum, r == c ? 1.0f : 0.0f, 1e-5f) << r << "," << c;
        }
}

std::vector<uint8_t> randomPicture(int width, int height, int components, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> p(size_t(width) * height * components);
    for (uint8_t& v : p) v = uint8_t(random());
    return p;
}

struct SizeCase {
    int width, height, components;
};

TEST_F(GLTest, MipmapsMatchGluBuild2DMipmaps) {
    // Square, wide, tall, a single row and a single column, RGB and RGBA.
    for (SizeCase s : {SizeCase{8, 8, 3}, {16, 4, 4}, {2, 32, 3}, {8, 1, 3}, {1, 4, 4}}) {
        std::vector<uint8_t> level = randomPicture(s.width, s.height, s.components, unsigned(s.width * 31 + s.height));
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        const GLenum format = s.components == 4 ? GL_RGBA : GL_RGB;
        gluBuild2DMipmaps(GL_TEXTURE_2D, s.components, s.width, s.height, format, GL_UNSIGNED_BYTE, level.data());
        int w = s.width, h = s.height;
        for (int l = 1; w > 1 || h > 1; ++l) {
            level = halveImage(level.data(), w, h, s.components);
            w = std::max(1, w / 2), h = std::max(1, h / 2);
            std::vector<uint8_t> native(level.size());
            glGetTexImage(GL_TEXTURE_2D, l, format, GL_UNSIGNED_BYTE, native.data());
            EXPECT_EQ(level, native) << s.width << "x" << s.height << "x" << s.components << " level " << l;
        }
        glDeleteTextures(1, &texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }
}

TEST_F(GLTest, ScaledPicturesMatchGluScaleImage) {
    struct ScaleCase {
        SizeCase in;
        int width, height;
    };
    // Up, down, exactly half, uneven both ways.
    for (ScaleCase s : {ScaleCase{{3, 5, 3}, 4, 8},
                        {{300, 100, 3}, 256, 128},
                        {{8, 6, 4}, 4, 3},
                        {{7, 3, 4}, 2, 4},
                        {{33, 17, 3}, 32, 32}}) {
        std::vector<uint8_t> in = randomPicture(s.in.width, s.in.height, s.in.components, unsigned(s.width + s.height));
        const GLenum format = s.in.components == 4 ? GL_RGBA : GL_RGB;
        std::vector<uint8_t> native(size_t(s.width) * s.height * s.in.components), layer(native.size());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        ASSERT_EQ(gluScaleImage(format, s.in.width, s.in.height, GL_UNSIGNED_BYTE, in.data(), s.width, s.height,
                                GL_UNSIGNED_BYTE, native.data()),
                  0);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        scaleImage(in.data(), s.in.width, s.in.height, s.in.components, layer.data(), s.width, s.height);
        EXPECT_EQ(layer, native) << s.in.width << "x" << s.in.height << " -> " << s.width << "x" << s.height;
    }
}

}  // namespace
