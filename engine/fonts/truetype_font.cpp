#include "engine/fonts/truetype_font.h"

#include <algorithm>
#include <stdexcept>

#include "engine/fonts/truetype_tag.h"
#include "support/byte_reader.h"

namespace pyra::fonts {

using support::ByteReader;

namespace {

struct Malformed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const std::string& what) { throw Malformed(what); }

std::string num(uint64_t v) { return std::to_string(v); }

int16_t s16(ByteReader& r) { return int16_t(r.be16()); }

// Composite glyph component flags.
constexpr uint16_t kArgsAreWords = 0x0001;
constexpr uint16_t kHaveScale = 0x0008;
constexpr uint16_t kMoreComponents = 0x0020;
constexpr uint16_t kHaveXYScale = 0x0040;
constexpr uint16_t kHaveTwoByTwo = 0x0080;

}  // namespace

class TrueTypeParser {
 public:
  explicit TrueTypeParser(TrueTypeFont& font) : f_(font) {}

  void run() {
    const auto& data = f_.data_;
    if (data.size() < 12) fail("only " + num(data.size()) + " bytes, too short for an sfnt header");
    ByteReader r(data);
    f_.sfnt_version_ = r.be32();
    switch (f_.sfnt_version_) {
      case 0x00010000:
      case tableTag("true"):
        break;
      case tableTag("OTTO"):
        fail("OpenType font with CFF outlines ('OTTO'); it cannot be embedded as a TrueType program");
      case tableTag("ttcf"):
        fail("a font collection ('ttcf'); one face must be extracted first");
      default:
        fail("not a TrueType font (sfnt version " + tagText(f_.sfnt_version_) + ")");
    }
    readDirectory(r);
    readHead();
    readMaxp();
    readHorizontalMetrics();
    readLocations();
    readComposites();
    try {
      f_.cmap_ = TrueTypeCmap::parse(required(tableTag("cmap")), f_.num_glyphs_);
    } catch (const std::runtime_error& e) {
      fail(e.what());
    }
    readPost();
    readOs2();
    readName();
  }

 private:
  void readDirectory(ByteReader& r) {
    const uint16_t count = r.be16();
    r.skip(6);
    const uint64_t dir_end = 12 + uint64_t(count) * 16;
    if (dir_end > f_.data_.size())
      fail("table directory: " + num(count) + " tables do not fit in " + num(f_.data_.size()) + " bytes");
    for (uint16_t i = 0; i < count; ++i) {
      TrueTypeTable t;
      t.tag = r.be32();
      t.checksum = r.be32();
      t.offset = r.be32();
      t.length = r.be32();
      if (uint64_t(t.offset) + t.length > f_.data_.size())
        fail("table '" + tagText(t.tag) + "' (" + num(t.length) + " bytes at " + num(t.offset) +
             ") runs past the end of the " + num(f_.data_.size()) + "-byte file");
      if (t.length != 0 && t.offset < dir_end)
        fail("table '" + tagText(t.tag) + "' overlaps the table directory");
      for (const auto& other : f_.tables_)
        if (other.tag == t.tag) fail("table '" + tagText(t.tag) + "' is listed twice");
      f_.tables_.push_back(t);
    }
    // Overlapping tables would let one table's damage masquerade as
    // another's data, and the subsetter rewrites some of them in place.
    std::vector<TrueTypeTable> by_offset = f_.tables_;
    std::sort(by_offset.begin(), by_offset.end(),
              [](const auto& a, const auto& b) { return a.offset < b.offset; });
    const TrueTypeTable* prev = nullptr;
    for (const auto& t : by_offset) {
      if (t.length == 0) continue;
      if (prev && uint64_t(prev->offset) + prev->length > t.offset)
        fail("tables '" + tagText(prev->tag) + "' and '" + tagText(t.tag) + "' overlap");
      prev = &t;
    }
  }

  std::span<const uint8_t> required(uint32_t tag, size_t min_size = 0) {
    const TrueTypeTable* t = f_.findTable(tag);
    if (!t) {
      if (tag == tableTag("glyf") || tag == tableTag("loca"))
        fail(std::string("no TrueType outlines (no '") + tagText(tag) + "' table)");
      fail("no '" + tagText(tag) + "' table");
    }
    if (t->length < min_size)
      fail("table '" + tagText(tag) + "' has " + num(t->length) + " bytes, needs " + num(min_size));
    return f_.table(tag);
  }

  void readHead() {
    ByteReader r(required(tableTag("head"), 54));
    r.seek(18);
    f_.units_per_em_ = r.be16();
    // Every width the PDF gets is scaled by 1000 / units per em.
    if (f_.units_per_em_ < 16 || f_.units_per_em_ > 16384)
      fail("head: units per em " + num(f_.units_per_em_) + " outside 16-16384");
    r.seek(36);
    f_.x_min_ = s16(r);
    f_.y_min_ = s16(r);
    f_.x_max_ = s16(r);
    f_.y_max_ = s16(r);
    r.seek(50);
    const int16_t loca_format = s16(r);
    if (loca_format != 0 && loca_format != 1) fail("head: index-to-location format " + std::to_string(loca_format));
    f_.long_loca_ = loca_format == 1;
  }

