// The two shader programs of the device: the fixed-function subset the scene uses, and the
// copy with colour conversion behind StretchRect. Both need the device's context current.
#pragma once

#include <epoxy/gl.h>

// Position and one texture coordinate, transformed by one matrix; the texture sampled as is.
// One program per colouring mode; the matrix and flip follow the mode that is in use. Use and
// the setters leave the current mode's program bound.
class GlFixedFunctionProgram {
 public:
  bool Build();
  void Destroy();
  void Use();
  // Row-vector matrix as Direct3D keeps it (world x view x projection).
  void SetMatrix(const float m[16]);
  // -1 when drawing into a texture, so that its row 0 is the top of the picture.
  void SetFlipY(float flip);
  // What colours a fragment: plain white, the texture, or black (lighting with no lights).
  enum class Mode { White = 0, Textured = 1, Black = 2 };
  void SetMode(Mode mode);

 private:
  struct Variant {
    GLuint program = 0;
    GLint matrix = -1;
    GLint flipY = -1;
  };
  static constexpr unsigned kAllVariants = 7u;
  Variant& current() { return variants_[static_cast<int>(mode_)]; }

  Variant variants_[3];
  Mode mode_ = Mode::White;
  float matrix_[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  float flipY_ = 1.0f;
  unsigned stale_ = 0;  // variants whose uniforms lag behind
};

// Draws a source rectangle into the bound framebuffer, reading RGB or planar YUV.
class GlCopyProgram {
 public:
  enum class Source { Rgb = 0, ThreePlanes = 1, TwoPlanes = 2 };
  bool Build();
  void Destroy();
  // Texture units 0..2 hold Y (or RGB), U (or interleaved UV) and V.
  void Use(Source source) const;
  // YUV to RGB: rgb = matrix x (yuv - offset), column-major 3 x 3.
  void SetConversion(const float matrix[9], const float offset[3]) const;
  // Source rectangle in texture coordinates and destination in normalised device coordinates.
  void SetRects(const float source[4], const float destination[4]) const;

 private:
  GLuint program_ = 0;
  GLint source_ = -1;
  GLint matrix_ = -1;
  GLint offset_ = -1;
  GLint sourceRect_ = -1;
  GLint destinationRect_ = -1;
};
