#include "graphics/opengl/GlRenderDevice.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "graphics/ObjectTable.h"
#include "graphics/Screenshot.h"
#include "graphics/opengl/GlFormats.h"

namespace {

constexpr uint32_t kConstantSlots = 8;
constexpr uint32_t kPixelBindingBase = 8;  // pixel slot s reads uniform binding 8 + s
constexpr uint32_t kVertexStreams = 8;
constexpr uint32_t kTextureSlots = 8;
constexpr GLuint kScratchTextureUnit = 15;  // uploads, so the bound slots stay as set
constexpr size_t kMaxAdapterName = 127;

// One OpenGL object name, deleted with its kind's function when dropped.
class GlName {
public:
    using Deleter = void (*)(GLuint);
    GlName() = default;
    GlName(GLuint name, Deleter deleter) : name_(name), deleter_(deleter) {}
    ~GlName() { Reset(); }
    GlName(GlName&& other) noexcept : name_(std::exchange(other.name_, 0)), deleter_(other.deleter_) {}
    GlName& operator=(GlName&& other) noexcept {
        if (this != &other) {
            Reset();
            name_ = std::exchange(other.name_, 0);
            deleter_ = other.deleter_;
        }
        return *this;
    }
    GLuint Get() const { return name_; }
    void Reset() {
        if (name_ != 0 && deleter_ != nullptr) {
            deleter_(name_);
        }
        name_ = 0;
    }

private:
    GLuint name_ = 0;
    Deleter deleter_ = nullptr;
};

GlName NewBuffer() {
    GLuint name = 0;
    glGenBuffers(1, &name);
    return {name, [](GLuint n) { glDeleteBuffers(1, &n); }};
}
GlName NewTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    return {name, [](GLuint n) { glDeleteTextures(1, &n); }};
}
GlName NewSampler() {
    GLuint name = 0;
    glGenSamplers(1, &name);
    return {name, [](GLuint n) { glDeleteSamplers(1, &n); }};
}
GlName NewRenderbuffer() {
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    return {name, [](GLuint n) { glDeleteRenderbuffers(1, &n); }};
}
GlName NewFramebuffer() {
    GLuint name = 0;
    glGenFramebuffers(1, &name);
    return {name, [](GLuint n) { glDeleteFramebuffers(1, &n); }};
}
GlName NewVertexArray() {
    GLuint name = 0;
    glGenVertexArrays(1, &name);
    return {name, [](GLuint n) { glDeleteVertexArrays(1, &n); }};
}
GlName NewShader(GLenum type) {
    return {glCreateShader(type), [](GLuint n) { glDeleteShader(n); }};
}
GlName NewProgram() {
    return {glCreateProgram(), [](GLuint n) { glDeleteProgram(n); }};
}

struct Buffer {
    GlName name;
    BufferDesc desc;
};

struct Attribute {
    GLuint location = 0;
    uint32_t slot = 0;
    uint32_t offset = 0;
    GlVertexFormat format;
    bool perInstance = false;
    uint32_t stepRate = 0;
};

struct Texture {
    GlName name;
    GLenum target = GL_TEXTURE_2D;
};

struct VertexStream {
    GLuint buffer = 0;
    uint32_t stride = 0;
    uint32_t offset = 0;
};

void ClearGlErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

bool NoGlError() {
    bool clean = true;
    while (glGetError() != GL_NO_ERROR) {
        clean = false;
    }
    return clean;
}

void PrintShaderLog(GLuint shader, const char* what) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(std::max(length, 1)), '\0');
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    std::fprintf(stderr, "%s failed to compile:\n%s\n", what, log.c_str());
}

void PrintProgramLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(std::max(length, 1)), '\0');
    glGetProgramInfoLog(program, length, nullptr, log.data());
    std::fprintf(stderr, "shader program failed to link:\n%s\n", log.c_str());
}

// Points uniform blocks and samplers at the binding points their names give.
void BindProgramInterface(GLuint program) {
    glUseProgram(program);
    char name[32];
    for (uint32_t slot = 0; slot < kConstantSlots; ++slot) {
        std::snprintf(name, sizeof name, "VSConstants%u", slot);
        if (const GLuint block = glGetUniformBlockIndex(program, name); block != GL_INVALID_INDEX) {
            glUniformBlockBinding(program, block, slot);
        }
        std::snprintf(name, sizeof name, "PSConstants%u", slot);
        if (const GLuint block = glGetUniformBlockIndex(program, name); block != GL_INVALID_INDEX) {
            glUniformBlockBinding(program, block, kPixelBindingBase + slot);
        }
    }
    for (uint32_t slot = 0; slot < kTextureSlots; ++slot) {
        std::snprintf(name, sizeof name, "PSTexture%u", slot);
        if (const GLint location = glGetUniformLocation(program, name); location >= 0) {
            glUniform1i(location, static_cast<GLint>(slot));
        }
    }
}

