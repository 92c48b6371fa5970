#include "samples/sample_pages.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "pyra/gdi.h"
#include "pyra/gdi_metafile.h"

namespace pyra::tools {

namespace {

// The recorder's default reference device is a 96 dpi page; the pages are
// laid out in points and drawn in its pixels.
constexpr double kDpi = 96.0;
int px(double points) { return static_cast<int>(std::lround(points * kDpi / 72.0)); }

constexpr COLORREF rgb(int r, int g, int b) {
  return static_cast<COLORREF>(r) | static_cast<COLORREF>(g) << 8 | static_cast<COLORREF>(b) << 16;
}

// A GDI object selected into the DC for one scope, then deselected and
// deleted, as careful Windows code does.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), previous_(SelectObject(dc, object)) {}
  ~Selected() {
    SelectObject(dc_, previous_);
    DeleteObject(object_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ object_;
  HGDIOBJ previous_;
};

HFONT font(const char* face, double points, int weight = FW_NORMAL, bool italic = false, int escapement = 0) {
  return CreateFontA(-px(points), 0, escapement, escapement, weight, italic ? 1 : 0, 0, 0, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

void text(HDC dc, double x, double y, const std::string& s) {
  TextOutA(dc, px(x), px(y), s.c_str(), static_cast<INT>(s.size()));
}

// Amounts line up on their right edge, as in any printed invoice.
void rightText(HDC dc, double right, double y, const std::string& s) {
  const UINT old = SetTextAlign(dc, TA_RIGHT | TA_TOP);
  text(dc, right, y, s);
  SetTextAlign(dc, old);
}

void box(HDC dc, double l, double t, double r, double b) { Rectangle(dc, px(l), px(t), px(r), px(b)); }

void line(HDC dc, double x1, double y1, double x2, double y2) {
  MoveToEx(dc, px(x1), px(y1), nullptr);
  LineTo(dc, px(x2), px(y2));
}

class Recording {
 public:
  // frame in .01 mm
  Recording(const std::string& path, int frame_w, int frame_h, const char* description) : path_(path) {
    const RECT frame{0, 0, frame_w, frame_h};
    dc_ = CreateEnhMetaFileA(0, path.c_str(), &frame, description);
    if (dc_ == 0) throw std::runtime_error(path + ": the EMF recorder could not start");
  }
  ~Recording() {
    if (dc_ != 0) DeleteEnhMetaFile(CloseEnhMetaFile(dc_));
  }
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;
  HDC dc() const { return dc_; }
  void finish() {
    const HENHMETAFILE emf = CloseEnhMetaFile(dc_);
    dc_ = 0;
    if (emf == 0) throw std::runtime_error(path_ + ": the EMF recorder could not finish the file");
    DeleteEnhMetaFile(emf);
  }

 private:
  std::string path_;
  HDC dc_ = 0;
};

std::string money(long cents) {
  std::string digits = std::to_string(cents / 100);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<size_t>(i), ",");
  const long c = cents % 100;
  return digits + "." + (c < 10 ? "0" : "") + std::to_string(c);
}

void invoicePage(const std::string& path) {
  Recording rec(path, 21000, 29700, "pyra samples\0Invoice\0");
  const HDC dc = rec.dc();
  SetBkMode(dc, TRANSPARENT);
  constexpr double kLeft = 50, kRight = 545;

  {  // header band
    Selected brush(dc, CreateSolidBrush(rgb(31, 58, 104)));
    Selected pen(dc, CreatePen(PS_NULL, 0, 0));
    box(dc, 0, 0, 596, 110);
  }
  SetTextColor(dc, rgb(255, 255, 255));
  {
    Selected f(dc, font("Arial", 30, FW_BOLD));
    text(dc, kLeft, 32, "INVOICE");
  }
  {
    Selected f(dc, font("Arial", 10));
    rightText(dc, kRight, 34, "Northwind Paper Works Ltd.");
    rightText(dc, kRight, 49, "12 Harbour Road, Bristol BS1 4RN");
    rightText(dc, kRight, 64, "accounts@northwind.example");
  }

  SetTextColor(dc, rgb(0, 0, 0));
  {
    Selected f(dc, font("Times New Roman", 12, FW_BOLD));
    text(dc, kLeft, 140, "Bill to");
  }
  {
    Selected f(dc, font("Times New Roman", 12));
    text(dc, kLeft, 158, "Ms. Jane Whitfield");
    text(dc, kLeft, 174, "Whitfield & Daughters Stationers");
    text(dc, kLeft, 190, "7 Mill Lane, York YO1 7HH");
  }
  {
    Selected f(dc, font("Arial", 10));
    text(dc, 360, 140, "Invoice number");
    text(dc, 360, 156, "Date");
    text(dc, 360, 172, "Due");
    rightText(dc, kRight, 140, "2024-0117");
    rightText(dc, kRight, 156, "31 January 2024");
    rightText(dc, kRight, 172, "1 March 2024");
  }

  struct Row {
    int qty;
    const char* item;
    long unit_cents;
  };
  static constexpr std::array<Row, 7> kRows{{{12, "A4 copier paper, 80 g/m2, box of 5 reams", 2450},
                                             {4, "Laid writing paper, cream, 100 sheets", 1275},
                                             {30, "Envelopes DL, window, pack of 50", 399},
                                             {2, "Archive boxes, heavy duty, pack of 10", 3190},
                                             {6, "Fountain pen ink, blue-black, 50 ml", 850},
                                             {1, "Letterpress business cards, 500", 14500},
                                             {10, "Recycled notebooks, A5, ruled", 325}}};
  const double cols[] = {kLeft, 95, 400, 470, kRight};  // qty | item | unit | amount
  const double table_top = 230, row_h = 22;
  {  // header row
    Selected brush(dc, CreateSolidBrush(rgb(220, 226, 236)));
    Selected pen(dc, CreatePen(PS_SOLID, 1, rgb(120, 120, 120)));
    box(dc, kLeft, table_top, kRight, table_top + row_h);
  }
  {
    Selected f(dc, font("Arial", 10, FW_BOLD));
    text(dc, cols[0] + 6, table_top + 5, "Qty");
    text(dc, cols[1] + 6, table_top + 5, "Description");
    rightText(dc, cols[3] - 6, table_top + 5, "Unit price");
    rightText(dc, cols[4] - 6, table_top + 5, "Amount");
  }
  long subtotal = 0;
  double y = table_top + row_h;
  {
    Selected f(dc, font("Arial", 10));
    for (const Row& r : kRows) {
      const long amount = r.qty * r.unit_cents;
      subtotal += amount;
      rightText(dc, cols[1] - 8, y + 5, std::to_string(r.qty));
      text(dc, cols[1] + 6, y + 5, r.item);
      rightText(dc, cols[3] - 6, y + 5, money(r.unit_cents));
      rightText(dc, cols[4] - 6, y + 5, money(amount));
      y += row_h;
    }
  }
  {  // grid
    Selected pen(dc, CreatePen(PS_SOLID, 1, rgb(120, 120, 120)));
    for (double ry = table_top + row_h; ry <= y + 0.5; ry += row_h) line(dc, kLeft, ry, kRight, ry);
    for (double cx : cols) line(dc, cx, table_top, cx, y);
  }
  const long tax = (subtotal * 20 + 50) / 100;
  {
    Selected f(dc, font("Arial", 10));
    text(dc, 360, y + 14, "Subtotal");
    rightText(dc, cols[4] - 6, y + 14, money(subtotal));
    text(dc, 360, y + 30, "VAT 20%");
    rightText(dc, cols[4] - 6, y + 30, money(tax));
  }
  {
    Selected pen(dc, CreatePen(PS_SOLID, 2, rgb(31, 58, 104)));
    line(dc, 360, y + 50, kRight, y + 50);
  }
  {
    Selected f(dc, font("Arial", 13, FW_BOLD));
    text(dc, 360, y + 56, "Total GBP");
    rightText(dc, cols[4] - 6, y + 56, money(subtotal + tax));
  }
  {
    Selected f(dc, font("Times New Roman", 11, FW_NORMAL, true));
    text(dc, kLeft, y + 110, "Thank you for your order. Payment within 30 days, please.");
  }
  {
    Selected f(dc, font("Courier New", 8));
    text(dc, kLeft, 790, "Bank: Harbour Savings  Sort code 20-45-77  Account 41234567  Ref 2024-0117");
  }
  rec.finish();
}

void shapesPage(const std::string& path) {
  Recording rec(path, 29700, 21000, "pyra samples\0Shapes and rotated text\0");  // A4 landscape
  const HDC dc = rec.dc();
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, rgb(20, 20, 20));
  {
    Selected f(dc, font("Arial", 22, FW_BOLD));
    text(dc, 40, 24, "Shapes, pens, brushes and rotated text");
  }
  {  // vertical caption, escapement 90 degrees
    Selected f(dc, font("Arial", 16, FW_BOLD, false, 900));
    SetTextColor(dc, rgb(160, 30, 30));
    text(dc, 40, 540, "Escapement 900: reads upwards");
  }
  {  // 30 degrees
    Selected f(dc, font("Times New Roman", 18, FW_NORMAL, true, 300));
    SetTextColor(dc, rgb(30, 90, 30));
    text(dc, 500, 520, "Escapement 300: thirty degrees");
  }
  SetTextColor(dc, rgb(20, 20, 20));
  {  // ellipse
    Selected brush(dc, CreateSolidBrush(rgb(250, 200, 60)));
    Selected pen(dc, CreatePen(PS_SOLID, 3, rgb(120, 80, 0)));
    Ellipse(dc, px(90), px(80), px(250), px(190));
  }
  {  // round rectangle with a hatch brush
    Selected brush(dc, CreateHatchBrush(HS_DIAGCROSS, rgb(40, 90, 200)));
    Selected pen(dc, CreatePen(PS_SOLID, 2, rgb(40, 90, 200)));
    RoundRect(dc, px(290), px(80), px(470), px(190), px(30), px(30));
  }
  {  // pie
    Selected brush(dc, CreateSolidBrush(rgb(210, 60, 60)));
    Selected pen(dc, CreatePen(PS_SOLID, 1, rgb(0, 0, 0)));
    Pie(dc, px(510), px(70), px(640), px(200), px(640), px(135), px(575), px(70));
  }
  {  // five-pointed star: with the winding rule the centre is filled too
    std::array<POINT, 5> star{};
    const double cx = 170, cy = 310, r = 85;
    for (int i = 0; i < 5; ++i) {
      const double a = -M_PI / 2 + i * 4 * M_PI / 5;
      star[static_cast<size_t>(i)] = POINT{px(cx + r * std::cos(a)), px(cy + r * std::sin(a))};
    }
    SetPolyFillMode(dc, WINDING);
    Selected brush(dc, CreateSolidBrush(rgb(90, 170, 90)));
    Selected pen(dc, CreatePen(PS_SOLID, 2, rgb(20, 80, 20)));
    Polygon(dc, star.data(), static_cast<INT>(star.size()));
  }
  {  // Bezier curves
    Selected pen(dc, CreatePen(PS_SOLID, 3, rgb(120, 40, 160)));
    const std::array<POINT, 7> curve{{{px(300), px(330)},
                                      {px(340), px(230)},
                                      {px(420), px(430)},
                                      {px(460), px(330)},
                                      {px(500), px(230)},
                                      {px(580), px(430)},
                                      {px(620), px(330)}}};
    PolyBezier(dc, curve.data(), static_cast<DWORD>(curve.size()));
  }
  {  // pen styles
    const std::array<std::pair<int, const char*>, 4> styles{
        {{PS_SOLID, "solid"}, {PS_DASH, "dash"}, {PS_DOT, "dot"}, {PS_DASHDOT, "dash-dot"}}};
    Selected f(dc, font("Arial", 9));
    double y = 420;
    for (const auto& [style, name] : styles) {
      Selected pen(dc, CreatePen(style, 1, rgb(0, 0, 0)));
      line(dc, 560, y, 780, y);
      text(dc, 500, y - 6, name);
      y += 24;
    }
  }
  {  // hatch samples
    const std::array<int, 4> hatches{HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_CROSS};
    double x = 300;
    for (int h : hatches) {
      Selected brush(dc, CreateHatchBrush(h, rgb(200, 80, 0)));
      Selected pen(dc, CreatePen(PS_SOLID, 1, rgb(0, 0, 0)));
      box(dc, x, 460, x + 40, 500);
      x += 50;
    }
  }
  rec.finish();
}

// A 24-bit gradient with a round logo, bottom-up rows padded to 4 bytes.
struct Dib {
  BITMAPINFO info{};
  std::vector<uint8_t> bits;
};

Dib gradient(int w, int h) {
  Dib d;
  d.info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  d.info.bmiHeader.biWidth = w;
  d.info.bmiHeader.biHeight = h;
  d.info.bmiHeader.biPlanes = 1;
  d.info.bmiHeader.biBitCount = 24;
  d.info.bmiHeader.biCompression = BI_RGB;
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  d.bits.assign(stride * static_cast<size_t>(h), 0);
  for (int row = 0; row < h; ++row) {
    const int y = h - 1 - row;  // image row from the top
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &d.bits[static_cast<size_t>(row) * stride + static_cast<size_t>(x) * 3];
      int r = 255 * x / (w - 1), g = 80 + 120 * y / (h - 1), b = 255 - 255 * x / (w - 1);
      const double dx = x - w * 0.5, dy = y - h * 0.5;
      const double dist = std::sqrt(dx * dx + dy * dy);
      if (dist < h * 0.3) r = g = b = 255;                         // white disc
      if (dist < h * 0.22 && std::fabs(dx) < h * 0.06) r = g = b = 30;  // a bar through it
      p[0] = static_cast<uint8_t>(b);
      p[1] = static_cast<uint8_t>(g);
      p[2] = static_cast<uint8_t>(r);
    }
  }
  return d;
}

void bitmapPage(const std::string& path) {
  Recording rec(path, 21590, 27940, "pyra samples\0Bitmap\0");  // US letter
  const HDC dc = rec.dc();
  SetBkMode(dc, TRANSPARENT);
  {
    Selected f(dc, font("Arial", 22, FW_BOLD));
    text(dc, 50, 50, "A device-independent bitmap");
  }
  {
    Selected f(dc, font("Times New Roman", 12));
    text(dc, 50, 84, "256 x 160 pixels, 24 bits, drawn with StretchDIBits at two sizes.");
  }
  const Dib d = gradient(256, 160);
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, px(50), px(120), px(512), px(320), 0, 0, 256, 160, d.bits.data(), &d.info, DIB_RGB_COLORS,
                SRCCOPY);
  StretchDIBits(dc, px(50), px(470), px(128), px(80), 0, 0, 256, 160, d.bits.data(), &d.info, DIB_RGB_COLORS,
                SRCCOPY);
  {
    Selected pen(dc, CreatePen(PS_SOLID, 1, rgb(0, 0, 0)));
    const HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_BRUSH));  // stock: never deleted
    box(dc, 49, 119, 563, 441);
    SelectObject(dc, old);
  }
  {
    Selected f(dc, font("Arial", 10));
    text(dc, 200, 500, "The same pixels at a quarter of the size.");
  }
  rec.finish();
}

