// Device contexts that paint, GDI objects, drawing, text, bitmaps, DIBs and palettes (gdi32's
// share of the Win32 subset). Included by win32.h. Every surface is true colour: COLORREFs and
// PALETTERGB paint exactly, PALETTEINDEX paints the entry of the context's palette.
#pragma once

#ifndef WINPLAT_API
#error "include win32.h"
#endif

typedef DWORD COLORREF;
typedef DWORD* LPCOLORREF;
typedef HANDLE HGDIOBJ;
struct HPEN__;
typedef struct HPEN__* HPEN;
struct HFONT__;
typedef struct HFONT__* HFONT;
struct HBITMAP__;
typedef struct HBITMAP__* HBITMAP;
struct HPALETTE__;
typedef struct HPALETTE__* HPALETTE;
struct HRGN__;
typedef struct HRGN__* HRGN;

typedef struct tagSIZE {
    LONG cx;
    LONG cy;
} SIZE, *PSIZE, *LPSIZE;

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define PALETTERGB(r, g, b) (0x02000000 | RGB(r, g, b))
#define PALETTEINDEX(i) ((COLORREF)(0x01000000 | (DWORD)(WORD)(i)))
#define GetRValue(rgb) (LOBYTE(rgb))
#define GetGValue(rgb) (LOBYTE(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) (LOBYTE((rgb) >> 16))
#define CLR_INVALID 0xFFFFFFFF
#define GDI_ERROR 0xFFFFFFFFL
#define HGDI_ERROR ((HANDLE)(LONG_PTR)-1)
#define ERROR_INVALID_PIXEL_FORMAT 2000L
#define ERROR_BUSY 170L

// ---- Objects -----------------------------------------------------------------------------
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_STYLE_MASK 0x0000000F

#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2

typedef struct tagLOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
} LOGPEN, *PLOGPEN, *LPLOGPEN;

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
} LOGBRUSH, *PLOGBRUSH, *LPLOGBRUSH;

#define LF_FACESIZE 32
typedef struct tagLOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *PLOGFONTA, *LPLOGFONTA;

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30

typedef struct tagTEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
} TEXTMETRICA, *PTEXTMETRICA, *LPTEXTMETRICA;

typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
} BITMAPFILEHEADER, *LPBITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER, *PBITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD, *LPRGBQUAD;

typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO, *PBITMAPINFO, *LPBITMAPINFO;

#define BI_RGB 0L
#define BI_RLE8 1L
#define BI_RLE4 2L
#define BI_BITFIELDS 3L
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1
#define CBM_INIT 0x04L

typedef struct tagPALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
} PALETTEENTRY, *PPALETTEENTRY, *LPPALETTEENTRY;

typedef struct tagLOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
} LOGPALETTE, *PLOGPALETTE, *LPLOGPALETTE;

#define PC_RESERVED 0x01
#define PC_EXPLICIT 0x02
#define PC_NOCOLLAPSE 0x04

WINPLAT_API HGDIOBJ GetStockObject(int i);
WINPLAT_API HPEN CreatePen(int iStyle, int cWidth, COLORREF color);
WINPLAT_API HPEN CreatePenIndirect(const LOGPEN* plpen);
WINPLAT_API HBRUSH CreateSolidBrush(COLORREF color);
WINPLAT_API HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush);
WINPLAT_API HFONT CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation,
                              int cWeight, DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut,
                              DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                              DWORD iQuality, DWORD iPitchAndFamily, LPCSTR pszFaceName);
WINPLAT_API HFONT CreateFontIndirectA(const LOGFONTA* lplf);
WINPLAT_API HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
WINPLAT_API HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount,
                                 const void* lpBits);
WINPLAT_API HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit,
                                   const void* pjBits, const BITMAPINFO* pbmi, UINT iUsage);
WINPLAT_API HPALETTE CreatePalette(const LOGPALETTE* plpal);
WINPLAT_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
WINPLAT_API BOOL DeleteObject(HGDIOBJ ho);
WINPLAT_API int GetObjectA(HANDLE h, int c, LPVOID pv);
WINPLAT_API DWORD GetObjectType(HGDIOBJ h);
WINPLAT_API HGDIOBJ GetCurrentObject(HDC hdc, UINT type);

// ---- Device contexts ---------------------------------------------------------------------
#define MM_TEXT 1
#define MM_ANISOTROPIC 8
#define MM_ISOTROPIC 7