GLenum TextureTarget(const TextureDesc& desc) {
    switch (desc.dimension) {
        case TextureDimension::Texture1D:
            return desc.arraySize > 1 ? GL_TEXTURE_1D_ARRAY : GL_TEXTURE_1D;
        case TextureDimension::Texture3D:
            return GL_TEXTURE_3D;
        case TextureDimension::Texture2D:
            break;
    }
    if (desc.cube) {
        return desc.arraySize > 6 ? GL_TEXTURE_CUBE_MAP_ARRAY : GL_TEXTURE_CUBE_MAP;
    }
    return desc.arraySize > 1 ? GL_TEXTURE_2D_ARRAY : GL_TEXTURE_2D;
}

uint32_t MipSize(uint32_t size, uint32_t level) { return std::max(size >> level, 1u); }

// Uploads one mip level of every array item of a texture bound to `target`.
void UploadLevel(GLenum target, const TextureDesc& desc, const GlTextureFormat& format,
                 const SubresourceData* subresources, uint32_t level) {
    const GLint lod = static_cast<GLint>(level);
    const GLsizei w = static_cast<GLsizei>(MipSize(desc.width, level));
    const GLsizei h = static_cast<GLsizei>(MipSize(desc.height, level));
    const GLsizei d = static_cast<GLsizei>(MipSize(desc.depth, level));
    const GLint internal = static_cast<GLint>(format.internalFormat);
    const SubresourceData& first = subresources[level];
    switch (target) {
        case GL_TEXTURE_1D:
            if (format.compressed) {
                glCompressedTexImage1D(target, lod, format.internalFormat, w, 0, first.slicePitch, first.data);
            } else {
                glTexImage1D(target, lod, internal, w, 0, format.format, format.type, first.data);
            }
            return;
        case GL_TEXTURE_2D:
            if (format.compressed) {
                glCompressedTexImage2D(target, lod, format.internalFormat, w, h, 0, first.slicePitch, first.data);
            } else {
                glTexImage2D(target, lod, internal, w, h, 0, format.format, format.type, first.data);
            }
            return;
        case GL_TEXTURE_3D:
            if (format.compressed) {
                glCompressedTexImage3D(target, lod, format.internalFormat, w, h, d, 0, first.slicePitch * d,
                                       first.data);
            } else {
                glTexImage3D(target, lod, internal, w, h, d, 0, format.format, format.type, first.data);
            }
            return;
        default:
            break;
    }
    // Array items are cube faces or layers, one subresource each.
    const GLsizei layers = static_cast<GLsizei>(desc.arraySize);
    for (GLsizei item = 0; item < layers; ++item) {
        const SubresourceData& source = subresources[static_cast<uint32_t>(item) * desc.mipLevels + level];
        if (target == GL_TEXTURE_CUBE_MAP) {
            const GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(item);
            if (format.compressed) {
                glCompressedTexImage2D(face, lod, format.internalFormat, w, h, 0, source.slicePitch, source.data);
            } else {
                glTexImage2D(face, lod, internal, w, h, 0, format.format, format.type, source.data);
            }
        } else if (target == GL_TEXTURE_1D_ARRAY) {
            if (item == 0) {
                glTexImage2D(target, lod, internal, w, layers, 0, format.format, format.type, nullptr);
            }
            glTexSubImage2D(target, lod, 0, item, w, 1, format.format, format.type, source.data);
        } else {
            if (item == 0 && format.compressed) {
                glCompressedTexImage3D(target, lod, format.internalFormat, w, h, layers, 0,
                                       source.slicePitch * static_cast<GLsizei>(layers), nullptr);
            } else if (item == 0) {
                glTexImage3D(target, lod, internal, w, h, layers, 0, format.format, format.type, nullptr);
            }
            if (format.compressed) {
                glCompressedTexSubImage3D(target, lod, 0, 0, item, w, h, 1, format.internalFormat,
                                          static_cast<GLsizei>(source.slicePitch), source.data);
            } else {
                glTexSubImage3D(target, lod, 0, 0, item, w, h, 1, format.format, format.type, source.data);
            }
        }
    }
}

}  // namespace

struct GlRenderDevice::State {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool s3tc = false;
    bool cubeMapArrays = false;
    bool clipControl = false;
    int swapInterval = -1;
    uint32_t frameWidth = 0;
    uint32_t frameHeight = 0;

    GlName framebuffer;
    GlName colourBuffer;
    GlName depthBuffer;
    GlName vertexArray;

    ObjectTable<Buffer> buffers;
    ObjectTable<GlName> shaders;
    ObjectTable<std::vector<Attribute>> inputLayouts;
    ObjectTable<GlName> samplers;
    ObjectTable<Texture> textures;
    ObjectTable<DepthStencilDesc> depthStencilStates;
    ObjectTable<BlendDesc> blendStates;
    ObjectTable<RasterizerDesc> rasterizerStates;
    // Linked programs by (vertex shader id, pixel shader id); failed links stay empty.
    std::map<std::pair<uint32_t, uint32_t>, GlName> programs;

