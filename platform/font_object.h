#pragma once
// A logical font (HFONT): the LOGFONT it was created from and, once a metrics
// call needs it, the face it resolved to with that face's metrics scaled to
// the font's em. Safe to use from several threads: every query locks.
//
// Other parts of the platform (the metafile recorder) reach a DC's font with
// selectedFont(dc) and then read logFont(), charWidthsA() and fontData().
#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/font_face.h"
#include "platform/font_resolver.h"
#include "platform/handle_table.h"
#include "pyra/gdi.h"

namespace pyra::gdi {

class DeviceContext;

class FontObject : public GdiObject {
 public:
  // Resolved by name through fontconfig when first needed.
  explicit FontObject(const LOGFONTW& logfont);
  // Bound to a given file and face.
  FontObject(const LOGFONTW& logfont, std::string path, int face_index);

  const LOGFONTW& logFont() const { return logfont_; }
  LOGFONTA logFontA() const;
  int describeA(int size, void* out) const override;
  int describeW(int size, void* out) const;

  // How the font resolved; throws std::runtime_error when it cannot be.
  FontMatch match();
  // False when the face is not an outline font (or cannot be opened).
  bool isOutline();

  // The calls below throw std::runtime_error when no face can be opened.
  TEXTMETRICA textMetrics();
  // GetOutlineTextMetricsA's contract; 0 for a non-outline face.
  unsigned outlineTextMetrics(unsigned size, OUTLINETEXTMETRICA* out);
  // Advance widths in logical units for codes first..last: 8-bit codes in
  // the font's code page (two-byte codes above 255 for the DBCS pages), or
  // UTF-16 units. False for a reversed range.
  bool charWidthsA(unsigned first, unsigned last, INT* out);
  bool charWidthsW(unsigned first, unsigned last, INT* out);
  SIZE textExtentA(const char* text, int count);
  SIZE textExtentW(const WCHAR* text, int count);
  // GetFontData's contract, with the tag already in big-endian tag order
  // (0 for the whole file, 'ttcf' for the whole collection).
  DWORD fontData(uint32_t tag, DWORD offset, void* buffer, DWORD size);

  // The character set the font resolved to (DEFAULT_CHARSET becomes the
  // face's own) and the code page that maps its 8-bit codes; 0 = symbol.
  unsigned charset();
  unsigned codePage();
  // The em height in logical units.
  double emHeight();

 private:
  FontFace& face();  // mutex_ held
  int scaled(double design_units);
  const std::array<int, 256>& codePageAdvances();  // design units, mutex_ held
  unsigned resolvedCharset();                       // mutex_ held
  int advanceForUnit(char16_t unit);                // design units, mutex_ held

  LOGFONTW logfont_;
  std::mutex mutex_;
  std::optional<FontMatch> match_;
  std::string bound_path_;
  int bound_index_ = -1;
  std::unique_ptr<FontFace> face_;
  bool face_failed_ = false;
  double em_ = 0;
  unsigned charset_ = 0xFFFF;
  std::optional<std::array<int, 256>> advances_;  // per code of codePage()
  int first_char_ = 0x20, last_char_ = 0xFF;
  std::optional<std::vector<uint8_t>> standalone_;
};

std::shared_ptr<FontObject> findFont(HFONT handle);
// The font selected into the DC, or the stock SYSTEM_FONT for the default.
std::shared_ptr<FontObject> selectedFont(const DeviceContext& dc);

LOGFONTW logFontWFromA(const LOGFONTA& a);

}  // namespace pyra::gdi