// A report page as the demo's print preview stores them: a placeable WMF in
// twips (1440 per inch) on a letter page.
void memoPage(const std::string& path) {
  const HDC dc = CreateMetaFileA(nullptr);
  if (dc == 0) throw std::runtime_error(path + ": the WMF recorder could not start");
  const int width = 12240, height = 15840;  // 8.5 x 11 inches
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, width, height, nullptr);
  SetBkMode(dc, TRANSPARENT);
  {
    const HBRUSH brush = CreateSolidBrush(rgb(235, 240, 250));
    const HGDIOBJ old = SelectObject(dc, brush);
    Rectangle(dc, 720, 720, width - 720, 2160);
    SelectObject(dc, old);
    DeleteObject(brush);
  }
  const auto write = [&](const char* face, int twips, int weight, int x, int y, const char* s) {
    const HFONT f = CreateFontA(-twips, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
    const HGDIOBJ old = SelectObject(dc, f);
    TextOutA(dc, x, y, s, static_cast<INT>(std::strlen(s)));
    SelectObject(dc, old);
    DeleteObject(f);
  };
  write("Arial", 480, FW_BOLD, 1000, 1050, "Memo: stock count on Friday");
  write("Times New Roman", 240, FW_NORMAL, 1000, 2700, "All branches close at 15:00 for the quarterly stock count.");
  write("Times New Roman", 240, FW_NORMAL, 1000, 3060, "Count sheets are in the usual folder; return them by Monday.");
  write("Courier New", 200, FW_NORMAL, 1000, 14400, "page file written as a placeable Windows metafile");
  const HMETAFILE wmf = CloseMetaFile(dc);
  if (wmf == 0) throw std::runtime_error(path + ": the WMF recorder could not finish");
  const RECT bbox{0, 0, width, height};
  const BOOL ok = PyraWritePlaceableMetaFile(wmf, path.c_str(), &bbox, 1440);
  DeleteMetaFile(wmf);
  if (!ok) throw std::runtime_error(path + ": could not write the placeable metafile");
}

}  // namespace

std::vector<SampleFile> writeSamples(const std::string& folder) {
  const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  std::vector<SampleFile> files{
      {"1-invoice.emf", "invoice: header band, table, fonts, right-aligned amounts (EMF, A4)"},
      {"2-shapes.emf", "shapes, dashed pens, hatch brushes, rotated text (EMF, A4 landscape)"},
      {"3-bitmap.emf", "a 24-bit DIB drawn with StretchDIBits (EMF, US letter)"},
      {"4-memo.wmf", "a report page as a placeable Windows metafile (WMF, US letter)"},
  };
  invoicePage(base + files[0].name);
  shapesPage(base + files[1].name);
  bitmapPage(base + files[2].name);
  memoPage(base + files[3].name);
  return files;
}

}  // namespace pyra::tools
