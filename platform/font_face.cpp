#include "platform/font_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H
#include FT_OUTLINE_H
#include FT_ADVANCES_H

#include <cmath>
#include <stdexcept>

#include "platform/font_sfnt_builder.h"

namespace pyra::gdi {

struct FontFace::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  FT_CharMap unicode_map = nullptr;
  FT_CharMap symbol_map = nullptr;
  ~Impl() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

namespace {

// Height of a glyph's outline above the baseline, for fonts whose OS/2
// table predates the cap and x heights.
int glyphTop(FT_Face face, FT_UInt glyph) {
  if (glyph == 0 || FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return 0;
  if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return 0;
  FT_BBox box;
  FT_Outline_Get_CBox(&face->glyph->outline, &box);
  return int(box.yMax);
}

}  // namespace

std::unique_ptr<FontFace> FontFace::open(const std::string& path, int face_index) {
  std::unique_ptr<FontFace> f(new FontFace);
  f->impl_ = std::make_unique<Impl>();
  Impl& im = *f->impl_;
  if (FT_Init_FreeType(&im.library) != 0) throw std::runtime_error("FreeType cannot start");
  if (FT_New_Face(im.library, path.c_str(), face_index, &im.face) != 0)
    throw std::runtime_error("cannot open font face " + path);
  FT_Face face = im.face;
  FaceDesign& d = f->design_;
  for (int i = 0; i < face->num_charmaps; ++i) {
    FT_CharMap m = face->charmaps[i];
    if (m->encoding == FT_ENCODING_MS_SYMBOL) im.symbol_map = m;
    if (m->encoding == FT_ENCODING_UNICODE && !im.unicode_map) im.unicode_map = m;
  }
  if (im.unicode_map) FT_Set_Charmap(face, im.unicode_map);
  d.symbol = im.symbol_map != nullptr;
  d.family = face->family_name ? face->family_name : "";
  d.style = face->style_name ? face->style_name : "";
  d.full_name = d.style.empty() ? d.family : d.family + " " + d.style;
  d.fixed_pitch = FT_IS_FIXED_WIDTH(face);
  d.outline = FT_IS_SCALABLE(face) && FT_IS_SFNT(face);

  FT_ULong length = 4;
  FT_Byte tag[4] = {};
  d.collection = FT_IS_SFNT(face) && FT_Load_Sfnt_Table(face, 0, 0, tag, &length) == 0 &&
                 tag[0] == 't' && tag[1] == 't' && tag[2] == 'c' && tag[3] == 'f';

  if (!d.outline) {
    if (face->num_fixed_sizes > 0) {
      FT_Select_Size(face, 0);
      d.bitmap_height = int(face->size->metrics.height >> 6);
      d.bitmap_ascent = int(face->size->metrics.ascender >> 6);
      if (d.bitmap_height <= 0) d.bitmap_height = face->available_sizes[0].height;
    }
    return f;
  }

  d.units_per_em = face->units_per_EM > 0 ? face->units_per_EM : 1000;
  auto* head = static_cast<TT_Header*>(FT_Get_Sfnt_Table(face, FT_SFNT_HEAD));
  if (head) {
    d.x_min = head->xMin; d.y_min = head->yMin; d.x_max = head->xMax; d.y_max = head->yMax;
  }
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (hhea) {
    d.hhea_ascender = hhea->Ascender;
    d.hhea_descender = hhea->Descender;
    d.hhea_line_gap = hhea->Line_Gap;
    d.max_advance = hhea->advance_Width_Max;
    d.caret_rise = hhea->caret_Slope_Rise;
    d.caret_run = hhea->caret_Slope_Run;
  }
  auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
  if (post) {
    d.italic_angle = double(post->italicAngle) / 65536.0;
    d.underline_position = post->underlinePosition;
    d.underline_thickness = post->underlineThickness;
    if (post->isFixedPitch) d.fixed_pitch = true;
  }
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF) {
    d.has_os2 = true;
    d.avg_width = os2->xAvgCharWidth;
    d.weight_class = os2->usWeightClass;
    d.fs_type = os2->fsType;
    d.fs_selection = os2->fsSelection;
    d.typo_ascender = os2->sTypoAscender;
    d.typo_descender = os2->sTypoDescender;
    d.typo_line_gap = os2->sTypoLineGap;
    d.win_ascent = os2->usWinAscent;
    d.win_descent = os2->usWinDescent;
    d.subscript_x = os2->ySubscriptXSize; d.subscript_y = os2->ySubscriptYSize;
    d.subscript_x_offset = os2->ySubscriptXOffset; d.subscript_y_offset = os2->ySubscriptYOffset;
    d.superscript_x = os2->ySuperscriptXSize; d.superscript_y = os2->ySuperscriptYSize;
    d.superscript_x_offset = os2->ySuperscriptXOffset; d.superscript_y_offset = os2->ySuperscriptYOffset;
    d.strikeout_size = os2->yStrikeoutSize;
    d.strikeout_position = os2->yStrikeoutPosition;
    d.code_page_range1 = uint32_t(os2->ulCodePageRange1);
    for (int i = 0; i < 10; ++i) d.panose[i] = os2->panose[i];
    if (os2->version >= 2) {
      d.cap_height = os2->sCapHeight;
      d.x_height = os2->sxHeight;
    }
  } else {
    // Without OS/2 the Windows ascent and descent are the Macintosh ones.
    d.win_ascent = d.hhea_ascender;
    d.win_descent = -d.hhea_descender;
    d.typo_ascender = d.hhea_ascender;
    d.typo_descender = d.hhea_descender;
    d.typo_line_gap = d.hhea_line_gap;
    d.strikeout_size = d.units_per_em / 20;
    d.strikeout_position = d.units_per_em / 4;
  }
  if (d.win_ascent == 0 && d.win_descent == 0) {
    d.win_ascent = d.hhea_ascender;
    d.win_descent = -d.hhea_descender;
  }
  if (d.cap_height == 0) d.cap_height = glyphTop(face, f->glyphForChar('H'));
  if (d.x_height == 0) d.x_height = glyphTop(face, f->glyphForChar('x'));
  if (d.avg_width == 0) {
    // Fonts without OS/2 widths: the mean advance of the lower-case letters.
    long sum = 0;
    int n = 0;
    for (char c = 'a'; c <= 'z'; ++c) {
      unsigned g = f->glyphForChar(uint32_t(c));
      if (g) { sum += f->advance(g); ++n; }
    }
    d.avg_width = n ? int(sum / n) : d.units_per_em / 2;
  }
  return f;
}

FontFace::~FontFace() = default;

unsigned FontFace::glyphForChar(uint32_t code_point) {
  Impl& im = *impl_;
  if (im.unicode_map) {
    if (im.face->charmap != im.unicode_map) FT_Set_Charmap(im.face, im.unicode_map);
    return FT_Get_Char_Index(im.face, code_point);
  }
  if (im.symbol_map) return glyphForSymbolCode(code_point);
  return FT_Get_Char_Index(im.face, code_point);
}

unsigned FontFace::glyphForSymbolCode(uint32_t code) {
  Impl& im = *impl_;
  if (!im.symbol_map) return glyphForChar(code);
  FT_Set_Charmap(im.face, im.symbol_map);
  unsigned g = FT_Get_Char_Index(im.face, 0xF000 + code);
  if (!g) g = FT_Get_Char_Index(im.face, code);
  if (im.unicode_map) FT_Set_Charmap(im.face, im.unicode_map);
  return g;
}

int FontFace::advance(unsigned glyph) {
  Impl& im = *impl_;
  if (design_.outline) {
    FT_Fixed adv = 0;
    if (FT_Get_Advance(im.face, glyph, FT_LOAD_NO_SCALE, &adv) != 0) return 0;
    return int(adv);
  }
  if (FT_Load_Glyph(im.face, glyph, FT_LOAD_DEFAULT) != 0) return 0;
  return int(im.face->glyph->advance.x >> 6);
}

std::optional<std::vector<uint8_t>> FontFace::table(uint32_t tag) {
  Impl& im = *impl_;
  if (!FT_IS_SFNT(im.face)) return std::nullopt;
  FT_ULong length = 0;
  if (FT_Load_Sfnt_Table(im.face, tag, 0, nullptr, &length) != 0) return std::nullopt;
  std::vector<uint8_t> data(length);
  if (length > 0 && FT_Load_Sfnt_Table(im.face, tag, 0, data.data(), &length) != 0) return std::nullopt;
  return data;
}

std::vector<uint8_t> FontFace::standaloneFile() {
  Impl& im = *impl_;
  if (!design_.collection) {
    auto whole = table(0);
    if (!whole) throw std::runtime_error("font file cannot be read");
    return std::move(*whole);
  }
  // FreeType has already checked the face's table directory against the
  // file, so every table it lists can be read whole.
  std::vector<SfntTable> tables;
  bool cff = false;
  for (FT_UInt i = 0;; ++i) {
    FT_ULong tag = 0, length = 0;
    if (FT_Sfnt_Table_Info(im.face, i, &tag, &length) != 0) break;
    auto data = table(uint32_t(tag));
    if (!data) throw std::runtime_error("font table cannot be read");
    if (tag == TTAG_CFF || tag == TTAG_CFF2) cff = true;
    tables.push_back(SfntTable{uint32_t(tag), std::move(*data)});
  }
  if (tables.empty()) throw std::runtime_error("font face has no tables");
  return buildSfnt(cff ? 0x4F54544Fu /* OTTO */ : 0x00010000u, std::move(tables));
}

}  // namespace pyra::gdi
