#include "engine/fonts/truetype_cmap.h"

#include <algorithm>
#include <stdexcept>

#include "support/byte_reader.h"

namespace pyra::fonts {
namespace {

using support::ByteReader;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error("cmap: " + what); }

uint16_t be16At(std::span<const uint8_t> t, size_t at) {
  ByteReader r(t);
  r.seek(at);
  return r.be16();
}

// Subtables we understand, ranked: a full-repertoire Unicode map beats a
// BMP one, and a Windows one beats the Unicode platform's.
int unicodeRank(uint16_t platform, uint16_t encoding, uint16_t format) {
  if (platform == 3 && encoding == 10 && format == 12) return 6;
  if (platform == 0 && format == 12) return 5;
  if (platform == 3 && encoding == 1 && format == 4) return 4;
  if (platform == 0 && format == 4) return 3;
  if (platform == 3 && encoding == 1 && format == 12) return 2;
  if (platform == 0 && format == 6) return 1;
  return 0;
}

TrueTypeCmap::Map parseFormat4(std::span<const uint8_t> table, size_t at) {
  ByteReader r(table);
  r.seek(at + 6);
  const uint16_t seg_x2 = r.be16();
  if (seg_x2 == 0 || seg_x2 % 2 != 0) fail("format 4 subtable at " + std::to_string(at) + " has segment size " + std::to_string(seg_x2));
  const size_t segs = seg_x2 / 2;
  const size_t end_at = at + 14, start_at = end_at + seg_x2 + 2, delta_at = start_at + seg_x2,
               range_at = delta_at + seg_x2;
  // The length field is 16 bits and overflows in large real maps, so the
  // table's end bounds the arrays instead.
  if (range_at + seg_x2 > table.size()) fail("format 4 subtable at " + std::to_string(at) + ": " + std::to_string(segs) + " segments run past the table");
  // Overlaps are cut before range offsets are expanded, so the expanded
  // arrays hold at most one entry per 16-bit code whatever the segments say.
  struct Raw { uint32_t first, last; int16_t delta; size_t base; };
  std::vector<Raw> raw;
  raw.reserve(segs);
  for (size_t i = 0; i < segs; ++i) {
    const uint16_t end = be16At(table, end_at + 2 * i);
    const uint16_t start = be16At(table, start_at + 2 * i);
    const int16_t delta = int16_t(be16At(table, delta_at + 2 * i));
    const uint16_t range_offset = be16At(table, range_at + 2 * i);
    if (start > end) continue;  // an empty segment; some writers emit them
    // The offset is relative to the word that holds it.
    raw.push_back({start, end, delta, range_offset == 0 ? 0 : range_at + 2 * i + range_offset});
  }
  std::stable_sort(raw.begin(), raw.end(), [](const Raw& a, const Raw& b) { return a.first < b.first; });
  TrueTypeCmap::Map map;
  for (Raw seg : raw) {
    if (!map.empty() && seg.first <= map.back().last) {
      if (seg.last <= map.back().last) continue;
      const uint32_t cut = map.back().last + 1 - seg.first;
      seg.first += cut;
      if (seg.base != 0) seg.base += 2 * size_t(cut);
    }
    TrueTypeCmap::Range range{seg.first, seg.last, seg.delta, true, {}};
    if (seg.base != 0) {
      // Entries that point outside the table map to no glyph.
      range.glyphs.resize(size_t(seg.last) - seg.first + 1);
      for (uint32_t c = seg.first; c <= seg.last; ++c) {
        const size_t p = seg.base + 2 * size_t(c - seg.first);
        uint16_t g = 0;
        if (p + 2 <= table.size()) {
          g = be16At(table, p);
          if (g != 0) g = uint16_t(g + seg.delta);
        }
        range.glyphs[c - seg.first] = g;
      }
      range.delta = 0;
    }
    map.push_back(std::move(range));
  }
  return map;
}

TrueTypeCmap::Map parseFormat12(std::span<const uint8_t> table, size_t at) {
  ByteReader r(table);
  r.seek(at + 12);
  const uint32_t groups = r.be32();
  if (uint64_t(groups) * 12 > r.remaining()) fail("format 12 subtable at " + std::to_string(at) + " claims " + std::to_string(groups) + " groups");
  TrueTypeCmap::Map map;
  map.reserve(groups);
  for (uint32_t i = 0; i < groups; ++i) {
    const uint32_t first = r.be32(), last = r.be32(), glyph = r.be32();
    if (first > last || last > 0x10FFFF) continue;
    map.push_back({first, last, int64_t(glyph) - int64_t(first), false, {}});
  }
  return map;
}

TrueTypeCmap::Map parseFormat6(std::span<const uint8_t> table, size_t at) {
  ByteReader r(table);
  r.seek(at + 6);
  const uint16_t first = r.be16(), count = r.be16();
  if (size_t(count) * 2 > r.remaining()) fail("format 6 subtable at " + std::to_string(at) + " claims " + std::to_string(count) + " entries");
  TrueTypeCmap::Map map;
  if (count == 0 || uint32_t(first) + count > 0x10000) return map;
  TrueTypeCmap::Range range{first, uint32_t(first) + count - 1, 0, false, {}};
  range.glyphs.resize(count);
  for (auto& g : range.glyphs) g = r.be16();
  map.push_back(std::move(range));
  return map;
}

TrueTypeCmap::Map parseFormat0(std::span<const uint8_t> table, size_t at) {
  ByteReader r(table);
  r.seek(at + 6);
  auto bytes = r.take(256);
  TrueTypeCmap::Range range{0, 255, 0, false, {}};
  range.glyphs.assign(bytes.begin(), bytes.end());
  return {std::move(range)};
}

// Sorted, without overlaps, so lookups can bisect: where hostile segments
// overlap, the earlier start keeps the codes.
void normalise(TrueTypeCmap::Map& map) {
  std::stable_sort(map.begin(), map.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  TrueTypeCmap::Map out;
  out.reserve(map.size());
  for (auto& range : map) {
    if (!out.empty() && range.first <= out.back().last) {
      if (range.last <= out.back().last) continue;
      const uint32_t cut = out.back().last + 1 - range.first;
      if (!range.glyphs.empty()) range.glyphs.erase(range.glyphs.begin(), range.glyphs.begin() + cut);
      range.first += cut;
    }
    out.push_back(std::move(range));
  }
  map = std::move(out);
}

}  // namespace

TrueTypeCmap TrueTypeCmap::parse(std::span<const uint8_t> table, uint16_t num_glyphs) {
  TrueTypeCmap cmap;
  cmap.num_glyphs_ = num_glyphs;
  try {
    ByteReader r(table);
    r.skip(2);
    const uint16_t count = r.be16();
    if (size_t(count) * 8 > r.remaining()) fail(std::to_string(count) + " encoding records do not fit");
    int best_rank = 0, byte_rank = 0;
    for (uint16_t i = 0; i < count; ++i) {
      const uint16_t platform = r.be16(), encoding = r.be16();
      const uint32_t offset = r.be32();
      if (offset == 0 || offset >= table.size())
        fail("encoding record " + std::to_string(i) + " points to " + std::to_string(offset) + ", outside the table");
      const uint16_t format = be16At(table, offset);
      if (platform == 3 && encoding == 0) {
        if (format == 4 && cmap.symbol_.empty()) cmap.symbol_ = parseFormat4(table, offset);
        else if (format == 12 && cmap.symbol_.empty()) cmap.symbol_ = parseFormat12(table, offset);
        continue;
      }
      const int rank = unicodeRank(platform, encoding, format);
      if (rank > best_rank) {
        best_rank = rank;
        cmap.unicode_ = format == 12 ? parseFormat12(table, offset)
                        : format == 4 ? parseFormat4(table, offset)
                                      : parseFormat6(table, offset);
        continue;
      }
      if (rank == 0 && (format == 0 || (format == 6 && platform == 1))) {
        // Byte maps, mostly the Macintosh platform's: a last resort for
        // codes up to 255. Format 0 is taken from any platform, as the
        // engine always did, and preferred.
        const int brank = format == 0 ? 2 : 1;
        if (brank > byte_rank) {
          byte_rank = brank;
          cmap.byte_map_ = format == 0 ? parseFormat0(table, offset) : parseFormat6(table, offset);
          cmap.has_format0_ = format == 0;
        }
      }
    }
  } catch (const support::ByteReader::Short& e) {
    fail(std::string("truncated: ") + e.what());
  }
  normalise(cmap.unicode_);
  normalise(cmap.symbol_);
  normalise(cmap.byte_map_);
  if (cmap.unicode_.empty() && cmap.symbol_.empty() && cmap.byte_map_.empty())
    fail("no Unicode, symbol or byte character map");
  return cmap;
}

uint16_t TrueTypeCmap::lookup(const Map& map, uint32_t code) {
  auto it = std::upper_bound(map.begin(), map.end(), code, [](uint32_t c, const Range& r) { return c < r.first; });
  if (it == map.begin()) return 0;
  --it;
  if (code > it->last) return 0;
  if (!it->glyphs.empty()) return it->glyphs[code - it->first];
  const int64_t g = int64_t(code) + it->delta;
  if (it->wrap) return uint16_t(uint64_t(g) & 0xFFFF);
  return (g < 0 || g > 0xFFFF) ? 0 : uint16_t(g);
}

uint16_t TrueTypeCmap::glyphForChar(uint32_t code) const {
  if (code == 0) return 0;
  uint16_t g = lookup(unicode_, code);
  if (g == 0 && !symbol_.empty()) {
    g = lookup(symbol_, code);
    if (g == 0 && code >= 0x20 && code <= 0xFF) g = lookup(symbol_, 0xF000 + code);
  }
  // The byte maps are Macintosh-encoded and agree with Unicode only in part
  // (not even on controls), so they answer only for a font that has nothing
  // better.
  if (g == 0 && code <= 0xFF && unicode_.empty() && symbol_.empty())
    g = lookup(byte_map_, code);
  return g < num_glyphs_ ? g : 0;
}

uint16_t TrueTypeCmap::glyphForSymbolCode(uint8_t code) const {
  uint16_t g = 0;
  if (has_format0_) {
    g = lookup(byte_map_, code);
  } else if (!symbol_.empty()) {
    g = lookup(symbol_, 0xF000 + uint32_t(code));
    if (g == 0) g = lookup(symbol_, code);
  } else {
    return glyphForChar(code);
  }
  return g < num_glyphs_ ? g : 0;
}

std::vector<std::pair<uint32_t, uint16_t>> TrueTypeCmap::pairs(const Map& map, const std::vector<bool>& keep) {
  std::vector<std::pair<uint32_t, uint16_t>> out;
  const auto kept = [&](uint32_t g) { return g != 0 && g < keep.size() && keep[g]; };
  std::vector<uint16_t> kept_ids;
  for (size_t g = 1; g < keep.size(); ++g)
    if (keep[g]) kept_ids.push_back(uint16_t(g));
  for (const auto& r : map) {
    if (!r.glyphs.empty()) {
      for (uint32_t c = r.first; c <= r.last; ++c)
        if (kept(r.glyphs[c - r.first])) out.emplace_back(c, r.glyphs[c - r.first]);
      continue;
    }
    if (r.wrap) {
      for (uint32_t c = r.first; c <= r.last; ++c) {
        const uint16_t g = uint16_t(uint64_t(int64_t(c) + r.delta) & 0xFFFF);
        if (kept(g)) out.emplace_back(c, g);
      }
      continue;
    }
    // Unwrapped runs can span a million codes; visit only the kept glyphs
    // that fall inside the run's glyph range.
    const int64_t lo = std::max<int64_t>(int64_t(r.first) + r.delta, 1);
    const int64_t hi = std::min<int64_t>(int64_t(r.last) + r.delta, int64_t(keep.size()) - 1);
    if (lo > hi) continue;
    for (auto it = std::lower_bound(kept_ids.begin(), kept_ids.end(), uint16_t(lo)); it != kept_ids.end() && *it <= hi; ++it)
      out.emplace_back(uint32_t(int64_t(*it) - r.delta), *it);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::pair<uint32_t, uint16_t>> TrueTypeCmap::unicodePairs(const std::vector<bool>& keep) const {
  return pairs(unicode_, keep);
}

std::vector<std::pair<uint32_t, uint16_t>> TrueTypeCmap::symbolPairs(const std::vector<bool>& keep) const {
  return pairs(symbol_, keep);
}

std::vector<std::pair<uint32_t, uint16_t>> TrueTypeCmap::bytePairs(const std::vector<bool>& keep) const {
  return pairs(byte_map_, keep);
}

}  // namespace pyra::fonts