    // What the pipeline has bound.
    VertexStream streams[kVertexStreams];
    GLenum indexType = GL_UNSIGNED_INT;
    uint32_t indexBytes = 4;
    uint32_t indexOffset = 0;
    uint32_t inputLayout = 0;
    uint32_t vertexShader = 0;
    uint32_t pixelShader = 0;
    DepthStencilDesc depthStencil;
    GLuint program = 0;
    bool programDirty = true;
    bool vertexInputDirty = true;
    uint32_t enabledAttributes = 0;  // bit per attribute location
    uint32_t vertexInputStartInstance = 0;

    bool EnsureContext();
    void DetectFeatures();
    GLuint ProgramFor(uint32_t vertexShaderId, uint32_t pixelShaderId);
    void SetUpVertexInput(uint32_t startInstance);
    bool PrepareDraw(uint32_t startInstance);
    bool CompileShader(GLenum type, const void* bytes, size_t size, ShaderHandle& out);
    void ApplyDepthStencil(uint32_t stencilRef);
    void ReleaseAll();
};

bool GlRenderDevice::State::EnsureContext() {
    if (context == nullptr) {
        context = SDL_GL_CreateContext(window);
        if (context == nullptr) {
            std::fprintf(stderr, "OpenGL context: %s\n", SDL_GetError());
            return false;
        }
        if (epoxy_gl_version() < 33) {
            std::fprintf(stderr, "OpenGL 3.3 is required, the context offers %d.%d\n", epoxy_gl_version() / 10,
                         epoxy_gl_version() % 10);
            SDL_GL_DeleteContext(context);
            context = nullptr;
            return false;
        }
        DetectFeatures();
    }
    return SDL_GL_MakeCurrent(window, context) == 0;
}

void GlRenderDevice::State::DetectFeatures() {
    const int version = epoxy_gl_version();
    s3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
    cubeMapArrays = version >= 40 || epoxy_has_gl_extension("GL_ARB_texture_cube_map_array");
    clipControl = version >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
}

GLuint GlRenderDevice::State::ProgramFor(uint32_t vertexShaderId, uint32_t pixelShaderId) {
    const auto found = programs.find({vertexShaderId, pixelShaderId});
    if (found != programs.end()) {
        return found->second.Get();
    }
    const GlName* vertex = shaders.Find(vertexShaderId);
    const GlName* pixel = shaders.Find(pixelShaderId);
    if (vertex == nullptr || pixel == nullptr) {
        return 0;
    }
    GlName program = NewProgram();
    glAttachShader(program.Get(), vertex->Get());
    glAttachShader(program.Get(), pixel->Get());
    glLinkProgram(program.Get());
    GLint linked = GL_FALSE;
    glGetProgramiv(program.Get(), GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE) {
        BindProgramInterface(program.Get());
    } else {
        PrintProgramLog(program.Get());
        program.Reset();
    }
    const GLuint name = program.Get();
    programs[{vertexShaderId, pixelShaderId}] = std::move(program);
    return name;
}

void GlRenderDevice::State::SetUpVertexInput(uint32_t startInstance) {
    uint32_t enabled = 0;
    if (const std::vector<Attribute>* attributes = inputLayouts.Find(inputLayout)) {
        for (const Attribute& attribute : *attributes) {
            const VertexStream& stream = streams[attribute.slot];
            if (stream.buffer == 0) {
                continue;
            }
            uint64_t offset = stream.offset + attribute.offset;
            if (attribute.perInstance && attribute.stepRate != 0) {
                offset += static_cast<uint64_t>(startInstance / attribute.stepRate) * stream.stride;
            }
            glBindBuffer(GL_ARRAY_BUFFER, stream.buffer);
            glVertexAttribPointer(attribute.location, attribute.format.components, attribute.format.type,
                                  attribute.format.normalized, static_cast<GLsizei>(stream.stride),
                                  reinterpret_cast<const void*>(static_cast<uintptr_t>(offset)));
            glVertexAttribDivisor(attribute.location, attribute.perInstance ? attribute.stepRate : 0);
            glEnableVertexAttribArray(attribute.location);
            enabled |= 1u << attribute.location;
        }
    }
    for (GLuint location = 0; location < 16; ++location) {
        if ((enabledAttributes & ~enabled) & (1u << location)) {
            glDisableVertexAttribArray(location);
        }
    }
    enabledAttributes = enabled;
    vertexInputStartInstance = startInstance;
    vertexInputDirty = false;
}

bool GlRenderDevice::State::PrepareDraw(uint32_t startInstance) {
    if (programDirty) {
        program = ProgramFor(vertexShader, pixelShader);
        glUseProgram(program);
        programDirty = false;
    }
    if (program == 0) {
        return false;
    }
    if (vertexInputDirty || startInstance != vertexInputStartInstance) {
        SetUpVertexInput(startInstance);
    }
    return true;
}

