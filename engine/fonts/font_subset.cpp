#include "engine/fonts/font_subset.h"

#include <algorithm>
#include <new>
#include <optional>

#include "engine/fonts/truetype_sfnt_writer.h"
#include "engine/fonts/truetype_tag.h"
#include "support/sfnt_file.h"

namespace pyra::fonts {
namespace {

using Pairs = std::vector<std::pair<uint32_t, uint16_t>>;

using support::appendBe16;
using support::appendBe32;

std::vector<uint8_t> copyOf(std::span<const uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

// Runs of codes whose glyphs follow one another: one format 4 segment or
// format 12 group each.
struct Run {
  uint32_t first, last;
  uint16_t glyph;
};
std::vector<Run> runsOf(const Pairs& pairs) {
  std::vector<Run> runs;
  for (const auto& [code, glyph] : pairs) {
    if (!runs.empty() && runs.back().last + 1 == code &&
        uint32_t(runs.back().glyph) + (code - runs.back().first) == glyph) {
      runs.back().last = code;
    } else {
      runs.push_back({code, code, glyph});
    }
  }
  return runs;
}

// Format 4 with delta segments only; nothing when the map does not fit the
// format's 16-bit length.
std::optional<std::vector<uint8_t>> format4(const Pairs& all) {
  Pairs bmp;
  for (const auto& p : all)
    if (p.first < 0xFFFF) bmp.push_back(p);
  std::vector<Run> runs = runsOf(bmp);
  runs.push_back({0xFFFF, 0xFFFF, 0});  // the terminating segment
  const size_t segs = runs.size();
  const size_t length = 16 + 8 * segs;
  if (length > 0xFFFF) return std::nullopt;
  const support::SfntSearchFields search = support::sfntSearchFields(uint32_t(segs), 2);
  std::vector<uint8_t> t;
  t.reserve(length);
  appendBe16(t, 4);
  appendBe16(t, uint32_t(length));
  appendBe16(t, 0);
  appendBe16(t, uint32_t(segs * 2));
  appendBe16(t, search.search_range);
  appendBe16(t, search.entry_selector);
  appendBe16(t, search.range_shift);
  for (const Run& r : runs) appendBe16(t, r.last);
  appendBe16(t, 0);
  for (const Run& r : runs) appendBe16(t, r.first);
  for (const Run& r : runs) appendBe16(t, r.first == 0xFFFF ? 1 : (uint32_t(r.glyph) - r.first) & 0xFFFF);
  for (size_t i = 0; i < segs; ++i) appendBe16(t, 0);
  return t;
}

std::vector<uint8_t> format12(const Pairs& pairs) {
  const std::vector<Run> runs = runsOf(pairs);
  std::vector<uint8_t> t;
  appendBe16(t, 12);
  appendBe16(t, 0);
  appendBe32(t, uint32_t(16 + 12 * runs.size()));
  appendBe32(t, 0);
  appendBe32(t, uint32_t(runs.size()));
  for (const Run& r : runs) {
    appendBe32(t, r.first);
    appendBe32(t, r.last);
    appendBe32(t, r.glyph);
  }
  return t;
}

// The Macintosh byte map: format 0 while every glyph id fits a byte, else
// format 6 over the same 256 codes.
std::vector<uint8_t> byteMap(const Pairs& pairs) {
  const bool wide = std::any_of(pairs.begin(), pairs.end(), [](const auto& p) { return p.first < 256 && p.second > 255; });
  std::vector<uint8_t> t;
  if (wide) {
    std::vector<uint16_t> glyphs(256, 0);
    for (const auto& [code, glyph] : pairs)
      if (code < 256) glyphs[code] = glyph;
    appendBe16(t, 6);
    appendBe16(t, 10 + 2 * 256);
    appendBe16(t, 0);
    appendBe16(t, 0);
    appendBe16(t, 256);
    for (uint16_t g : glyphs) appendBe16(t, g);
    return t;
  }
  appendBe16(t, 0);
  appendBe16(t, 262);
  appendBe16(t, 0);
  t.resize(262, 0);
  for (const auto& [code, glyph] : pairs)
    if (code < 256 && glyph < 256) t[6 + code] = uint8_t(glyph);
  return t;
}

// A character map covering only kept glyphs, in the encodings PDF readers
// consult for a TrueType font: (3,1) for non-symbolic fonts, (3,0) for
// symbolic ones, (1,0) as their fallback. A font whose map the subset cannot
// restate keeps its original table (glyph ids are unchanged, so it stays
// correct, only larger).
std::vector<uint8_t> subsetCmap(const TrueTypeFont& font, const std::vector<bool>& keep) {
  const TrueTypeCmap& cmap = font.cmap();
  struct Sub {
    uint16_t platform, encoding;
    std::vector<uint8_t> data;
  };
  std::vector<Sub> subs;
  if (cmap.hasByteMap()) subs.push_back({1, 0, byteMap(cmap.bytePairs(keep))});
  if (cmap.hasSymbolMap()) {
    auto t = format4(cmap.symbolPairs(keep));
    if (!t) return copyOf(font.table(tableTag("cmap")));
    subs.push_back({3, 0, std::move(*t)});
  }
  if (cmap.hasUnicodeMap()) {
    const Pairs pairs = cmap.unicodePairs(keep);
    auto t = format4(pairs);
    if (!t) return copyOf(font.table(tableTag("cmap")));
    subs.push_back({3, 1, std::move(*t)});
    if (!pairs.empty() && pairs.back().first > 0xFFFF) subs.push_back({3, 10, format12(pairs)});
  }
  std::vector<uint8_t> out;
  appendBe16(out, 0);
  appendBe16(out, uint32_t(subs.size()));
  uint32_t at = uint32_t(4 + 8 * subs.size());
  for (const Sub& s : subs) {
    appendBe16(out, s.platform);
    appendBe16(out, s.encoding);
    appendBe32(out, at);
    at += uint32_t(s.data.size());
  }
  for (const Sub& s : subs) out.insert(out.end(), s.data.begin(), s.data.end());
  return out;
}

// Tables a PDF reader may use from an embedded TrueType program. Layout
// tables (GSUB, GPOS, kern) do nothing in a PDF, hdmx/LTSH/VDMX only repeat
// metrics, and a digital signature would no longer match.
bool keptTable(uint32_t tag) {
  switch (tag) {
    case tableTag("cmap"): case tableTag("cvt "): case tableTag("fpgm"): case tableTag("gasp"):
    case tableTag("glyf"): case tableTag("head"): case tableTag("hhea"): case tableTag("hmtx"):
    case tableTag("loca"): case tableTag("maxp"): case tableTag("name"): case tableTag("OS/2"):
    case tableTag("post"): case tableTag("prep"):
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string fontNameForPdf(std::string_view font_name, bool embedded_subset) {
  std::string name;
  if (embedded_subset) name = kSubsetTag;
  name += font_name;
  return name;
}

std::vector<bool> subsetGlyphs(const TrueTypeFont& font, const std::set<uint16_t>& used) {
  std::vector<bool> keep(font.numGlyphs(), false);
  std::vector<uint16_t> work;
  const auto mark = [&](uint16_t g) {
    if (g < keep.size() && !keep[g]) {
      keep[g] = true;
      work.push_back(g);
    }
  };
  mark(0);
  for (uint16_t g : used) mark(g);
  // A worklist rather than one pass in id order: a component may itself be
  // a composite with a lower id than its parent. The parser has ruled out
  // cycles, and each glyph enters the list once.
  while (!work.empty()) {
    const uint16_t g = work.back();
    work.pop_back();
    for (uint16_t c : font.components(g)) mark(c);
  }
  return keep;
}

std::vector<uint8_t> subsetTrueType(const TrueTypeFont& font, const std::set<uint16_t>& used, std::string* why) {
  try {
    const std::vector<bool> keep = subsetGlyphs(font, used);
    const uint32_t count = font.numGlyphs();

    std::vector<uint8_t> glyf;
    std::vector<uint32_t> locations(count + 1);
    for (uint32_t g = 0; g < count; ++g) {
      locations[g] = uint32_t(glyf.size());
      if (!keep[g]) continue;
      auto data = font.glyphData(uint16_t(g));
      glyf.insert(glyf.end(), data.begin(), data.end());
      // 4-byte aligned glyphs keep every offset even, as the short
      // location format needs, and suit readers that fetch words.
      while (glyf.size() % 4 != 0) glyf.push_back(0);
    }
    locations[count] = uint32_t(glyf.size());
    const bool long_loca = glyf.size() > 0x1FFFC;
    std::vector<uint8_t> loca;
    loca.reserve(size_t(count + 1) * (long_loca ? 4 : 2));
    for (uint32_t at : locations) long_loca ? appendBe32(loca, at) : appendBe16(loca, at / 2);

    TrueTypeSfntWriter writer;
    for (const auto& t : font.tables()) {
      if (!keptTable(t.tag)) continue;
      auto bytes = font.table(t.tag);
      switch (t.tag) {
        case tableTag("glyf"):
          writer.add(t.tag, std::move(glyf));
          break;
        case tableTag("loca"):
          writer.add(t.tag, std::move(loca));
          break;
        case tableTag("head"): {
          auto head = copyOf(bytes);
          support::storeBe16(head, 50, long_loca ? 1 : 0);
          writer.add(t.tag, std::move(head));
          break;
        }
        case tableTag("cmap"):
          writer.add(t.tag, subsetCmap(font, keep));
          break;
        case tableTag("post"): {
          // Format 3: the header without glyph names. PDF readers find
          // glyphs through the character map.
          auto post = copyOf(bytes);
          if (post.size() >= 32) {
            post.resize(32);
            post[0] = 0, post[1] = 3, post[2] = 0, post[3] = 0;
          }
          writer.add(t.tag, std::move(post));
          break;
        }
        default:
          writer.add(t.tag, copyOf(bytes));
      }
    }
    return writer.finish();
  } catch (const std::bad_alloc&) {
    if (why) *why = "out of memory while subsetting";
    return {};
  }
}

}  // namespace pyra::fonts
