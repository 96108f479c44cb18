#pragma once
// The GL extension loader: one support flag per known extension and version,
// and the entry points of the supported ones fetched into the process-wide
// pointers of platform/gl.h (GL) and below (WGL). It runs once, from the
// engine's constructor with the window's context current; afterwards flags and
// pointers are read-only. A flag's variable is the extension's name with
// "has_" in front (the bare names are macros of the GL headers).

#include "platform/gl.h"
#include "platform/wgl.h"

// ------------------------------------------------------------ support flags ----

// The GL extensions tested by name, in the order they are tested.
#define GL_EXTENSION_FLAGS(X)                                                                  \
    X(GL_ARB_depth_texture) X(GL_ARB_fragment_program) X(GL_ARB_imaging)                       \
    X(GL_ARB_matrix_palette) X(GL_ARB_multisample) X(GL_ARB_multitexture)                      \
    X(GL_ARB_point_parameters) X(GL_ARB_shadow) X(GL_ARB_shadow_ambient)                       \
    X(GL_ARB_texture_border_clamp) X(GL_ARB_texture_compression) X(GL_ARB_texture_cube_map)    \
    X(GL_ARB_texture_env_add) X(GL_ARB_texture_env_combine) X(GL_ARB_texture_env_crossbar)     \
    X(GL_ARB_texture_env_dot3) X(GL_ARB_texture_mirrored_repeat) X(GL_ARB_transpose_matrix)    \
    X(GL_ARB_vertex_blend) X(GL_ARB_vertex_program) X(GL_ARB_window_pos) X(GL_EXT_abgr)        \
    X(GL_EXT_bgra) X(GL_EXT_blend_func_separate) X(GL_EXT_compiled_vertex_array)               \
    X(GL_EXT_cull_vertex) X(GL_EXT_draw_range_elements) X(GL_EXT_fog_coord)                    \
    X(GL_EXT_multi_draw_arrays) X(GL_EXT_point_parameters) X(GL_EXT_secondary_color)           \
    X(GL_EXT_separate_specular_color) X(GL_EXT_shadow_funcs) X(GL_EXT_stencil_two_side)        \
    X(GL_EXT_stencil_wrap) X(GL_EXT_texture_compression_s3tc) X(GL_EXT_texture_env_combine)    \
    X(GL_EXT_texture_filter_anisotropic) X(GL_EXT_texture_lod_bias) X(GL_EXT_vertex_shader)    \
    X(GL_EXT_vertex_weighting) X(GL_ATI_element_array) X(GL_ATI_envmap_bumpmap)                \
    X(GL_ATI_fragment_shader) X(GL_ATI_pn_triangles) X(GL_ATI_point_cull_mode)                 \
    X(GL_ATI_text_fragment_shader) X(GL_ATI_texture_mirror_once) X(GL_ATI_vertex_array_object) \
    X(GL_ATI_vertex_streams) X(GL_ATIX_point_sprites) X(GL_ATIX_texture_env_route)             \
    X(GL_HP_occlusion_test) X(GL_NV_blend_square) X(GL_NV_copy_depth_to_color)                 \
    X(GL_NV_depth_clamp) X(GL_NV_element_array) X(GL_NV_evaluators) X(GL_NV_fence)             \
    X(GL_NV_float_buffer) X(GL_NV_fog_distance) X(GL_NV_fragment_program)                      \
    X(GL_NV_light_max_exponent) X(GL_NV_occlusion_query) X(GL_NV_packed_depth_stencil)         \
    X(GL_NV_point_sprite) X(GL_NV_primitive_restart) X(GL_NV_register_combiners)               \
    X(GL_NV_register_combiners2) X(GL_NV_texgen_reflection) X(GL_NV_texture_env_combine4)      \
    X(GL_NV_texture_rectangle) X(GL_NV_texture_shader) X(GL_NV_texture_shader2)                \
    X(GL_NV_texture_shader3) X(GL_NV_vertex_array_range) X(GL_NV_vertex_array_range2)          \
    X(GL_NV_vertex_program) X(GL_NV_vertex_program1_1) X(GL_NV_vertex_program2)                \
    X(GL_SGIS_generate_mipmap) X(GL_SGIS_texture_lod) X(GL_SGIX_depth_texture) X(GL_SGIX_shadow)

