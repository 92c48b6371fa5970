// WMF writer and reader, placeable header: round trip and malformed inputs.
#include <gtest/gtest.h>

#include <functional>

#include "metafile/metafile_test_util.h"
#include "platform/metafile_error.h"
#include "platform/wmf_reader.h"
#include "platform/wmf_writer.h"

namespace pyra::gdi {
namespace {

using namespace test;

std::vector<uint8_t> sampleWmf() {
  WmfWriter w;
  w.simple(mf::kMetaSetWindowOrg, {0, 0});
  w.simple(mf::kMetaSetWindowExt, {1000, 2000});
  w.simple(mf::kMetaRectangle, {100, 200, 10, 20});
  w.begin(mf::kMetaTextOut);
  w.i16(3);
  const uint8_t abc[] = {'a', 'b', 'c'};
  w.bytes(abc);
  w.bytes(std::span<const uint8_t>(abc, 1));  // pad to a word
  w.i16(50);
  w.i16(60);
  w.end();
  w.setObjects(2);
  return w.finish();
}

TEST(WmfBytes, RoundTripKeepsRecords) {
  const auto wmf = sampleWmf();
  WmfReader r(wmf);
  EXPECT_FALSE(r.placeable());
  EXPECT_EQ(r.header().size_words * 2, wmf.size());
  EXPECT_EQ(r.header().objects, 2);
  EXPECT_EQ(r.header().version, 0x0300);
  std::vector<uint16_t> fns;
  WmfRecordView v;
  while (r.next(v)) fns.push_back(v.function);
  EXPECT_EQ(fns, (std::vector<uint16_t>{mf::kMetaSetWindowOrg, mf::kMetaSetWindowExt, mf::kMetaRectangle,
                                        mf::kMetaTextOut, mf::kMetaEof}));
  EXPECT_EQ(r.header().max_record_words, 3u + 1 + 2 + 2);
}

TEST(WmfBytes, PlaceableHeaderChecksumIsTheXorOfTenWords) {
  const auto h = makePlaceableHeader(0, 0, 8500, 11000, 1000);
  ASSERT_EQ(h.size(), 22u);
  uint16_t x = 0;
  for (int i = 0; i < 10; ++i) x ^= uint16_t(h[2 * i] | h[2 * i + 1] << 8);
  EXPECT_EQ(uint16_t(h[20] | h[21] << 8), x);
  auto with = h;
  const auto plain = sampleWmf();
  with.insert(with.end(), plain.begin(), plain.end());
  WmfReader r(with);
  ASSERT_TRUE(r.placeable());
  EXPECT_TRUE(r.placeable()->checksum_ok);
  EXPECT_EQ(r.placeable()->right, 8500);
  EXPECT_EQ(r.placeable()->inch, 1000);
  EXPECT_EQ(r.metafile().size(), plain.size());
  // A wrong checksum is reported but the file still reads.
  with[20] ^= 1;
  WmfReader bad(with);
  EXPECT_FALSE(bad.placeable()->checksum_ok);
  EXPECT_NO_THROW(WmfReader::validate(with));
}

struct Row {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> mutate;
  const char* message;  // nullptr: accepted
};

TEST(WmfBytes, MalformedInputsGiveClearErrors) {
  const size_t first = mf::kMetaHeaderSize;  // offset of record 1
  const std::vector<Row> rows = {
      {"empty", [](auto& w) { w.clear(); }, "cannot hold the metafile header"},
      {"header type 3", [](auto& w) { put16(w, 0, 3); }, "neither memory"},
      {"header size 8 words", [](auto& w) { put16(w, 2, 8); }, "expected 9"},
      {"unknown version", [](auto& w) { put16(w, 4, 0x0200); }, "unknown version"},
      {"size past the data", [](auto& w) { put16(w, 6, uint16_t(w.size())); }, "declares"},
      {"size below the header", [](auto& w) { put16(w, 6, 3); put16(w, 8, 0); }, "below the header"},
      {"size huge", [](auto& w) { put16(w, 8, 0xFFFF); }, "declares"},
      {"record size 0", [first](auto& w) { put32(w, first, 0); }, "below 3"},
      {"record size 2", [first](auto& w) { put32(w, first, 2); }, "below 3"},
      {"record past the end", [first](auto& w) { put32(w, first, 0x7FFFFFFF); }, "runs past the end"},
      {"record size overflowing when doubled", [first](auto& w) { put32(w, first, 0x80000001); }, "runs past the end"},
      {"placeable key on a too-short file", [](auto& w) { w = {0xD7, 0xCD, 0xC6, 0x9A}; }, "cannot hold"},
      {"no EOF record", [](auto& w) { w.resize(w.size() - 6); put32(w, 6, uint32_t(w.size() / 2)); }, nullptr},
      {"trailing bytes after the declared size", [](auto& w) { w.insert(w.end(), 5, 0xAB); }, nullptr},
  };
  for (const auto& row : rows) {
    auto wmf = sampleWmf();
    row.mutate(wmf);
    if (!row.message) {
      EXPECT_NO_THROW(WmfReader::validate(wmf)) << row.name;
      continue;
    }
    try {
      WmfReader::validate(wmf);
      ADD_FAILURE() << row.name << ": accepted";
    } catch (const MetafileError& e) {
      EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << row.name << ": " << e.what();
    }
  }
}

TEST(WmfBytes, TruncationIsAnErrorUnlessTheSizeAgrees) {
  const auto full = sampleWmf();
  for (size_t cut = 0; cut < full.size(); cut += 2) {
    std::vector<uint8_t> part(full.begin(), full.begin() + long(cut));
    EXPECT_THROW(WmfReader::validate(part), MetafileError) << "cut at " << cut;
  }
  // Cut at a record boundary with the size patched: a WMF without EOF,
  // which some writers produce; it reads as far as it goes.
  std::vector<uint8_t> part(full.begin(), full.begin() + long(mf::kMetaHeaderSize + 10));
  put32(part, 6, uint32_t(part.size() / 2));
  EXPECT_NO_THROW(WmfReader::validate(part));
  // Cut inside a record with the size patched: the record runs past the end.
  part.resize(part.size() + 4);
  std::copy(full.begin() + long(part.size()) - 4, full.begin() + long(part.size()), part.end() - 4);
  put32(part, 6, uint32_t(part.size() / 2));
  EXPECT_THROW(WmfReader::validate(part), MetafileError);
}

}  // namespace
}  // namespace pyra::gdi
