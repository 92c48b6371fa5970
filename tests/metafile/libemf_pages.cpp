// Writes a few pages with known content through libEMF's GDI-style calls,
// so that the converter is checked end to end on metafiles another writer
// produced. Built alone: libEMF exports the same Windows names as libpyragdi.
//
//   libemf_pages DIR   writes DIR/shapes.emf, text.emf, mapping.emf, modes.emf,
//                      pixels.emf
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

// Mapping and the less common shapes: an anisotropic window (1000 x 750
// units on the 640 x 480 canvas), a world transform, arcs and beziers in
// paths, both polygon fill modes and aligned text. (libEMF has no RoundRect,
// Pie or Chord.)
bool mappingPage(const std::string& dir) {
  HDC dc = begin(dir, "mapping.emf");
  if (!dc) return false;
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1000, 750, 0);
  SetViewportExtEx(dc, 640, 480, 0);

  HPEN pen = CreatePen(PS_SOLID, 4, RGB(0, 0, 0));
  SelectObject(dc, pen);
  HBRUSH teal = CreateSolidBrush(RGB(0, 128, 128));
  SelectObject(dc, teal);
  Rectangle(dc, 50, 50, 300, 200);
  // A pie built as a path: centre, arc (counter-clockwise, a quarter), back.
  HBRUSH rose = CreateSolidBrush(RGB(230, 0, 120));
  SelectObject(dc, rose);
  BeginPath(dc);
  MoveToEx(dc, 450, 150, 0);
  ArcTo(dc, 350, 50, 550, 250, 550, 150, 450, 50);
  CloseFigure(dc);
  EndPath(dc);
  StrokeAndFillPath(dc);
  // A filled closed bezier lens.
  HBRUSH olive = CreateSolidBrush(RGB(128, 128, 0));
  SelectObject(dc, olive);
  BeginPath(dc);
  MoveToEx(dc, 600, 150, 0);
  POINT lens[6] = {{650, 30}, {750, 30}, {800, 150}, {750, 270}, {650, 270}, {600, 150}};
  PolyBezierTo(dc, lens, 6);
  CloseFigure(dc);
  EndPath(dc);
  StrokeAndFillPath(dc);
  Arc(dc, 820, 50, 970, 200, 970, 125, 820, 125);

  // Self-intersecting stars: ALTERNATE leaves the centre empty, WINDING
  // fills it.
  HBRUSH navy = CreateSolidBrush(RGB(0, 0, 128));
  SelectObject(dc, navy);
  SelectObject(dc, GetStockObject(NULL_PEN));
  auto star = [](int cx, int cy, POINT* p) {
    const int dx[5] = {0, 95, 59, -59, -95}, dy[5] = {-100, -31, 81, 81, -31};
    const int order[5] = {0, 2, 4, 1, 3};  // every second point: a pentagram
    for (int i = 0; i < 5; ++i) p[i] = {cx + dx[order[i]], cy + dy[order[i]]};
  };
  POINT s[5];
  SetPolyFillMode(dc, ALTERNATE);
  star(150, 400, s);
  Polygon(dc, s, 5);
  SetPolyFillMode(dc, WINDING);
  star(400, 400, s);
  Polygon(dc, s, 5);

  // A bezier wave with a thick pen.
  HPEN wave = CreatePen(PS_SOLID, 10, RGB(200, 0, 0));
  SelectObject(dc, wave);
  POINT bz[7] = {{550, 400}, {620, 280}, {690, 520}, {760, 400},
                 {830, 280}, {900, 520}, {970, 400}};
  PolyBezier(dc, bz, 7);

  // A square turned by 30 degrees through the world transform.
  SaveDC(dc);
  XFORM turn = {0.8660254f, 0.5f, -0.5f, 0.8660254f, 200.0f, 600.0f};
  SetWorldTransform(dc, &turn);
  SelectObject(dc, GetStockObject(NULL_PEN));
  HBRUSH violet = CreateSolidBrush(RGB(120, 0, 200));
  SelectObject(dc, violet);
  Rectangle(dc, -50, -50, 50, 50);
  RestoreDC(dc, -1);

  // Text aligned on its reference point: centred, right-aligned, baseline.
  HFONT f = CreateFontA(-40, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
  SelectObject(dc, f);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  SetTextAlign(dc, TA_CENTER | TA_BASELINE);
  TextOutA(dc, 700, 620, "Centred", 7);
  SetTextAlign(dc, TA_RIGHT | TA_TOP);
  TextOutA(dc, 980, 660, "Flushright", 10);

  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  for (HGDIOBJ o : {(HGDIOBJ)pen, (HGDIOBJ)teal, (HGDIOBJ)rose, (HGDIOBJ)olive, (HGDIOBJ)navy,
                    (HGDIOBJ)wave, (HGDIOBJ)violet, (HGDIOBJ)f})
    DeleteObject(o);
  return end(dc);
}