bool GlRenderDevice::State::CompileShader(GLenum type, const void* bytes, size_t size, ShaderHandle& out) {
    out = ShaderHandle{};
    if (context == nullptr || bytes == nullptr || size == 0) {
        return false;
    }
    // Vertex shaders get the depth convention right after the #version line.
    const char* source = static_cast<const char*>(bytes);
    const char* lineEnd = static_cast<const char*>(std::memchr(source, '\n', size));
    const size_t headLength = lineEnd == nullptr ? 0 : static_cast<size_t>(lineEnd - source) + 1;
    const char* prelude = type != GL_VERTEX_SHADER ? "#line 2\n"
                          : clipControl ? "vec4 ToClipSpace(vec4 clip) { return clip; }\n#line 2\n"
                                        : "vec4 ToClipSpace(vec4 clip) { clip.z = 2.0 * clip.z - clip.w; return clip; }\n"
                                          "#line 2\n";
    const char* parts[3] = {source, prelude, source + headLength};
    const GLint lengths[3] = {static_cast<GLint>(headLength), -1, static_cast<GLint>(size - headLength)};
    GlName shader = NewShader(type);
    glShaderSource(shader.Get(), 3, parts, lengths);
    glCompileShader(shader.Get());
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader.Get(), GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        PrintShaderLog(shader.Get(), type == GL_VERTEX_SHADER ? "vertex shader" : "pixel shader");
        return false;
    }
    out.id = shaders.Add(std::move(shader));
    return true;
}

void GlRenderDevice::State::ApplyDepthStencil(uint32_t stencilRef) {
    const DepthStencilDesc& desc = depthStencil;
    if (desc.depthEnable) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDepthMask(desc.depthWrite ? GL_TRUE : GL_FALSE);
    glDepthFunc(ComparisonFor(desc.depthFunc));
    if (desc.stencilEnable) {
        glEnable(GL_STENCIL_TEST);
    } else {
        glDisable(GL_STENCIL_TEST);
    }
    const GLint reference = static_cast<GLint>(stencilRef);
    glStencilFuncSeparate(GL_FRONT, ComparisonFor(desc.frontFace.func), reference, desc.stencilReadMask);
    glStencilFuncSeparate(GL_BACK, ComparisonFor(desc.backFace.func), reference, desc.stencilReadMask);
    glStencilOpSeparate(GL_FRONT, StencilOpFor(desc.frontFace.failOp), StencilOpFor(desc.frontFace.depthFailOp),
                        StencilOpFor(desc.frontFace.passOp));
    glStencilOpSeparate(GL_BACK, StencilOpFor(desc.backFace.failOp), StencilOpFor(desc.backFace.depthFailOp),
                        StencilOpFor(desc.backFace.passOp));
    glStencilMask(desc.stencilWriteMask);
}

void GlRenderDevice::State::ReleaseAll() {
    if (context == nullptr) {
        return;
    }
    SDL_GL_MakeCurrent(window, context);
    programs.clear();
    buffers.Clear();
    shaders.Clear();
    inputLayouts.Clear();
    samplers.Clear();
    textures.Clear();
    depthStencilStates.Clear();
    blendStates.Clear();
    rasterizerStates.Clear();
    vertexArray.Reset();
    framebuffer.Reset();
    colourBuffer.Reset();
    depthBuffer.Reset();
    SDL_GL_DeleteContext(context);
    context = nullptr;
}

GlRenderDevice::GlRenderDevice(SDL_Window* window) : state_(std::make_unique<State>()) { state_->window = window; }

GlRenderDevice::~GlRenderDevice() { state_->ReleaseAll(); }

bool GlRenderDevice::SupportsTextureFormat(Format format) const {
    const GlTextureFormat glFormat = TextureFormatFor(format);
    return glFormat.internalFormat != 0 && (!glFormat.needsS3tc || state_->s3tc);
}

AdapterQueryResult GlRenderDevice::QueryAdapter(AdapterInfo& adapter, std::vector<DisplayMode>& modes) {
    modes.clear();
    if (SDL_GetNumVideoDisplays() < 1) {
        return AdapterQueryResult::NoPrimaryOutput;
    }
    const int count = SDL_GetNumDisplayModes(0);
    if (count < 0) {
        return AdapterQueryResult::ModeCountFailed;
    }
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) != 0) {
            return AdapterQueryResult::ModeListFailed;
        }
        modes.push_back({.width = static_cast<uint32_t>(mode.w),
                         .height = static_cast<uint32_t>(mode.h),
                         .refreshNumerator = static_cast<uint32_t>(mode.refresh_rate)});
    }
    DescribeAdapter(adapter);
    return AdapterQueryResult::Found;
}