// The WGL extensions tested by name, in the order they are tested.
#define WGL_EXTENSION_FLAGS(X)                                                                  \
    X(WGL_ARB_buffer_region) X(WGL_ARB_make_current_read) X(WGL_ARB_multisample)               \
    X(WGL_ARB_pbuffer) X(WGL_ARB_pixel_format) X(WGL_ARB_render_texture) X(WGL_EXT_swap_control) \
    X(WGL_NV_render_depth_texture) X(WGL_NV_render_texture_rectangle)

// The flags set otherwise: the two extension-string queries (from their entry
// points) and the core versions.
#define OTHER_EXTENSION_FLAGS(X)                                             \
    X(WGL_ARB_extensions_string) X(WGL_EXT_extensions_string)               \
    X(GL_VERSION_1_2) X(GL_VERSION_1_3) X(GL_VERSION_1_4)

#define GL_EXTENSIONS_DECLARE_FLAG(name) extern int has_##name;
GL_EXTENSION_FLAGS(GL_EXTENSIONS_DECLARE_FLAG)
WGL_EXTENSION_FLAGS(GL_EXTENSIONS_DECLARE_FLAG)
OTHER_EXTENSION_FLAGS(GL_EXTENSIONS_DECLARE_FLAG)
#undef GL_EXTENSIONS_DECLARE_FLAG

// 1 once a fetch returned null (see initGLExtensions for what it reports).
extern int glExtensionError;

// ------------------------------------------------------ WGL entry points ----

typedef BOOL (*PFNWGLMAKECONTEXTCURRENTARBPROC)(HDC drawDC, HDC readDC, HGLRC context);
typedef HDC (*PFNWGLGETCURRENTREADDCARBPROC)(void);
typedef HANDLE (*PFNWGLCREATEBUFFERREGIONARBPROC)(HDC dc, int layerPlane, UINT type);
typedef void (*PFNWGLDELETEBUFFERREGIONARBPROC)(HANDLE region);
typedef BOOL (*PFNWGLSAVEBUFFERREGIONARBPROC)(HANDLE region, int x, int y, int width, int height);
typedef BOOL (*PFNWGLRESTOREBUFFERREGIONARBPROC)(HANDLE region, int x, int y, int width, int height,
                                                 int xSource, int ySource);

#define WGL_ENTRY_POINTS(X)                                                  \
    X(PFNWGLGETEXTENSIONSSTRINGARBPROC, wglGetExtensionsStringARB)            \
    X(PFNWGLGETEXTENSIONSSTRINGEXTPROC, wglGetExtensionsStringEXT)            \
    X(PFNWGLCREATEBUFFERREGIONARBPROC, wglCreateBufferRegionARB)              \
    X(PFNWGLDELETEBUFFERREGIONARBPROC, wglDeleteBufferRegionARB)              \
    X(PFNWGLSAVEBUFFERREGIONARBPROC, wglSaveBufferRegionARB)                  \
    X(PFNWGLRESTOREBUFFERREGIONARBPROC, wglRestoreBufferRegionARB)            \
    X(PFNWGLCREATEPBUFFERARBPROC, wglCreatePbufferARB)                        \
    X(PFNWGLGETPBUFFERDCARBPROC, wglGetPbufferDCARB)                          \
    X(PFNWGLRELEASEPBUFFERDCARBPROC, wglReleasePbufferDCARB)                  \
    X(PFNWGLDESTROYPBUFFERARBPROC, wglDestroyPbufferARB)                      \
    X(PFNWGLQUERYPBUFFERARBPROC, wglQueryPbufferARB)                          \
    X(PFNWGLGETPIXELFORMATATTRIBIVARBPROC, wglGetPixelFormatAttribivARB)      \
    X(PFNWGLGETPIXELFORMATATTRIBFVARBPROC, wglGetPixelFormatAttribfvARB)      \
    X(PFNWGLCHOOSEPIXELFORMATARBPROC, wglChoosePixelFormatARB)                \
    X(PFNWGLBINDTEXIMAGEARBPROC, wglBindTexImageARB)                          \
    X(PFNWGLRELEASETEXIMAGEARBPROC, wglReleaseTexImageARB)                    \
    X(PFNWGLSETPBUFFERATTRIBARBPROC, wglSetPbufferAttribARB)                  \
    X(PFNWGLMAKECONTEXTCURRENTARBPROC, wglMakeContextCurrentARB)              \
    X(PFNWGLGETCURRENTREADDCARBPROC, wglGetCurrentReadDCARB)                  \
    X(PFNWGLSWAPINTERVALEXTPROC, wglSwapIntervalEXT)                          \
    X(PFNWGLGETSWAPINTERVALEXTPROC, wglGetSwapIntervalEXT)