  void readMaxp() {
    ByteReader r(required(tableTag("maxp"), 6));
    r.seek(4);
    f_.num_glyphs_ = r.be16();
    if (f_.num_glyphs_ == 0) fail("maxp: no glyphs");
  }

  void readHorizontalMetrics() {
    ByteReader hhea(required(tableTag("hhea"), 36));
    hhea.seek(4);
    f_.ascender_ = s16(hhea);
    f_.descender_ = s16(hhea);
    f_.line_gap_ = s16(hhea);
    hhea.seek(34);
    uint32_t long_metrics = hhea.be16();
    if (long_metrics == 0) fail("hhea: no horizontal metrics");
    // Metrics past the glyph count describe nothing; ignore them.
    long_metrics = std::min<uint32_t>(long_metrics, f_.num_glyphs_);
    auto hmtx = required(tableTag("hmtx"));
    if (uint64_t(long_metrics) * 4 > hmtx.size())
      fail("hmtx: " + num(long_metrics) + " long metrics need " + num(uint64_t(long_metrics) * 4) +
           " bytes, the table has " + num(hmtx.size()));
    ByteReader r(hmtx);
    f_.advances_.resize(f_.num_glyphs_);
    f_.side_bearings_.resize(f_.num_glyphs_);
    for (uint32_t g = 0; g < long_metrics; ++g) {
      f_.advances_[g] = r.be16();
      f_.side_bearings_[g] = s16(r);
    }
    // Glyphs after the last long metric repeat its advance; their own side
    // bearings follow, and some fonts leave them out.
    for (uint32_t g = long_metrics; g < f_.num_glyphs_; ++g) {
      f_.advances_[g] = f_.advances_[long_metrics - 1];
      f_.side_bearings_[g] = r.remaining() >= 2 ? s16(r) : 0;
    }
  }

  void readLocations() {
    auto loca = required(tableTag("loca"));
    auto glyf = required(tableTag("glyf"));
    const uint64_t count = uint64_t(f_.num_glyphs_) + 1;
    const uint64_t need = count * (f_.long_loca_ ? 4 : 2);
    if (need > loca.size())
      fail("loca: " + num(f_.num_glyphs_) + " glyphs need " + num(need) + " bytes, the table has " + num(loca.size()));
    ByteReader r(loca);
    f_.glyf_offset_ = f_.findTable(tableTag("glyf"))->offset;
    f_.locations_.resize(count);
    for (uint64_t i = 0; i < count; ++i) {
      const uint32_t at = f_.long_loca_ ? r.be32() : uint32_t(r.be16()) * 2;
      if (at > glyf.size())
        fail("loca: glyph " + num(i) + " starts at " + num(at) + ", past the " + num(glyf.size()) + "-byte 'glyf' table");
      if (i > 0 && at < f_.locations_[i - 1]) fail("loca: glyph " + num(i - 1) + " ends before it starts");
      f_.locations_[i] = at;
    }
  }

  void readComposites() {
    f_.components_.resize(f_.num_glyphs_);
    for (uint32_t g = 0; g < f_.num_glyphs_; ++g) {
      auto data = f_.glyphData(uint16_t(g));
      if (data.empty()) continue;
      if (data.size() < 10) fail("glyf: glyph " + num(g) + " has " + num(data.size()) + " bytes, less than its header");
      ByteReader r(data);
      if (s16(r) >= 0) continue;
      r.seek(10);
      try {
        uint16_t flags;
        do {
          flags = r.be16();
          const uint16_t component = r.be16();
          if (component >= f_.num_glyphs_)
            fail("glyf: composite glyph " + num(g) + " uses glyph " + num(component) + " of " + num(f_.num_glyphs_));
          f_.components_[g].push_back(component);
          r.skip((flags & kArgsAreWords) ? 4 : 2);
          r.skip((flags & kHaveScale) ? 2 : (flags & kHaveXYScale) ? 4 : (flags & kHaveTwoByTwo) ? 8 : 0);
        } while (flags & kMoreComponents);
      } catch (const ByteReader::Short&) {
        fail("glyf: composite glyph " + num(g) + " runs past its " + num(data.size()) + " bytes");
      }
    }
    // A composite that reaches itself would send every renderer (and our
    // closure) round in circles; depth is capped for the same reason.
    std::vector<uint8_t> state(f_.num_glyphs_, 0);  // 0 new, 1 on the path, 2 done
    std::vector<uint8_t> depth(f_.num_glyphs_, 0);
    for (uint32_t g = 0; g < f_.num_glyphs_; ++g)
      if (!f_.components_[g].empty() && state[g] == 0) walk(uint16_t(g), state, depth, 0);
  }