void GlRenderDevice::DescribeAdapter(AdapterInfo& out) {
    // The renderer is known only once a context exists; without one the
    // adapter stays unnamed and the device creation reports the failure.
    out = AdapterInfo{};
    if (!state_->EnsureContext()) {
        return;
    }
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    out.description = renderer != nullptr ? renderer : "";
    if (out.description.size() > kMaxAdapterName) {
        out.description.resize(kMaxAdapterName);
    }
    out.dedicatedVideoMemory = 0;
    if (epoxy_has_gl_extension("GL_NVX_gpu_memory_info")) {
        GLint kilobytes = 0;
        glGetIntegerv(GL_GPU_MEMORY_INFO_DEDICATED_VIDMEM_NVX, &kilobytes);
        out.dedicatedVideoMemory = static_cast<uint64_t>(std::max(kilobytes, 0)) * 1024;
        return;
    }
    // Mesa on GLX reports its video memory in megabytes.
    using QueryRendererInteger = int (*)(int attribute, unsigned int* value);
    constexpr int kRendererVideoMemoryMesa = 0x8187;
    if (!SDL_GL_ExtensionSupported("GLX_MESA_query_renderer")) {
        return;
    }
    const auto query =
        reinterpret_cast<QueryRendererInteger>(SDL_GL_GetProcAddress("glXQueryCurrentRendererIntegerMESA"));
    unsigned int megabytes = 0;
    if (query != nullptr && query(kRendererVideoMemoryMesa, &megabytes) != 0) {
        out.dedicatedVideoMemory = static_cast<uint64_t>(megabytes) * 1024 * 1024;
    }
}

bool GlRenderDevice::CreateDeviceAndSwapChain(const SwapChainDesc& desc) {
    State& s = *state_;
    if (!s.EnsureContext()) {
        return false;
    }
    s.frameWidth = desc.width;
    s.frameHeight = desc.height;
    s.swapInterval = desc.vsync ? 1 : 0;
    SDL_GL_SetSwapInterval(s.swapInterval);  // a refusal leaves the driver's default
    if (s.clipControl) {
        glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    }
    s.vertexArray = NewVertexArray();
    glBindVertexArray(s.vertexArray.Get());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    return NoGlError();
}

RenderTargetResult GlRenderDevice::CreateRenderTarget() {
    State& s = *state_;
    ClearGlErrors();
    s.colourBuffer = NewRenderbuffer();
    glBindRenderbuffer(GL_RENDERBUFFER, s.colourBuffer.Get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, static_cast<GLsizei>(s.frameWidth),
                          static_cast<GLsizei>(s.frameHeight));
    s.framebuffer = NewFramebuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer.Get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.colourBuffer.Get());
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!NoGlError() || !complete) {
        s.framebuffer.Reset();
        s.colourBuffer.Reset();
        return RenderTargetResult::ViewFailed;
    }
    return RenderTargetResult::Created;
}

bool GlRenderDevice::CreateDepthBuffer(uint32_t width, uint32_t height) {
    State& s = *state_;
    ClearGlErrors();
    s.depthBuffer = NewRenderbuffer();
    glBindRenderbuffer(GL_RENDERBUFFER, s.depthBuffer.Get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(width),
                          static_cast<GLsizei>(height));
    if (!NoGlError()) {
        s.depthBuffer.Reset();
        return false;
    }
    return true;
}

bool GlRenderDevice::CreateDepthStencilView() {
    State& s = *state_;
    if (s.framebuffer.Get() == 0 || s.depthBuffer.Get() == 0) {
        return false;
    }
    ClearGlErrors();
    glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer.Get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, s.depthBuffer.Get());
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return NoGlError() && complete;
}

void GlRenderDevice::BindRenderTargets() {
    glBindFramebuffer(GL_FRAMEBUFFER, state_->framebuffer.Get());
    const GLenum colourAttachment = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &colourAttachment);
}

void GlRenderDevice::LeaveFullscreen() { SDL_SetWindowFullscreen(state_->window, 0); }

void GlRenderDevice::ReleaseRenderTarget() {
    state_->framebuffer.Reset();
    state_->colourBuffer.Reset();
}

void GlRenderDevice::ReleaseDepthBuffer() { state_->depthBuffer.Reset(); }

void GlRenderDevice::ReleaseDepthStencilView() {
    State& s = *state_;
    if (s.framebuffer.Get() != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer.Get());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    }
}

void GlRenderDevice::ReleaseDevice() { state_->ReleaseAll(); }

bool GlRenderDevice::CreateBuffer(const BufferDesc& desc, const void* initialData, BufferHandle& out) {
    out = BufferHandle{};
    if (state_->context == nullptr || desc.byteWidth == 0) {
        return false;
    }
    ClearGlErrors();
    Buffer buffer{NewBuffer(), desc};
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer.name.Get());
    glBufferData(GL_COPY_WRITE_BUFFER, desc.byteWidth, initialData,
                 desc.usage == Usage::Dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    if (!NoGlError()) {
        return false;
    }
    out.id = state_->buffers.Add(std::move(buffer));
    return true;
}