#define GL_EXTENSIONS_DECLARE_POINTER(type, name) extern type ext_##name;
WGL_ENTRY_POINTS(GL_EXTENSIONS_DECLARE_POINTER)
#undef GL_EXTENSIONS_DECLARE_POINTER

#define wglGetExtensionsStringARB ext_wglGetExtensionsStringARB
#define wglGetExtensionsStringEXT ext_wglGetExtensionsStringEXT
#define wglCreateBufferRegionARB ext_wglCreateBufferRegionARB
#define wglDeleteBufferRegionARB ext_wglDeleteBufferRegionARB
#define wglSaveBufferRegionARB ext_wglSaveBufferRegionARB
#define wglRestoreBufferRegionARB ext_wglRestoreBufferRegionARB
#define wglCreatePbufferARB ext_wglCreatePbufferARB
#define wglGetPbufferDCARB ext_wglGetPbufferDCARB
#define wglReleasePbufferDCARB ext_wglReleasePbufferDCARB
#define wglDestroyPbufferARB ext_wglDestroyPbufferARB
#define wglQueryPbufferARB ext_wglQueryPbufferARB
#define wglGetPixelFormatAttribivARB ext_wglGetPixelFormatAttribivARB
#define wglGetPixelFormatAttribfvARB ext_wglGetPixelFormatAttribfvARB
#define wglChoosePixelFormatARB ext_wglChoosePixelFormatARB
#define wglBindTexImageARB ext_wglBindTexImageARB
#define wglReleaseTexImageARB ext_wglReleaseTexImageARB
#define wglSetPbufferAttribARB ext_wglSetPbufferAttribARB
#define wglMakeContextCurrentARB ext_wglMakeContextCurrentARB
#define wglGetCurrentReadDCARB ext_wglGetCurrentReadDCARB
#define wglSwapIntervalEXT ext_wglSwapIntervalEXT
#define wglGetSwapIntervalEXT ext_wglGetSwapIntervalEXT

// ------------------------------------------------------------------ loader ----

// The whole loader: the GL flags and entry points, then the WGL stage.
// Returns the error flag as the WGL stage leaves it: 0 when every WGL entry
// point of a supported WGL extension was fetched. A GL entry point that could
// not be fetched shows only as a null pointer.
int initGLExtensions();
// The version flags and the GL extension flags. A null version string (no
// current context) sets none; a null extension string supports nothing.
void querySupportedGLExtensions();
// 1 when the name is a whole word of the GL extension string, else 0.
int isGLExtensionSupported(const char* name);
// The WGL stage: extension-string entry points, WGL flags, WGL entry points.
// Returns the error flag.
int initWGLExtensions();
void querySupportedWGLExtensions();
// 1 when the name is a whole word of the WGL extension string, else 0 (also
// when neither extension-string entry point was fetched).
int isWGLExtensionSupported(const char* name);

// Per-extension loaders: each fetches its entry points when its flag is set.
void loadEntryPoints_GL_ARB_multitexture();
void loadEntryPoints_GL_ARB_vertex_program();
void loadEntryPoints_GL_ARB_fragment_program();
void loadEntryPoints_GL_NV_vertex_program();
void loadEntryPoints_GL_NV_fragment_program();
void loadEntryPoints_GL_VERSION_1_2();
void loadEntryPoints_GL_VERSION_1_3();
void loadEntryPoints_WGL_ARB_make_current_read();
void loadEntryPoints_WGL_EXT_swap_control();
void loadEntryPoints_WGL_ARB_render_texture();
void loadEntryPoints_WGL_ARB_pixel_format();
void loadEntryPoints_WGL_ARB_pbuffer();
void loadEntryPoints_WGL_ARB_buffer_region();

// ----------------------------------------------- text helpers (no GL) ----

// 1 when `name` occurs in `text` as a whole blank-separated word, else 0.
// A null text, an empty name or one containing a blank is never found.
int findExtensionWord(const char* text, const char* name);

// The core versions a GL_VERSION string grants. The string starts with
// "major.minor": a major version of 2 or more grants every 1.x version; with
// major 1 the minor digit decides (>= 4: all three, 3: 1.2 and 1.3, 2: 1.2).
// A string that does not start with a number is searched for "1." instead.
struct GLVersionFlags {
    bool v12 = false;
    bool v13 = false;
    bool v14 = false;
};
GLVersionFlags parseGLVersionFlags(const char* version);
