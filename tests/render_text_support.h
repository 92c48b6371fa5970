#pragma once
// Text records written by hand into enhanced metafiles and played onto a
// page through the exported calls, for the text output tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pyra/pyractl.h"
#include "testkit/emf_builder.h"
#include "testkit/testkit.h"

namespace pyra::testkit::text {

enum : uint32_t {
  kSetWindowExt = 9, kSetViewportExt = 11, kSetMapMode = 17, kSetTextAlign = 22, kSetTextColor = 24,
  kSetBkColor = 25, kSelectObject = 37, kGdiComment = 70, kCreateFont = 82, kTextOutA = 83, kTextOutW = 84,
};
enum : uint32_t { kTaTop = 0, kTaBaseline = 24, kTaBottom = 8, kTaCenter = 6, kTaRight = 2, kTaUpdateCp = 1 };

struct FontSpec {
  int32_t height = -40;
  int32_t escapement = 0;
  int32_t weight = 400;
  bool underline = false, strike_out = false;
  std::u16string face = u"Arial";
  int32_t width = 0;
};

inline uint32_t u(int32_t v) { return uint32_t(v); }

// EXTCREATEFONTINDIRECTW with handle 1, then its selection.
inline void selectFont(EmfBuilder& b, const FontSpec& f, uint32_t handle = 1) {
  std::vector<uint32_t> w = {handle, u(f.height), u(f.width), u(f.escapement), u(f.escapement), u(f.weight),
                             uint32_t((f.underline ? 1u : 0u) << 8 | (f.strike_out ? 1u : 0u) << 16), 0};
  std::u16string face = f.face;
  face.resize(32, 0);
  for (size_t i = 0; i < 32; i += 2) w.push_back(uint32_t(face[i]) | uint32_t(face[i + 1]) << 16);
  b.record(kCreateFont, w).record(kSelectObject, {handle});
}

struct TextSpec {
  int32_t x = 0, y = 0;
  // Every member has a default, so a case names only what it sets.
  std::u16string text{};
  std::vector<int32_t> dx{};
  uint32_t options = 0;
  EmfBuilder::Rect rect{0, 0, 0, 0};
};

// EXTTEXTOUTW: fixed part, then the string, then the advances.
inline void textOut(EmfBuilder& b, const TextSpec& t) {
  const uint32_t n = uint32_t(t.text.size());
  const uint32_t string_words = (n * 2 + 3) / 4;
  const uint32_t off_string = 76;
  const uint32_t off_dx = t.dx.empty() ? 0 : off_string + string_words * 4;
  std::vector<uint32_t> w = {0, 0, 0, 0, 1, 0, 0, u(t.x), u(t.y), n, off_string, t.options,
                             u(t.rect.left), u(t.rect.top), u(t.rect.right), u(t.rect.bottom), off_dx};
  std::u16string s = t.text;
  s.resize(string_words * 2, 0);
  for (size_t i = 0; i < s.size(); i += 2) w.push_back(uint32_t(s[i]) | uint32_t(s[i + 1]) << 16);
  for (int32_t d : t.dx) w.push_back(u(d));
  b.record(kTextOutW, w);
}

// An 8 x 4 inch metafile at 96 dpi (768 x 384 logical pixels).
inline EmfBuilder pageMetafile() { return EmfBuilder({0, 0, 20320, 10160}, {0, 0, 768, 384}); }

struct Doc {
  TempDir dir;
  std::string file = dir.file("t.pdf");
  int32_t env = PYRA_Initialize();
  Doc() {
    EXPECT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1);
    PYRA_StartPageEx(env, 576, 288, 0);
  }
  ~Doc() { PYRA_Finalize(env); }
  void play(const std::vector<uint8_t>& emf) {
    PYRA_ExecCommand(env, 13, 0, const_cast<uint8_t*>(emf.data()), int32_t(emf.size()));
  }
  // Ends the document and checks it with qpdf.
  void end() {
    PYRA_EndDoc(env);
    std::string report;
    EXPECT_TRUE(qpdfCheck(file, &report)) << report;
  }
  // The page's content streams, uncompressed.
  std::string content() {
    const std::string qdf = dir.file("q.pdf");
    run("qpdf --qdf --object-streams=disable " + shellQuote(file) + " " + shellQuote(qdf));
    return readText(qdf);
  }
};

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool empty() const { return right < 0; }
};

// The dark pixels' bounding box within [x0, x1) x [y0, y1).
inline Box darkBox(const Raster& r, int x0 = 0, int y0 = 0, int x1 = 1 << 30, int y1 = 1 << 30) {
  Box b;
  for (int y = std::max(0, y0); y < std::min(r.height, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(r.width, x1); ++x)
      if (r.isDark(x, y)) {
        b.left = std::min(b.left, x);
        b.right = std::max(b.right, x);
        b.top = std::min(b.top, y);
        b.bottom = std::max(b.bottom, y);
      }
  return b;
}

}  // namespace pyra::testkit::text