bool GlRenderDevice::CreateVertexShader(const void* bytes, size_t size, ShaderHandle& out) {
    return state_->CompileShader(GL_VERTEX_SHADER, bytes, size, out);
}

bool GlRenderDevice::CreatePixelShader(const void* bytes, size_t size, ShaderHandle& out) {
    return state_->CompileShader(GL_FRAGMENT_SHADER, bytes, size, out);
}

bool GlRenderDevice::CreateInputLayout(const InputElement* elements, uint32_t count, const void*, size_t,
                                       InputLayoutHandle& out) {
    out = InputLayoutHandle{};
    std::vector<Attribute> attributes;
    uint32_t nextOffset[kVertexStreams] = {};
    for (uint32_t i = 0; i < count; ++i) {
        const InputElement& element = elements[i];
        const int location = AttributeLocationFor(element.semanticName, element.semanticIndex);
        const GlVertexFormat format = VertexFormatFor(element.format);
        if (location < 0 || format.components == 0 || element.inputSlot >= kVertexStreams) {
            return false;
        }
        Attribute attribute;
        attribute.location = static_cast<GLuint>(location);
        attribute.slot = element.inputSlot;
        attribute.offset =
            element.alignedByteOffset == kAppendAligned ? nextOffset[element.inputSlot] : element.alignedByteOffset;
        attribute.format = format;
        attribute.perInstance = element.perInstance;
        attribute.stepRate = element.instanceStepRate;
        nextOffset[element.inputSlot] = attribute.offset + format.bytes;
        attributes.push_back(attribute);
    }
    out.id = state_->inputLayouts.Add(std::move(attributes));
    return true;
}

bool GlRenderDevice::CreateSampler(const SamplerDesc& desc, SamplerHandle& out) {
    out = SamplerHandle{};
    if (state_->context == nullptr) {
        return false;
    }
    GlName sampler = NewSampler();
    const GLuint name = sampler.Get();
    glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER, desc.linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
    glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER, desc.linear ? GL_LINEAR : GL_NEAREST);
    const GLint wrap = desc.wrap ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glSamplerParameteri(name, GL_TEXTURE_WRAP_S, wrap);
    glSamplerParameteri(name, GL_TEXTURE_WRAP_T, wrap);
    glSamplerParameteri(name, GL_TEXTURE_WRAP_R, wrap);
    glSamplerParameterf(name, GL_TEXTURE_MIN_LOD, 0.0f);
    glSamplerParameterf(name, GL_TEXTURE_MAX_LOD, desc.maxLod);
    out.id = state_->samplers.Add(std::move(sampler));
    return true;
}

bool GlRenderDevice::CreateTexture(const TextureDesc& desc, const SubresourceData* subresources,
                                   TextureViewHandle& out) {
    out = TextureViewHandle{};
    State& s = *state_;
    const GLenum target = TextureTarget(desc);
    if (s.context == nullptr || subresources == nullptr || !SupportsTextureFormat(desc.format) ||
        (target == GL_TEXTURE_CUBE_MAP_ARRAY && !s.cubeMapArrays) || desc.mipLevels == 0) {
        return false;
    }
    const GlTextureFormat format = TextureFormatFor(desc.format);
    ClearGlErrors();
    Texture texture{NewTexture(), target};
    glActiveTexture(GL_TEXTURE0 + kScratchTextureUnit);
    glBindTexture(target, texture.name.Get());
    glTexParameteri(target, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(desc.mipLevels) - 1);
    if (format.alphaOnly) {
        const GLint swizzle[4] = {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED};
        glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    }
    for (uint32_t level = 0; level < desc.mipLevels; ++level) {
        UploadLevel(target, desc, format, subresources, level);
    }
    glBindTexture(target, 0);
    if (!NoGlError()) {
        return false;
    }
    out.id = s.textures.Add(std::move(texture));
    return true;
}

bool GlRenderDevice::CreateDepthStencilState(const DepthStencilDesc& desc, DepthStencilStateHandle& out) {
    out.id = state_->depthStencilStates.Add(desc);
    return true;
}

bool GlRenderDevice::CreateBlendState(const BlendDesc& desc, BlendStateHandle& out) {
    out.id = state_->blendStates.Add(desc);
    return true;
}

bool GlRenderDevice::CreateRasterizerState(const RasterizerDesc& desc, RasterizerStateHandle& out) {
    out.id = state_->rasterizerStates.Add(desc);
    return true;
}

void GlRenderDevice::Release(BufferHandle& handle) { ReleaseFrom(state_->buffers, handle); }

void GlRenderDevice::Release(ShaderHandle& handle) {
    State& s = *state_;
    for (auto it = s.programs.begin(); it != s.programs.end();) {
        it = (it->first.first == handle.id || it->first.second == handle.id) ? s.programs.erase(it) : std::next(it);
    }
    if (handle.id == s.vertexShader || handle.id == s.pixelShader) {
        s.programDirty = true;
    }
    ReleaseFrom(s.shaders, handle);
}

