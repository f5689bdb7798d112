#include "GlShaders.h"

#include <cstring>

namespace {

GLuint Compile(GLenum type, const char* source) {
  GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

GLuint Link(const char* vertexSource, const char* fragmentSource) {
  GLuint vertex = Compile(GL_VERTEX_SHADER, vertexSource);
  GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentSource);
  GLuint program = 0;
  if (vertex && fragment) {
    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glBindAttribLocation(program, 0, "aPosition");
    glBindAttribLocation(program, 1, "aTexCoord");
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      glDeleteProgram(program);
      program = 0;
    }
  }
  if (vertex) glDeleteShader(vertex);
  if (fragment) glDeleteShader(fragment);
  return program;
}

const char* const kFixedVertex = R"(#version 330 core
in vec3 aPosition;
in vec2 aTexCoord;
uniform mat4 uMatrix;
uniform float uFlipY;
out vec2 vTexCoord;
void main() {
  vec4 p = uMatrix * vec4(aPosition, 1.0);
  // Direct3D's depth range is 0..w, OpenGL's -w..w.
  gl_Position = vec4(p.x, p.y * uFlipY, 2.0 * p.z - p.w, p.w);
  vTexCoord = aTexCoord;
}
)";

// One fragment program per way of colouring: no branch per fragment.
const char* const kFixedFragment[3] = {
    R"(#version 330 core
out vec4 outColor;
void main() { outColor = vec4(1.0); }
)",
    R"(#version 330 core
in vec2 vTexCoord;
uniform sampler2D uTexture;
out vec4 outColor;
void main() { outColor = texture(uTexture, vTexCoord); }
)",
    R"(#version 330 core
out vec4 outColor;
void main() { outColor = vec4(0.0, 0.0, 0.0, 1.0); }
)"};

// A quad made from the vertex index: no vertex buffer needed.
const char* const kCopyVertex = R"(#version 330 core
uniform vec4 uSourceRect;
uniform vec4 uDestinationRect;
out vec2 vTexCoord;
void main() {
  vec2 corner = vec2(float(gl_VertexID & 1), float((gl_VertexID >> 1) & 1));
  gl_Position = vec4(mix(uDestinationRect.xy, uDestinationRect.zw, corner), 0.0, 1.0);
  vTexCoord = mix(uSourceRect.xy, uSourceRect.zw, corner);
}
)";

const char* const kCopyFragment = R"(#version 330 core
in vec2 vTexCoord;
uniform sampler2D uPlane0;
uniform sampler2D uPlane1;
uniform sampler2D uPlane2;
uniform int uSource;
uniform mat3 uMatrix;
uniform vec3 uOffset;
out vec4 outColor;
void main() {
  if (uSource == 0) {
    outColor = vec4(texture(uPlane0, vTexCoord).rgb, 1.0);
    return;
  }
  vec3 yuv;
  yuv.x = texture(uPlane0, vTexCoord).r;
  if (uSource == 1) {
    yuv.y = texture(uPlane1, vTexCoord).r;
    yuv.z = texture(uPlane2, vTexCoord).r;
  } else {
    yuv.yz = texture(uPlane1, vTexCoord).rg;
  }
  outColor = vec4(clamp(uMatrix * (yuv - uOffset), 0.0, 1.0), 1.0);
}
)";

}  // namespace

bool GlFixedFunctionProgram::Build() {
  for (int i = 0; i < 3; ++i) {
    Variant& v = variants_[i];
    v.program = Link(kFixedVertex, kFixedFragment[i]);
    if (!v.program) return false;
    v.matrix = glGetUniformLocation(v.program, "uMatrix");
    v.flipY = glGetUniformLocation(v.program, "uFlipY");
    glUseProgram(v.program);
    glUniform1i(glGetUniformLocation(v.program, "uTexture"), 0);
    glUniformMatrix4fv(v.matrix, 1, GL_FALSE, matrix_);
    glUniform1f(v.flipY, flipY_);
  }
  return true;
}

void GlFixedFunctionProgram::Destroy() {
  for (Variant& v : variants_) {
    if (v.program) glDeleteProgram(v.program);
    v.program = 0;
  }
}

void GlFixedFunctionProgram::SetMatrix(const float m[16]) {
  std::memcpy(matrix_, m, sizeof matrix_);
  glUniformMatrix4fv(current().matrix, 1, GL_FALSE, matrix_);
  stale_ = kAllVariants & ~(1u << static_cast<int>(mode_));
}

void GlFixedFunctionProgram::SetFlipY(float flip) {
  flipY_ = flip;
  glUniform1f(current().flipY, flipY_);
  stale_ = kAllVariants & ~(1u << static_cast<int>(mode_));
}

void GlFixedFunctionProgram::SetMode(Mode mode) {
  mode_ = mode;
  Use();
}

void GlFixedFunctionProgram::Use() {
  glUseProgram(current().program);
  const unsigned bit = 1u << static_cast<int>(mode_);
  if (stale_ & bit) {
    // Another variant took the last matrix or flip: this one catches up.
    glUniformMatrix4fv(current().matrix, 1, GL_FALSE, matrix_);
    glUniform1f(current().flipY, flipY_);
    stale_ &= ~bit;
  }
}

bool GlCopyProgram::Build() {
  program_ = Link(kCopyVertex, kCopyFragment);
  if (!program_) return false;
  source_ = glGetUniformLocation(program_, "uSource");
  matrix_ = glGetUniformLocation(program_, "uMatrix");
  offset_ = glGetUniformLocation(program_, "uOffset");
  sourceRect_ = glGetUniformLocation(program_, "uSourceRect");
  destinationRect_ = glGetUniformLocation(program_, "uDestinationRect");
  glUseProgram(program_);
  glUniform1i(glGetUniformLocation(program_, "uPlane0"), 0);
  glUniform1i(glGetUniformLocation(program_, "uPlane1"), 1);
  glUniform1i(glGetUniformLocation(program_, "uPlane2"), 2);
  return true;
}

void GlCopyProgram::Destroy() {
  if (program_) glDeleteProgram(program_);
  program_ = 0;
}

void GlCopyProgram::Use(Source source) const {
  glUseProgram(program_);
  glUniform1i(source_, static_cast<int>(source));
}

void GlCopyProgram::SetConversion(const float matrix[9], const float offset[3]) const {
  glUniformMatrix3fv(matrix_, 1, GL_FALSE, matrix);
  glUniform3fv(offset_, 1, offset);
}

void GlCopyProgram::SetRects(const float source[4], const float destination[4]) const {
  glUniform4fv(sourceRect_, 1, source);
  glUniform4fv(destinationRect_, 1, destination);
}
