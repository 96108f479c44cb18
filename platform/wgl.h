#pragma once
// GL rendering contexts the Windows way (WGL), provided by this layer over SDL.
// Every context shares its objects with the first one. The extension
// functions (pixel formats, pbuffers, render-to-texture, swap control, the
// extension string) exist only behind wglGetProcAddress, as on Windows; this
// header gives their function types and tokens.

#include "platform/win32.h"

typedef struct HGLRC__* HGLRC;
typedef struct HPBUFFERARB__* HPBUFFERARB;
// The generic entry-point type; cast to the entry point's own type to call it.
typedef void (*PROC)(void);

// Creates a context for the device context's window (or pbuffer). The new
// context is not current; NULL on failure. The caller owns it
// (wglDeleteContext).
HGLRC wglCreateContext(HDC dc);
// FALSE for an unknown context. Deleting the current context leaves none.
BOOL wglDeleteContext(HGLRC context);
// Makes the context current, drawing into the device context's window or
// pbuffer; (any, NULL) makes none current. FALSE on failure.
BOOL wglMakeCurrent(HDC dc, HGLRC context);
HGLRC wglGetCurrentContext(void);
HDC wglGetCurrentDC(void);
// Contexts share their objects from creation on; returns TRUE.
BOOL wglShareLists(HGLRC first, HGLRC second);
// The layer's own WGL extension functions first, then the NV emulation, then
// the driver's GL functions. NULL for a name nobody provides (the driver may
// still answer with a stub: decide availability by the extension string).
PROC wglGetProcAddress(LPCSTR name);

// ------------------------------------------------------ extension strings ----

typedef const char* (*PFNWGLGETEXTENSIONSSTRINGARBPROC)(HDC dc);
typedef const char* (*PFNWGLGETEXTENSIONSSTRINGEXTPROC)(void);

// ----------------------------------------------------------- pixel formats ----

#define WGL_NUMBER_PIXEL_FORMATS_ARB 0x2000
#define WGL_DRAW_TO_WINDOW_ARB 0x2001
#define WGL_DRAW_TO_BITMAP_ARB 0x2002
#define WGL_ACCELERATION_ARB 0x2003
#define WGL_NEED_PALETTE_ARB 0x2004
#define WGL_NEED_SYSTEM_PALETTE_ARB 0x2005
#define WGL_SWAP_LAYER_BUFFERS_ARB 0x2006
#define WGL_SWAP_METHOD_ARB 0x2007
#define WGL_NUMBER_OVERLAYS_ARB 0x2008
#define WGL_NUMBER_UNDERLAYS_ARB 0x2009
#define WGL_TRANSPARENT_ARB 0x200A
#define WGL_SHARE_DEPTH_ARB 0x200C
#define WGL_SHARE_STENCIL_ARB 0x200D
#define WGL_SHARE_ACCUM_ARB 0x200E
#define WGL_SUPPORT_GDI_ARB 0x200F
#define WGL_SUPPORT_OPENGL_ARB 0x2010
#define WGL_DOUBLE_BUFFER_ARB 0x2011
#define WGL_STEREO_ARB 0x2012
#define WGL_PIXEL_TYPE_ARB 0x2013
#define WGL_COLOR_BITS_ARB 0x2014
#define WGL_RED_BITS_ARB 0x2015
#define WGL_RED_SHIFT_ARB 0x2016
#define WGL_GREEN_BITS_ARB 0x2017
#define WGL_GREEN_SHIFT_ARB 0x2018
#define WGL_BLUE_BITS_ARB 0x2019
#define WGL_BLUE_SHIFT_ARB 0x201A
#define WGL_ALPHA_BITS_ARB 0x201B
#define WGL_ALPHA_SHIFT_ARB 0x201C
#define WGL_ACCUM_BITS_ARB 0x201D
#define WGL_ACCUM_RED_BITS_ARB 0x201E
#define WGL_ACCUM_GREEN_BITS_ARB 0x201F
#define WGL_ACCUM_BLUE_BITS_ARB 0x2020
#define WGL_ACCUM_ALPHA_BITS_ARB 0x2021
#define WGL_DEPTH_BITS_ARB 0x2022
#define WGL_STENCIL_BITS_ARB 0x2023
#define WGL_AUX_BUFFERS_ARB 0x2024
#define WGL_NO_ACCELERATION_ARB 0x2025
#define WGL_GENERIC_ACCELERATION_ARB 0x2026
#define WGL_FULL_ACCELERATION_ARB 0x2027
#define WGL_SWAP_EXCHANGE_ARB 0x2028
#define WGL_SWAP_COPY_ARB 0x2029
#define WGL_SWAP_UNDEFINED_ARB 0x202A
#define WGL_TYPE_RGBA_ARB 0x202B
#define WGL_TYPE_COLORINDEX_ARB 0x202C