void GlRenderDevice::Release(InputLayoutHandle& handle) {
    ReleaseFrom(state_->inputLayouts, handle);
    state_->vertexInputDirty = true;
}

void GlRenderDevice::Release(SamplerHandle& handle) { ReleaseFrom(state_->samplers, handle); }

void GlRenderDevice::Release(TextureViewHandle& handle) { ReleaseFrom(state_->textures, handle); }

void GlRenderDevice::Release(DepthStencilStateHandle& handle) { ReleaseFrom(state_->depthStencilStates, handle); }

void GlRenderDevice::Release(BlendStateHandle& handle) { ReleaseFrom(state_->blendStates, handle); }

void GlRenderDevice::Release(RasterizerStateHandle& handle) { ReleaseFrom(state_->rasterizerStates, handle); }

// Invalidating the whole buffer lets the driver hand out fresh storage while
// draws still read the old one. On llvmpipe this beat orphaning with
// glBufferData(null) first (about 100 against 125 ms a frame for the default
// world in a 320 x 180 window).
void* GlRenderDevice::MapDiscard(BufferHandle handle) {
    Buffer* buffer = state_->buffers.Find(handle.id);
    if (buffer == nullptr) {
        return nullptr;
    }
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer->name.Get());
    return glMapBufferRange(GL_COPY_WRITE_BUFFER, 0, buffer->desc.byteWidth,
                            GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
}

void GlRenderDevice::Unmap(BufferHandle handle) {
    if (Buffer* buffer = state_->buffers.Find(handle.id)) {
        glBindBuffer(GL_COPY_WRITE_BUFFER, buffer->name.Get());
        glUnmapBuffer(GL_COPY_WRITE_BUFFER);
    }
}

void GlRenderDevice::SetConstantBuffer(ShaderStage stage, uint32_t slot, BufferHandle handle) {
    if (slot >= kConstantSlots) {
        return;
    }
    const Buffer* buffer = state_->buffers.Find(handle.id);
    const GLuint binding = stage == ShaderStage::Vertex ? slot : kPixelBindingBase + slot;
    glBindBufferBase(GL_UNIFORM_BUFFER, binding, buffer != nullptr ? buffer->name.Get() : 0);
}

void GlRenderDevice::SetVertexBuffers(uint32_t startSlot, uint32_t count, const BufferHandle* buffers,
                                      const uint32_t* strides, const uint32_t* offsets) {
    State& s = *state_;
    for (uint32_t i = 0; i < count && startSlot + i < kVertexStreams; ++i) {
        const Buffer* buffer = s.buffers.Find(buffers[i].id);
        s.streams[startSlot + i] = {
            .buffer = buffer != nullptr ? buffer->name.Get() : 0, .stride = strides[i], .offset = offsets[i]};
    }
    s.vertexInputDirty = true;
}

void GlRenderDevice::SetIndexBuffer(BufferHandle handle, Format format, uint32_t offset) {
    State& s = *state_;
    const Buffer* buffer = s.buffers.Find(handle.id);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer != nullptr ? buffer->name.Get() : 0);
    const bool wide = format == Format::R32_Uint;
    s.indexType = wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    s.indexBytes = wide ? 4 : 2;
    s.indexOffset = offset;
}

void GlRenderDevice::SetInputLayout(InputLayoutHandle layout) {
    if (layout.id != state_->inputLayout) {
        state_->inputLayout = layout.id;
        state_->vertexInputDirty = true;
    }
}

void GlRenderDevice::SetVertexShader(ShaderHandle shader) {
    if (shader.id != state_->vertexShader) {
        state_->vertexShader = shader.id;
        state_->programDirty = true;
    }
}

void GlRenderDevice::SetPixelShader(ShaderHandle shader) {
    if (shader.id != state_->pixelShader) {
        state_->pixelShader = shader.id;
        state_->programDirty = true;
    }
}

void GlRenderDevice::SetPrimitiveTopology(Topology) {}  // triangle lists only

