// Writes a few pages with known content through libEMF's GDI-style calls,
// so that the converter is checked end to end on metafiles another writer
// produced. Built alone: libEMF exports the same Windows names as libpyragdi.
//
//   libemf_pages DIR   writes DIR/shapes.emf and DIR/text.emf
//
// libEMF 1.0 records neither StretchDIBits nor SetDIBitsToDevice (both
// return success and write nothing) and has no clipping calls, so bitmaps
// and clip regions come from the LibreOffice-made page instead.
// Every page has a 200 mm x 150 mm frame. libEMF's reference device has
// 1024 x 768 pixels on 320 x 240 mm (3.2 pixels per millimetre), so the
// logical canvas is 640 x 480 units, y down. The positions below are what
// the tests probe (tests/peer_compare_test.cpp keeps the same table).
#include <libEMF/emf.h>

#include <cstring>
#include <string>

namespace {

const RECT kFrame = {0, 0, 20000, 15000};

HDC begin(const std::string& dir, const char* name) {
  std::string path = dir + "/" + name;
  return CreateEnhMetaFileA(0, path.c_str(), &kFrame, "libemf_pages\0test page\0");
}

bool end(HDC dc) {
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  if (!emf) return false;
  DeleteEnhMetaFile(emf);
  return true;
}

HBRUSH solid(COLORREF c) { return CreateSolidBrush(c); }

bool shapesPage(const std::string& dir) {
  HDC dc = begin(dir, "shapes.emf");
  if (!dc) return false;
  SelectObject(dc, GetStockObject(NULL_PEN));

  // Row 1: red rectangle, green ellipse with a black outline, blue triangle.
  HBRUSH red = solid(RGB(255, 0, 0));
  SelectObject(dc, red);
  Rectangle(dc, 40, 40, 200, 140);
  HPEN outline = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
  HBRUSH green = solid(RGB(0, 176, 0));
  SelectObject(dc, outline);
  SelectObject(dc, green);
  Ellipse(dc, 240, 40, 400, 140);
  SelectObject(dc, GetStockObject(NULL_PEN));
  HBRUSH blue = solid(RGB(0, 0, 255));
  SelectObject(dc, blue);
  POINT tri[3] = {{440, 140}, {520, 40}, {600, 140}};
  Polygon(dc, tri, 3);

  // A thick solid line and a dashed geometric pen below it.
  HPEN thick = CreatePen(PS_SOLID, 12, RGB(0, 0, 0));
  SelectObject(dc, thick);
  MoveToEx(dc, 40, 180, 0);
  LineTo(dc, 600, 180);
  LOGBRUSH dash_brush = {BS_SOLID, RGB(128, 0, 128), 0};
  HPEN dashed = ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT, 6, &dash_brush, 0, 0);
  SelectObject(dc, dashed);
  MoveToEx(dc, 40, 215, 0);
  LineTo(dc, 600, 215);

  // Row 2: a hatched rectangle (opaque background: white between the
  // hatch lines), then SaveDC/RestoreDC around a brush change: the third
  // rectangle must be cyan again, not yellow.
  SelectObject(dc, GetStockObject(NULL_PEN));
  LOGBRUSH hatch = {BS_HATCHED, RGB(255, 0, 255), HS_DIAGCROSS};
  HBRUSH hatched = CreateBrushIndirect(&hatch);
  SelectObject(dc, hatched);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 255, 255));
  Rectangle(dc, 40, 250, 200, 350);
  HBRUSH cyan = solid(RGB(0, 200, 200));
  SelectObject(dc, cyan);
  SaveDC(dc);
  HBRUSH yellow = solid(RGB(255, 220, 0));
  SelectObject(dc, yellow);
  Rectangle(dc, 240, 250, 400, 350);
  RestoreDC(dc, -1);
  Rectangle(dc, 440, 250, 600, 350);

  // Row 3: an orange closed path filled through a path bracket.
  HBRUSH orange = solid(RGB(255, 128, 0));
  SelectObject(dc, orange);
  BeginPath(dc);
  MoveToEx(dc, 40, 390, 0);
  LineTo(dc, 600, 390);
  LineTo(dc, 600, 440);
  LineTo(dc, 40, 440);
  CloseFigure(dc);
  EndPath(dc);
  FillPath(dc);

  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  for (HGDIOBJ o : {(HGDIOBJ)red, (HGDIOBJ)green, (HGDIOBJ)blue, (HGDIOBJ)outline, (HGDIOBJ)thick,
                    (HGDIOBJ)dashed, (HGDIOBJ)hatched, (HGDIOBJ)cyan, (HGDIOBJ)yellow, (HGDIOBJ)orange})
    DeleteObject(o);
  return end(dc);
}

HFONT font(int height, int escapement, int weight, const char* face) {
  return CreateFontA(height, 0, escapement, escapement, weight, 0, 0, 0, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

bool textPage(const std::string& dir) {
  HDC dc = begin(dir, "text.emf");
  if (!dc) return false;
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP);

  HFONT big = font(-48, 0, FW_BOLD, "Arial");
  SelectObject(dc, big);
  SetTextColor(dc, RGB(0, 0, 0));
  const char* title = "Quarterly Invoice";
  TextOutA(dc, 40, 30, title, (int)std::strlen(title));

  HFONT serif = font(-36, 0, FW_NORMAL, "Times New Roman");
  SelectObject(dc, serif);
  SetTextColor(dc, RGB(200, 0, 0));
  const char* total = "Total due";
  TextOutA(dc, 40, 110, total, (int)std::strlen(total));

  // UTF-16 text through ExtTextOutW, with an opaque yellow box behind it.
  HFONT body = font(-28, 0, FW_NORMAL, "Arial");
  SelectObject(dc, body);
  SetTextColor(dc, RGB(0, 0, 160));
  SetBkColor(dc, RGB(255, 240, 0));
  RECT box = {40, 180, 420, 230};
  const WCHAR words[] = {'P', 'a', 'y', 'a', 'b', 'l', 'e', ' ', 'S', 't', 'r', 'a', 0xDF, 'e', 0};
  ExtTextOutW(dc, 50, 188, ETO_OPAQUE, &box, words, 14, 0);

  // A run rotated by 90 degrees (escapement in tenths of a degree), read
  // bottom to top along the right edge.
  HFONT up = font(-32, 900, FW_NORMAL, "Arial");
  SelectObject(dc, up);
  SetTextColor(dc, RGB(0, 128, 0));
  SetTextAlign(dc, TA_LEFT | TA_BASELINE);
  const char* rotated = "Rotated";
  TextOutA(dc, 580, 440, rotated, (int)std::strlen(rotated));

  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  for (HFONT f : {big, serif, body, up}) DeleteObject(f);
  return end(dc);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::string dir = argv[1];
  if (!shapesPage(dir) || !textPage(dir)) return 1;
  return 0;
}