WINPLAT_API HDC CreateCompatibleDC(HDC hdc);
WINPLAT_API int SaveDC(HDC hdc);
WINPLAT_API BOOL RestoreDC(HDC hdc, int nSavedDC);
// Shows what has been painted outside BeginPaint/EndPaint; always TRUE.
WINPLAT_API BOOL GdiFlush(void);
WINPLAT_API int SetMapMode(HDC hdc, int iMode);
WINPLAT_API int GetMapMode(HDC hdc);
WINPLAT_API BOOL SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz);
WINPLAT_API BOOL SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz);
WINPLAT_API BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
WINPLAT_API BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
WINPLAT_API BOOL GetWindowExtEx(HDC hdc, LPSIZE lpsize);
WINPLAT_API BOOL GetViewportExtEx(HDC hdc, LPSIZE lpsize);
WINPLAT_API BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppoint);
WINPLAT_API BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppoint);
WINPLAT_API BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c);
WINPLAT_API BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c);

#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define ERROR 0
WINPLAT_API int GetClipBox(HDC hdc, LPRECT lprect);

// ---- Drawing -----------------------------------------------------------------------------
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16

#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define PATPAINT 0x00FB0A09
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

#define ALTERNATE 1
#define WINDING 2

WINPLAT_API int SetROP2(HDC hdc, int rop2);
WINPLAT_API int GetROP2(HDC hdc);
WINPLAT_API int SetPolyFillMode(HDC hdc, int mode);
WINPLAT_API BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
WINPLAT_API BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width,
                           int height);
WINPLAT_API BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
WINPLAT_API BOOL Polygon(HDC hdc, const POINT* apt, int cpt);
WINPLAT_API BOOL Polyline(HDC hdc, const POINT* apt, int cpt);
WINPLAT_API BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
WINPLAT_API BOOL LineTo(HDC hdc, int x, int y);
WINPLAT_API COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
WINPLAT_API COLORREF GetPixel(HDC hdc, int x, int y);
WINPLAT_API BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
WINPLAT_API BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1,
                        DWORD rop);
WINPLAT_API BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                            int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop);
WINPLAT_API int SetStretchBltMode(HDC hdc, int mode);
#define BLACKONWHITE 1
#define COLORONCOLOR 3

// ---- DIBs --------------------------------------------------------------------------------
WINPLAT_API int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc,
                                  int ySrc, UINT StartScan, UINT cLines, const void* lpvBits,
                                  const BITMAPINFO* lpbmi, UINT ColorUse);
WINPLAT_API int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight,
                              int xSrc, int ySrc, int SrcWidth, int SrcHeight, const void* lpBits,
                              const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop);
WINPLAT_API int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits,
                          LPBITMAPINFO lpbmi, UINT usage);
WINPLAT_API int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits,
                          const BITMAPINFO* lpbmi, UINT ColorUse);

// ---- Palettes ----------------------------------------------------------------------------
WINPLAT_API HPALETTE SelectPalette(HDC hdc, HPALETTE hPal, BOOL bForceBkgd);
WINPLAT_API UINT RealizePalette(HDC hdc);
WINPLAT_API BOOL AnimatePalette(HPALETTE hPal, UINT iStartIndex, UINT cEntries,
                                const PALETTEENTRY* ppe);
WINPLAT_API UINT GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries,
                                   LPPALETTEENTRY pPalEntries);
WINPLAT_API UINT SetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries,
                                   const PALETTEENTRY* pPalEntries);
WINPLAT_API UINT GetNearestPaletteIndex(HPALETTE h, COLORREF color);

// ---- Text --------------------------------------------------------------------------------
#define TRANSPARENT 1
#define OPAQUE 2
#define TA_LEFT 0
#define TA_TOP 0
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004

WINPLAT_API COLORREF SetTextColor(HDC hdc, COLORREF color);
WINPLAT_API COLORREF GetTextColor(HDC hdc);
WINPLAT_API COLORREF SetBkColor(HDC hdc, COLORREF color);
WINPLAT_API COLORREF GetBkColor(HDC hdc);
WINPLAT_API int SetBkMode(HDC hdc, int mode);
WINPLAT_API int GetBkMode(HDC hdc);
WINPLAT_API UINT SetTextAlign(HDC hdc, UINT align);
WINPLAT_API BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
WINPLAT_API BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect,
                             LPCSTR lpString, UINT c, const INT* lpDx);
WINPLAT_API BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl);
WINPLAT_API BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm);
WINPLAT_API int GetTextFaceA(HDC hdc, int c, LPSTR lpName);