void GlRenderDevice::SetShaderResource(ShaderStage, uint32_t slot, TextureViewHandle view) {
    if (slot >= kTextureSlots) {
        return;
    }
    glActiveTexture(GL_TEXTURE0 + slot);
    if (const Texture* texture = state_->textures.Find(view.id)) {
        glBindTexture(texture->target, texture->name.Get());
    } else {
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void GlRenderDevice::SetSampler(ShaderStage, uint32_t slot, SamplerHandle handle) {
    if (slot >= kTextureSlots) {
        return;
    }
    const GlName* sampler = state_->samplers.Find(handle.id);
    glBindSampler(slot, sampler != nullptr ? sampler->Get() : 0);
}

void GlRenderDevice::SetDepthStencilState(DepthStencilStateHandle handle, uint32_t stencilRef) {
    const DepthStencilDesc* desc = state_->depthStencilStates.Find(handle.id);
    state_->depthStencil = desc != nullptr ? *desc : DepthStencilDesc{};
    state_->ApplyDepthStencil(stencilRef);
}

void GlRenderDevice::SetBlendState(BlendStateHandle handle, const float*, uint32_t) {
    const BlendDesc* desc = state_->blendStates.Find(handle.id);
    if (desc != nullptr && desc->blendEnable) {
        glEnable(GL_BLEND);
        glBlendFuncSeparate(GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);
        glBlendEquation(GL_FUNC_ADD);
    } else {
        glDisable(GL_BLEND);
    }
}

void GlRenderDevice::SetRasterizerState(RasterizerStateHandle handle) {
    const RasterizerDesc* found = state_->rasterizerStates.Find(handle.id);
    const RasterizerDesc desc = found != nullptr ? *found : RasterizerDesc{};
    glPolygonMode(GL_FRONT_AND_BACK, desc.fill == FillMode::Wireframe ? GL_LINE : GL_FILL);
    if (desc.cullBack) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
    } else {
        glDisable(GL_CULL_FACE);
    }
    glFrontFace(desc.frontCounterClockwise ? GL_CCW : GL_CW);
    if (desc.depthClip) {
        glDisable(GL_DEPTH_CLAMP);
    } else {
        glEnable(GL_DEPTH_CLAMP);
    }
}

void GlRenderDevice::SetViewport(const Viewport& viewport) {
    // Viewports count rows from the top; OpenGL counts them from the bottom.
    const float bottom = static_cast<float>(state_->frameHeight) - (viewport.y + viewport.height);
    glViewport(static_cast<GLint>(viewport.x), static_cast<GLint>(bottom), static_cast<GLsizei>(viewport.width),
               static_cast<GLsizei>(viewport.height));
    glDepthRange(viewport.minDepth, viewport.maxDepth);
}

void GlRenderDevice::ClearRenderTarget(const float colour[4]) { glClearBufferfv(GL_COLOR, 0, colour); }

void GlRenderDevice::ClearDepth(float depth) {
    // Clears ignore the bound depth state, as the depth mask would block them.
    glDepthMask(GL_TRUE);
    glClearBufferfv(GL_DEPTH, 0, &depth);
    glDepthMask(state_->depthStencil.depthWrite ? GL_TRUE : GL_FALSE);
}

void GlRenderDevice::DrawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) {
    State& s = *state_;
    if (!s.PrepareDraw(0)) {
        return;
    }
    const uintptr_t offset = s.indexOffset + static_cast<uintptr_t>(startIndex) * s.indexBytes;
    glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(indexCount), s.indexType,
                             reinterpret_cast<const void*>(offset), baseVertex);
}

void GlRenderDevice::DrawIndexedInstanced(uint32_t indexCountPerInstance, uint32_t instanceCount,
                                          uint32_t startIndex, int32_t baseVertex, uint32_t startInstance) {
    State& s = *state_;
    if (!s.PrepareDraw(startInstance)) {
        return;
    }
    const uintptr_t offset = s.indexOffset + static_cast<uintptr_t>(startIndex) * s.indexBytes;
    glDrawElementsInstancedBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(indexCountPerInstance), s.indexType,
                                      reinterpret_cast<const void*>(offset), static_cast<GLsizei>(instanceCount),
                                      baseVertex);
}

void GlRenderDevice::Present(uint32_t syncInterval) {
    State& s = *state_;
    if (static_cast<int>(syncInterval) != s.swapInterval) {
        s.swapInterval = static_cast<int>(syncInterval);
        SDL_GL_SetSwapInterval(s.swapInterval);
    }
    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(s.window, &drawableWidth, &drawableHeight);
    const GLint width = static_cast<GLint>(s.frameWidth);
    const GLint height = static_cast<GLint>(s.frameHeight);
    const bool sameSize = drawableWidth == width && drawableHeight == height;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s.framebuffer.Get());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, width, height, 0, 0, drawableWidth, drawableHeight, GL_COLOR_BUFFER_BIT,
                      sameSize ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(s.window);
    glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer.Get());
}

bool GlRenderDevice::ReadFrame(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
    State& s = *state_;
    if (s.context == nullptr || s.framebuffer.Get() == 0) {
        return false;
    }
    width = s.frameWidth;
    height = s.frameHeight;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> bottomFirst(rowBytes * height);
    ClearGlErrors();  // only the read-back's own errors count
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s.framebuffer.Get());
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_RGBA, GL_UNSIGNED_BYTE,
                 bottomFirst.data());
    rgba.resize(bottomFirst.size());
    for (uint32_t row = 0; row < height; ++row) {
        std::memcpy(rgba.data() + row * rowBytes, bottomFirst.data() + (height - 1 - row) * rowBytes, rowBytes);
    }
    MakeOpaque(rgba);
    return NoGlError();
}