typedef BOOL (*PFNWGLGETPIXELFORMATATTRIBIVARBPROC)(HDC dc, int pixelFormat, int layerPlane, UINT count,
                                                    const int* attributes, int* values);
typedef BOOL (*PFNWGLGETPIXELFORMATATTRIBFVARBPROC)(HDC dc, int pixelFormat, int layerPlane, UINT count,
                                                    const int* attributes, FLOAT* values);
typedef BOOL (*PFNWGLCHOOSEPIXELFORMATARBPROC)(HDC dc, const int* intAttributes, const FLOAT* floatAttributes,
                                               UINT maxFormats, int* formats, UINT* formatCount);

// ---------------------------------------------------------------- pbuffers ----

#define WGL_DRAW_TO_PBUFFER_ARB 0x202D
#define WGL_MAX_PBUFFER_PIXELS_ARB 0x202E
#define WGL_MAX_PBUFFER_WIDTH_ARB 0x202F
#define WGL_MAX_PBUFFER_HEIGHT_ARB 0x2030
#define WGL_PBUFFER_LARGEST_ARB 0x2033
#define WGL_PBUFFER_WIDTH_ARB 0x2034
#define WGL_PBUFFER_HEIGHT_ARB 0x2035
#define WGL_PBUFFER_LOST_ARB 0x2036

typedef HPBUFFERARB (*PFNWGLCREATEPBUFFERARBPROC)(HDC dc, int pixelFormat, int width, int height,
                                                  const int* attributes);
typedef HDC (*PFNWGLGETPBUFFERDCARBPROC)(HPBUFFERARB pbuffer);
typedef int (*PFNWGLRELEASEPBUFFERDCARBPROC)(HPBUFFERARB pbuffer, HDC dc);
typedef BOOL (*PFNWGLDESTROYPBUFFERARBPROC)(HPBUFFERARB pbuffer);
typedef BOOL (*PFNWGLQUERYPBUFFERARBPROC)(HPBUFFERARB pbuffer, int attribute, int* value);

// ---------------------------------------------------------- render texture ----

#define WGL_BIND_TO_TEXTURE_RGB_ARB 0x2070
#define WGL_BIND_TO_TEXTURE_RGBA_ARB 0x2071
#define WGL_TEXTURE_FORMAT_ARB 0x2072
#define WGL_TEXTURE_TARGET_ARB 0x2073
#define WGL_MIPMAP_TEXTURE_ARB 0x2074
#define WGL_TEXTURE_RGB_ARB 0x2075
#define WGL_TEXTURE_RGBA_ARB 0x2076
#define WGL_NO_TEXTURE_ARB 0x2077
#define WGL_TEXTURE_CUBE_MAP_ARB 0x2078
#define WGL_TEXTURE_1D_ARB 0x2079
#define WGL_TEXTURE_2D_ARB 0x207A
#define WGL_MIPMAP_LEVEL_ARB 0x207B
#define WGL_CUBE_MAP_FACE_ARB 0x207C
#define WGL_FRONT_LEFT_ARB 0x2083
#define WGL_FRONT_RIGHT_ARB 0x2084
#define WGL_BACK_LEFT_ARB 0x2085
#define WGL_BACK_RIGHT_ARB 0x2086

typedef BOOL (*PFNWGLBINDTEXIMAGEARBPROC)(HPBUFFERARB pbuffer, int buffer);
typedef BOOL (*PFNWGLRELEASETEXIMAGEARBPROC)(HPBUFFERARB pbuffer, int buffer);
typedef BOOL (*PFNWGLSETPBUFFERATTRIBARBPROC)(HPBUFFERARB pbuffer, const int* attributes);

// ------------------------------------------------------------ swap control ----

typedef BOOL (*PFNWGLSWAPINTERVALEXTPROC)(int interval);
typedef int (*PFNWGLGETSWAPINTERVALEXTPROC)(void);