// A y-up metric mapping (MM_LOMETRIC, 0.1 mm, origin moved to the bottom
// left), a scaling world transform, poly-polygons, thick geometric pens
// with square caps and bevel joins, an opaque dashed pen, pixels, and text
// at 45 degrees, with extra character spacing and with TA_UPDATECP.
bool modesPage(const std::string& dir) {
  HDC dc = begin(dir, "modes.emf");
  if (!dc) return false;
  SetMapMode(dc, MM_LOMETRIC);
  // Put the logical origin at the bottom left of the 200 x 150 mm page.
  SetViewportOrgEx(dc, 0, 480, 0);

  SelectObject(dc, GetStockObject(NULL_PEN));
  HBRUSH brick = CreateSolidBrush(RGB(180, 60, 20));
  SelectObject(dc, brick);
  // Two squares in one poly-polygon, 10 mm from the left, 100 mm up.
  POINT pp[8] = {{100, 1400}, {400, 1400}, {400, 1100}, {100, 1100},
                 {500, 1400}, {800, 1400}, {800, 1100}, {500, 1100}};
  INT counts[2] = {4, 4};
  PolyPolygon(dc, pp, counts, 2);

  // The same square, scaled by 1.5 through ModifyWorldTransform.
  SaveDC(dc);
  XFORM scale = {1.5f, 0, 0, 1.5f, 0, 0};
  ModifyWorldTransform(dc, &scale, MWT_LEFTMULTIPLY);
  HBRUSH sea = CreateSolidBrush(RGB(20, 100, 180));
  SelectObject(dc, sea);
  Rectangle(dc, 650, 950, 850, 750);
  RestoreDC(dc, -1);

  // A thick zigzag: square caps reach beyond the end points, bevel joins.
  LOGBRUSH lb = {BS_SOLID, RGB(0, 90, 0), 0};
  HPEN zig = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_BEVEL, 40, &lb, 0, 0);
  SelectObject(dc, zig);
  POINT zz[5] = {{100, 900}, {250, 700}, {400, 900}, {550, 700}, {700, 900}};
  Polyline(dc, zz, 5);

  // An opaque dashed cosmetic pen: the gaps take the background colour.
  HPEN dash = CreatePen(PS_DASH, 1, RGB(0, 0, 0));
  SelectObject(dc, dash);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 200, 200));
  MoveToEx(dc, 100, 550, 0);
  LineTo(dc, 1900, 550);

  // A row of pixels.
  for (int x = 100; x < 400; x += 3) SetPixel(dc, x, 450, RGB(255, 0, 0));

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  HFONT slant = CreateFontA(-60, 0, 450, 450, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Courier New");
  SelectObject(dc, slant);
  SetTextAlign(dc, TA_LEFT | TA_BASELINE);
  TextOutA(dc, 1200, 700, "Diagonal", 8);

  HFONT plain = CreateFontA(-50, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
  SelectObject(dc, plain);
  SetTextCharacterExtra(dc, 20);
  TextOutA(dc, 100, 300, "Spaced", 6);
  SetTextCharacterExtra(dc, 0);
  SetTextAlign(dc, TA_UPDATECP | TA_BASELINE);
  MoveToEx(dc, 100, 150, 0);
  TextOutA(dc, 0, 0, "Follow", 6);
  TextOutA(dc, 0, 0, "On", 2);

  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  for (HGDIOBJ o : {(HGDIOBJ)brick, (HGDIOBJ)sea, (HGDIOBJ)zig, (HGDIOBJ)dash, (HGDIOBJ)slant,
                    (HGDIOBJ)plain})
    DeleteObject(o);
  return end(dc);
}

// Two blocks set pixel by pixel: red under the null pen, green while a
// blue pen is selected (a pixel has its own colour, not the pen's).
bool pixelsPage(const std::string& dir) {
  HDC dc = begin(dir, "pixels.emf");
  if (!dc) return false;
  SelectObject(dc, GetStockObject(NULL_PEN));
  for (int y = 100; y < 140; ++y)
    for (int x = 100; x < 180; ++x) SetPixel(dc, x, y, RGB(255, 0, 0));
  HPEN blue_pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  SelectObject(dc, blue_pen);
  for (int y = 100; y < 140; ++y)
    for (int x = 300; x < 380; ++x) SetPixel(dc, x, y, RGB(0, 160, 0));
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(blue_pen);
  return end(dc);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::string dir = argv[1];
  if (!shapesPage(dir) || !textPage(dir) || !mappingPage(dir) || !modesPage(dir) ||
      !pixelsPage(dir))
    return 1;
  return 0;
}
