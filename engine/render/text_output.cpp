#include "engine/render/text_output.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <stdexcept>
#include <string_view>

#include "engine/fonts/font_resources.h"

namespace pyra::render {

namespace {

constexpr uint32_t kEtoOpaque = 0x0002;
constexpr uint32_t kEtoClipped = 0x0004;
// Long runs are written in pieces of this many characters so one string
// never grows past what every reader accepts.
constexpr size_t kMaxStringChars = 16000;

std::u16string_view wideView(const std::vector<uint16_t>& v) {
  return {reinterpret_cast<const char16_t*>(v.data()), v.size()};
}

}  // namespace

// Where the run goes: the reference point in user space (logical units, y
// folded) and the text space's axes there. One text unit along either axis
// is one logical unit of the font height.
struct TextOutput::Frame {
  double ox = 0, oy = 0;
  double xx = 1, xy = 0;  // text x axis in user space
  double yx = 0, yy = 1;  // text y axis in user space
  double ratio = 1;       // logical x units per text unit along the baseline

  void toUser(double tx, double ty, double& ux, double& uy) const {
    ux = ox + tx * xx + ty * yx;
    uy = oy + tx * xy + ty * yy;
  }
};

bool TextOutput::selectFont(const LogFontValues& f) {
  const uint8_t style = fonts::FontResources::styleFor(f.weight, f.italic != 0);
  std::string_view face(f.face);
  if (face.empty()) face = fallback_face_;
  try {
    font_number_ = fonts_->findOrCreateFont(face, f.char_set, style);
    return true;
  } catch (const std::exception&) {
  }
  // A face the platform cannot measure is drawn in the fallback face,
  // which every installation has; without that the run is dropped.
  try {
    font_number_ = fonts_->findOrCreateFont(fallback_face_, f.char_set == 2 ? 0 : f.char_set, style);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TextOutput::beginText(const Frame&) {
  TPxDCStack& dc = w_.dc();
  if (w_.mode() == ContentWriter::Mode::omText && (!tm_valid_ || dc.version() != tm_version_)) w_.closeText();
  if (w_.mode() != ContentWriter::Mode::omText) {
    w_.prepareGraphics();
    w_.enterText();
    tm_valid_ = false;
    tm_version_ = dc.version();
  }
}

void TextOutput::writeFontState(double size, double hscale, double tc, double tw) {
  TPxPSState& ps = w_.psState();
  TPxPDFDeviceWorkBuffer& b = w_.buffer();
  const TPxDCState& st = w_.dc().current();
  const std::string name = "/F" + std::to_string(font_number_);
  if (ps.text_dirty || ps.font_name != name || ps.font_size != size) {
    b.writeText(name);
    b.writeChar(' ');
    b.writeCoordF(size);
    b.writeText("Tf ");
    ps.font_name = name;
    ps.font_size = size;
  }
  const uint32_t colour = resolveColour(st.text_colour);
  // The fill colour is shared with shapes: the next fill compares against
  // what the text left.
  if (ps.text_dirty || ps.last_fill != colour) {
    b.writeColor(colour, false);
    ps.last_fill = colour;
  }
  // Values are compared as written (to the thousandth of a text unit).
  auto differs = [](double a, double b) { return std::lround(a * 1000) != std::lround(b * 1000); };
  if (ps.text_dirty ? tc != 0 : differs(tc, ps.char_spacing)) {
    b.writeCoordF(tc);
    b.writeText("Tc ");
  }
  ps.char_spacing = tc;
  if (ps.text_dirty ? tw != 0 : differs(tw, ps.word_spacing)) {
    b.writeCoordF(tw);
    b.writeText("Tw ");
  }
  ps.word_spacing = tw;
  const double h = hscale == 1 ? 0 : hscale;
  if (ps.text_dirty ? h != 0 : differs(h, ps.horizontal_scale)) {
    if (h != 0) {
      b.writeFloat(h * 100, 3);
      b.writeText("Tz ");
    } else {
      b.writeText("100 Tz ");
    }
  }
  ps.horizontal_scale = h;
  ps.text_dirty = false;
}

void TextOutput::placeOrigin(const Frame& fr, double tx, double ty) {
  TPxPDFDeviceWorkBuffer& b = w_.buffer();
  double ux, uy;
  fr.toUser(tx, ty, ux, uy);
  const double lin[4] = {fr.xx, fr.xy, fr.yx, fr.yy};
  if (tm_valid_ && lin[0] == tm_[0] && lin[1] == tm_[1] && lin[2] == tm_[2] && lin[3] == tm_[3]) {
    // Same axes: a relative move in text space.
    const double det = lin[0] * lin[3] - lin[1] * lin[2];
    const double dx = ux - tm_[4], dy = uy - tm_[5];
    const double u = (dx * lin[3] - dy * lin[2]) / det;
    const double v = (dy * lin[0] - dx * lin[1]) / det;
    b.writeCoordF(u);
    b.writeCoordF(v);
    b.writeText("Td ");
  } else {
    b.writeChar('\n');
    b.writeNumbers(lin, 6);
    b.writeChar(' ');
    b.writeCoordF(ux);
    b.writeCoordF(uy);
    b.writeText("Tm ");
  }
  tm_[0] = lin[0];
  tm_[1] = lin[1];
  tm_[2] = lin[2];
  tm_[3] = lin[3];
  tm_[4] = ux;
  tm_[5] = uy;
  tm_valid_ = true;
}

void TextOutput::writeString(const char* s, size_t n) {
  TPxPDFDeviceWorkBuffer& b = w_.buffer();
  b.room(n * 4 + 2);
  b.writeChar('(');
  static constexpr char kOct[] = "01234567";
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = uint8_t(s[i]);
    if (c == '(' || c == ')' || c == '\\') {
      b.writeChar('\\');
      b.writeChar(char(c));
    } else if (c < 0x20 || c == 0x7F) {
      // Control codes as octal: a raw CR or LF would be read back as LF.
      b.writeChar('\\');
      b.writeChar(kOct[(c >> 6) & 7]);
      b.writeChar(kOct[(c >> 3) & 7]);
      b.writeChar(kOct[c & 7]);
    } else {
      b.writeChar(char(c));
    }
  }
  b.writeChar(')');
}

void TextOutput::drawBar(const Frame& fr, double x0, double x1, double y, double thickness, uint32_t colour) {
  w_.prepareGraphics();
  TPxPDFDeviceWorkBuffer& b = w_.buffer();
  b.writeText("q ");
  b.writeColor(resolveColour(colour), false);
  const double t = thickness / 2;
  const double corners[4][2] = {{x0, y - t}, {x1, y - t}, {x1, y + t}, {x0, y + t}};
  for (int i = 0; i < 4; ++i) {
    double ux, uy;
    fr.toUser(corners[i][0], corners[i][1], ux, uy);
    b.writeCoordF(ux);
    b.writeCoordF(uy);
    b.writeText(i == 0 ? "m " : "l ");
  }
  b.writeText("h f Q\n");
}

void TextOutput::draw(const TextRun& run, TPxDeviceOptions options) {
  TPxDCStack& dc = w_.dc();
  const TPxDCState& st = dc.current();
  const size_t count = run.wide ? run.text16.size() : run.text8.size();
  const bool opaque = (run.options & kEtoOpaque) != 0;
  const bool clipped = (run.options & kEtoClipped) != 0 && (options & doNoTextClip) == 0;
  const RectI& r = run.rectangle;
  const bool has_rect = r.right != r.left && r.bottom != r.top;
  const int64_t rect_w = int64_t(r.right) - r.left, rect_h = int64_t(r.bottom) - r.top;
  const bool rect_fits = rect_w > INT32_MIN && rect_w < INT32_MAX && rect_h > INT32_MIN && rect_h < INT32_MAX;

  if (opaque && has_rect && rect_fits)
    w_.fillRectColor(r.left, r.top, int32_t(rect_w), int32_t(rect_h), st.bk_colour);
  if (count == 0 || !fonts_) return;
  if (!w_.isOutputOpen()) throw std::logic_error("Output is not open!");

  const LogFontValues font = st.font;
  if (!selectFont(font)) return;
  const int32_t align = st.text_align_flags;
  PointI ref = run.reference;
  if (align & kTaFlagUpdateCp) ref = w_.currentPosition();

  // The text bytes as the font shows them.
  if (run.wide)
    bytes_ = fonts_->wideToAnsi(wideView(run.text16));
  else
    bytes_.assign(reinterpret_cast<const char*>(run.text8.data()), run.text8.size());
  if (bytes_.empty()) return;

  // Frame: the device-context matrix as written ("cm" linear part), its
  // anisotropy and flip taken out of the text.
  const Matrix6& t = dc.matrix();
  const double ca = t.a, cb = -double(t.b), cc = -double(t.c), cd = t.d;
  const double sx = std::hypot(ca, cb), sy = std::hypot(cc, cd);
  Frame fr;
  fr.ratio = (sx > 0 && sy > 0) ? sy / sx : 1;
  const bool mirrored = ca * cd - cb * cc < 0;
  double angle = double(font.escapement) / 10 * std::numbers::pi / 180;
  if (mirrored) angle = -angle;
  const double cs = std::cos(angle), sn = std::sin(angle);
  fr.xx = cs * fr.ratio;
  fr.xy = sn;
  fr.yx = -sn * fr.ratio * (mirrored ? -1 : 1);
  fr.yy = cs * (mirrored ? -1 : 1);
  fr.ox = ref.x;
  fr.oy = w_.foldY(double(ref.y));

  // Size: a negative height is the em, a positive one the cell height; 0
  // asks for the default of 12 points.
  double size = std::abs(double(font.height));
  if (font.height == 0) size = sy > 0 ? 12 / sy : 12;
  int32_t a1000 = 800, h1000 = 1000;
  fonts_->fontExtents(1000, a1000, h1000);
  if (a1000 <= 0 || h1000 <= 0) a1000 = 800, h1000 = 1000;
  if (font.height > 0 && h1000 > 1000) size = size * 1000 / h1000;
  if (!(size > 0) || !std::isfinite(size)) return;
  const double ascent = a1000 * size / 1000, descent = (h1000 - a1000) * size / 1000;

  // Horizontal scale from the logical font's average character width.
  double hscale = 1;
  if (font.width != 0) {
    const double avg = fonts_->fontAvgWidth() * size / 1000;
    if (avg > 0) hscale = std::clamp(std::abs(double(font.width)) / fr.ratio / avg, 0.01, 100.0);
  }

  const bool have_dx = !run.dx.empty() && run.dx.size() >= count;
  double total_log = 0;
  if (have_dx)
    for (size_t i = 0; i < count; ++i) total_log += run.dx[i];
  const double natural =
      (run.wide ? fonts_->textWidthW(wideView(run.text16), size) : fonts_->textWidthA(bytes_, size)) * hscale;
  const bool one_to_one = bytes_.size() == count;
  const bool per_char = have_dx && one_to_one && (per_character_ || (options & doCharPositions));
  const double width = have_dx ? total_log / fr.ratio : natural;  // text units

  // Spreading a run to its advances with word and character spacing.
  double tc = 0, tw = 0;
  if (have_dx && !per_char && count > 1 && (options & doNoSpacing) == 0 && natural > 0) {
    // The last advance only moves what follows the run: match the start of
    // the last character, so the first and last land exactly.
    const double last_natural =
        (run.wide ? fonts_->textWidthW(wideView(run.text16).substr(count - 1), size)
                  : fonts_->textWidthA(std::string_view(bytes_).substr(bytes_.size() - 1), size)) *
        hscale;
    double diff = (width - run.dx[count - 1] / fr.ratio) - (natural - last_natural);
    if (std::abs(diff) > size / 1000) {
      size_t spaces = 0;
      const size_t n = std::min(bytes_.size(), count) - 1;
      for (size_t i = 0; i < n; ++i) spaces += bytes_[i] == ' ';
      if (spaces > 0) {
        const double s = fonts_->textWidthA(" ", size) * hscale;
        const double per_space = diff / double(spaces);
        if (s / 2 + per_space >= 0) {
          tw = per_space;
          diff = 0;
        } else {
          tw = -s / 2;
          diff += double(spaces) * s / 2;
        }
      }
      if (diff != 0 && n > spaces) tc = std::max(diff / double(n - spaces), -size / 5);
      tc /= hscale;
      tw /= hscale;
    }
  }

  const double ax = (align & kTaFlagRight) ? -width : (align & kTaFlagCenter) ? -width / 2 : 0;
  const double ay = (align & kTaFlagBaseline) ? 0 : (align & kTaFlagBottom) ? descent : -ascent;

  bool clip_open = false;
  try {
    if (clipped && has_rect && rect_fits) {
      w_.pushState();
      w_.prepareGraphics();
      TPxPDFDeviceWorkBuffer& b = w_.buffer();
      b.writeCoord(r.left);
      b.writeCoord(w_.foldY(int64_t(r.top)));
      b.writeCoord(rect_w);
      b.writeCoord(w_.foldY(int64_t(r.bottom)) - w_.foldY(int64_t(r.top)));
      b.writeText("re W n ");
      clip_open = true;
    }

    // The opaque background mode paints the run's cell, as the rectangle of
    // ETO_OPAQUE would; readers of metafiles show it the same way.
    if (st.opaque_bk && !(opaque && has_rect) &&
        !((options & doSkipWhiteFill) && resolveColour(st.bk_colour) == 0xFFFFFF)) {
      Frame cell = fr;
      fr.toUser(ax, ay, cell.ox, cell.oy);
      drawBar(cell, 0, width, (ascent - descent) / 2, ascent + descent, st.bk_colour);
    }
    beginText(fr);
    writeFontState(size, hscale, tc, tw);
    placeOrigin(fr, ax, ay);
    TPxPDFDeviceWorkBuffer& b = w_.buffer();
    if (per_char) {
      advances_.assign(count, 0);
      const bool got = run.wide ? fonts_->glyphAdvancesW(wideView(run.text16), 1000, advances_, 1)
                                : fonts_->glyphAdvancesA(bytes_, 1000, advances_, 1);
      const double em = size * hscale;
      b.writeChar('[');
      size_t start = 0;
      for (size_t i = 0; i < count; ++i) {
        const bool last = i + 1 == count;
        double k = 0;
        if (got && !last) k = advances_[i] - 1000 * (run.dx[i] / fr.ratio) / em;
        const bool cut = last || std::abs(k) >= 0.005 || i + 1 - start >= kMaxStringChars;
        if (!cut) continue;
        writeString(bytes_.data() + start, i + 1 - start);
        if (!last && k != 0) {
          const double v = std::clamp(k, -1e7, 1e7);
          b.writeNumbers(std::span<const double>(&v, 1), 1);
        }
        start = i + 1;
      }
      b.writeText("]TJ\n");
    } else if (bytes_.size() <= kMaxStringChars) {
      writeString(bytes_.data(), bytes_.size());
      b.writeText("Tj\n");
    } else {
      b.writeChar('[');
      for (size_t i = 0; i < bytes_.size(); i += kMaxStringChars)
        writeString(bytes_.data() + i, std::min(kMaxStringChars, bytes_.size() - i));
      b.writeText("]TJ\n");
    }
    if (box_listener_) {
      // The run's cell: advance by ascent plus descent, wherever the
      // rotation and mapping put it.
      const double cx[4] = {ax, ax + width, ax, ax + width};
      const double cy[4] = {ay - descent, ay - descent, ay + ascent, ay + ascent};
      double ux[4], uy[4];
      for (int i = 0; i < 4; ++i) fr.toUser(cx[i], cy[i], ux[i], uy[i]);
      const ContentWriter::PageBounds p = w_.userQuadToPage(ux, uy);
      box_listener_(RunBox{p.x0, p.y0, p.x1, p.y1, st.text_colour, bytes_});
    }
    if (run.wide)
      fonts_->markUsedW(wideView(run.text16));
    else
      fonts_->markUsedA(bytes_);

    // Lines take the font's proportions: the underline sits half the
    // descent below the baseline, the strike-out near the middle of the
    // lower-case letters; both a third of the descent thick.
    const double thickness = std::max(descent / 3, size / 30);
    Frame line = fr;
    double lx, ly;
    fr.toUser(ax, ay, lx, ly);
    line.ox = lx;
    line.oy = ly;
    if (font.underline) drawBar(line, 0, width, -descent / 2, thickness, st.text_colour);
    if (font.strike_out) drawBar(line, 0, width, ascent * 0.29, thickness, st.text_colour);

    if (align & kTaFlagUpdateCp) {
      const double adv = have_dx ? total_log : width * fr.ratio;
      const double nx = double(ref.x) + (font.escapement == 1800 ? -adv : adv);
      w_.moveTo(int32_t(std::clamp(std::round(nx), double(INT32_MIN), double(INT32_MAX))), ref.y);
    }
  } catch (...) {
    if (clip_open) {
      w_.closeText();
      w_.popState();
    }
    throw;
  }
  if (clip_open) {
    w_.closeText();
    w_.popState();
  }
}

}  // namespace pyra::render