  // Recursion is bounded by kMaxComponentDepth.
  uint8_t walk(uint16_t g, std::vector<uint8_t>& state, std::vector<uint8_t>& depth, int level) {
    if (state[g] == 2) return depth[g];
    if (state[g] == 1) fail("glyf: composite glyph " + num(g) + " contains itself");
    if (level > kMaxComponentDepth) fail("glyf: composite glyph " + num(g) + " nests deeper than " + num(kMaxComponentDepth) + " levels");
    state[g] = 1;
    uint8_t d = 0;
    for (uint16_t c : f_.components_[g]) {
      if (f_.components_[c].empty()) continue;
      d = std::max<uint8_t>(d, uint8_t(walk(c, state, depth, level + 1) + 1));
    }
    // Checked again here: a glyph reached through the memo adds its whole
    // depth without the recursion going down.
    if (level + d > kMaxComponentDepth)
      fail("glyf: composite glyph " + num(g) + " nests deeper than " + num(kMaxComponentDepth) + " levels");
    state[g] = 2;
    depth[g] = d;
    return d;
  }

  // The optional tables only feed descriptor values; damage there costs
  // the value, not the font.
  void readPost() {
    auto post = f_.table(tableTag("post"));
    if (post.size() < 16) return;
    ByteReader r(post);
    r.seek(4);
    f_.italic_angle_ = double(int32_t(r.be32())) / 65536.0;
    r.seek(12);
    f_.fixed_pitch_ = r.be32() != 0;
  }

  void readOs2() {
    auto os2 = f_.table(tableTag("OS/2"));
    if (os2.size() < 10) return;
    ByteReader r(os2);
    const uint16_t version = r.be16();
    r.seek(4);
    f_.weight_class_ = r.be16();
    r.seek(8);
    f_.fs_type_ = r.be16();
    if (version >= 2 && os2.size() >= 90) {
      r.seek(86);
      f_.x_height_ = s16(r);
      f_.cap_height_ = s16(r);
    }
  }

  void readName() {
    auto name = f_.table(tableTag("name"));
    try {
      ByteReader r(name);
      r.skip(2);
      const uint16_t count = r.be16();
      const uint16_t strings = r.be16();
      int ps_rank = 0, family_rank = 0;
      for (uint16_t i = 0; i < count; ++i) {
        const uint16_t platform = r.be16(), encoding = r.be16();
        r.skip(2);  // language
        const uint16_t id = r.be16(), length = r.be16(), offset = r.be16();
        if (id != 1 && id != 6) continue;
        const bool utf16 = platform == 3 || platform == 0;
        const int rank = platform == 3 ? 3 : platform == 1 && encoding == 0 ? 2 : utf16 ? 1 : 0;
        int& best = id == 6 ? ps_rank : family_rank;
        if (rank == 0 || rank <= best) continue;
        if (size_t(strings) + offset + length > name.size()) continue;
        std::string text;
        auto bytes = name.subspan(size_t(strings) + offset, length);
        for (size_t k = utf16 ? 1 : 0; k < bytes.size(); k += utf16 ? 2 : 1) {
          const bool ascii = bytes[k] >= 0x20 && bytes[k] < 0x7F && (!utf16 || bytes[k - 1] == 0);
          text.push_back(ascii ? char(bytes[k]) : '?');
        }
        best = rank;
        (id == 6 ? f_.postscript_name_ : f_.family_name_) = text;
      }
    } catch (const ByteReader::Short&) {
    }
  }

  TrueTypeFont& f_;
};

const TrueTypeTable* TrueTypeFont::findTable(uint32_t tag) const {
  for (const auto& t : tables_)
    if (t.tag == tag) return &t;
  return nullptr;
}

std::span<const uint8_t> TrueTypeFont::table(uint32_t tag) const {
  const TrueTypeTable* t = findTable(tag);
  if (!t) return {};
  return std::span<const uint8_t>(data_).subspan(t->offset, t->length);
}

uint16_t TrueTypeFont::advanceWidth(uint16_t glyph) const {
  return glyph < advances_.size() ? advances_[glyph] : 0;
}

int16_t TrueTypeFont::leftSideBearing(uint16_t glyph) const {
  return glyph < side_bearings_.size() ? side_bearings_[glyph] : 0;
}

std::span<const uint8_t> TrueTypeFont::glyphData(uint16_t glyph) const {
  if (size_t(glyph) + 1 >= locations_.size()) return {};
  return std::span<const uint8_t>(data_).subspan(glyf_offset_ + locations_[glyph],
                                                 locations_[glyph + 1] - locations_[glyph]);
}

std::span<const uint16_t> TrueTypeFont::components(uint16_t glyph) const {
  if (glyph >= components_.size()) return {};
  return components_[glyph];
}

std::optional<TrueTypeFont> parseTrueType(std::vector<uint8_t>&& bytes, std::string* why) {
  TrueTypeFont font;
  font.data_ = std::move(bytes);
  try {
    TrueTypeParser(font).run();
  } catch (const Malformed& e) {
    if (why) *why = e.what();
    return std::nullopt;
  } catch (const ByteReader::Short& e) {
    if (why) *why = std::string("truncated: ") + e.what();
    return std::nullopt;
  }
  return font;
}

std::optional<TrueTypeFont> parseTrueType(std::span<const uint8_t> bytes, std::string* why) {
  return parseTrueType(std::vector<uint8_t>(bytes.begin(), bytes.end()), why);
}

}  // namespace pyra::fonts
