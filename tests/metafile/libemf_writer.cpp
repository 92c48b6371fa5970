// Writes an EMF with libEMF (an independent EMF writer) for the tests to
// load. Built alone: libEMF exports the same Windows names as libpyragdi.
#include <libEMF/emf.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  RECT frame = {0, 0, 10000, 5000};
  HDC dc = CreateEnhMetaFileA(0, argv[1], &frame, "libemf\0shapes\0");
  if (!dc) return 1;
  HPEN pen = CreatePen(PS_DASH, 2, RGB(255, 0, 0));
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(dc, pen);
  SelectObject(dc, brush);
  Rectangle(dc, 10, 10, 200, 100);
  Ellipse(dc, 20, 20, 120, 80);
  MoveToEx(dc, 0, 0, 0);
  LineTo(dc, 300, 150);
  POINT pts[3] = {{5, 5}, {50, 5}, {25, 40}};
  Polygon(dc, pts, 3);
  HFONT font = CreateFontA(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  SelectObject(dc, font);
  TextOutA(dc, 30, 120, "Hello", 5);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  if (!emf) return 1;
  DeleteEnhMetaFile(emf);
  return 0;
}
