// The two shader programs of the device: the fixed-function subset the scene uses, and the
// copy with colour conversion behind StretchRect. Both need the device's context current.
#pragma once

#include <epoxy/gl.h>

// Position and one texture coordinate, transformed by one matrix; the texture sampled as is.
class GlFixedFunctionProgram {
 public:
  bool Build();
  void Destroy();
  void Use() const { glUseProgram(program_); }
  // Row-vector matrix as Direct3D keeps it (world x view x projection).
  void SetMatrix(const float m[16]) const { glUniformMatrix4fv(matrix_, 1, GL_FALSE, m); }
  // -1 when drawing into a texture, so that its row 0 is the top of the picture.
  void SetFlipY(float flip) const { glUniform1f(flipY_, flip); }
  // What colours a fragment: plain white, the texture, or black (lighting with no lights).
  enum class Mode { White = 0, Textured = 1, Black = 2 };
  void SetMode(Mode mode) const { glUniform1i(mode_, static_cast<int>(mode)); }

 private:
  GLuint program_ = 0;
  GLint matrix_ = -1;
  GLint flipY_ = -1;
  GLint mode_ = -1;
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
