#pragma once

// Small vector and matrix types. Matrices are stored row by row and used with
// row vectors: a point p maps to p x M.
struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct Matrix4 {
    float m[4][4] = {};

    static Matrix4 Identity();
    Matrix4 Transposed() const;
};

Matrix4 operator*(const Matrix4& a, const Matrix4& b);

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 v, float s);
float Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
// The zero vector normalises to itself.
Vec3 Normalize(Vec3 v);
