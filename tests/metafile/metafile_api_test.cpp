// The exported metafile calls: loading, copying, enumerating, converting,
// and files written by other programs.
#include <gtest/gtest.h>

#include <filesystem>

#include "metafile/metafile_test_util.h"
#include "platform/emf_record_emit.h"
#include "platform/emf_writer.h"
#include "platform/metafile_error.h"
#include "platform/wmf_writer.h"
#include "pyra/gdi_metafile.h"
#include "testkit/testkit.h"

namespace pyra::gdi {
namespace {

using namespace test;
using testkit::TempDir;

std::vector<uint8_t> smallEmf() {
  EmfWriter w;
  w.simple(mf::kEmrRectangle, {1, 2, 3, 4});
  EmfHeaderFields h;
  h.frame = {0, 0, 1000, 1000};
  h.handles = 1;
  return w.finish(h);
}

std::vector<uint8_t> smallWmf() {
  WmfWriter w;
  w.simple(mf::kMetaSetWindowExt, {200, 400});
  w.simple(mf::kMetaRectangle, {150, 350, 10, 20});
  return w.finish();
}

int collect(HDC, void*, const ENHMETARECORD* r, int, PYRA_LPARAM data) {
  reinterpret_cast<std::vector<uint32_t>*>(data)->push_back(r->iType);
  return 1;
}
int stopAtSecond(HDC, void*, const ENHMETARECORD* r, int, PYRA_LPARAM data) {
  auto* v = reinterpret_cast<std::vector<uint32_t>*>(data);
  v->push_back(r->iType);
  return v->size() < 2;
}

TEST(MetafileApi, EnhancedMetafileFromMemoryAndFile) {
  const auto bytes = smallEmf();
  HENHMETAFILE h = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
  ASSERT_NE(h, 0u);
  EXPECT_EQ(GetEnhMetaFileBits(h, 0, nullptr), bytes.size());
  std::vector<uint8_t> back(bytes.size());
  EXPECT_EQ(GetEnhMetaFileBits(h, UINT(back.size()), back.data()), bytes.size());
  EXPECT_EQ(back, bytes);

  ENHMETAHEADER hdr{};
  EXPECT_EQ(GetEnhMetaFileHeader(h, 0, nullptr), sizeof(ENHMETAHEADER));
  EXPECT_EQ(GetEnhMetaFileHeader(h, sizeof hdr, &hdr), sizeof hdr);
  EXPECT_EQ(hdr.dSignature, ENHMETA_SIGNATURE);
  EXPECT_EQ(hdr.nRecords, 3u);
  EXPECT_EQ(hdr.rclFrame.right, 1000);

  std::vector<uint32_t> types;
  EXPECT_TRUE(EnumEnhMetaFile(0, h, collect, &types, nullptr));
  EXPECT_EQ(types, (std::vector<uint32_t>{1, mf::kEmrRectangle, mf::kEmrEof}));
  types.clear();
  EXPECT_FALSE(EnumEnhMetaFile(0, h, stopAtSecond, &types, nullptr));
  EXPECT_EQ(types.size(), 2u);

  TempDir dir;
  const std::string file = dir.file("copy.emf");
  HENHMETAFILE copy = CopyEnhMetaFileA(h, file.c_str());
  ASSERT_NE(copy, 0u);
  EXPECT_EQ(testkit::readFile(file), bytes);
  HENHMETAFILE loaded = GetEnhMetaFileA(file.c_str());
  ASSERT_NE(loaded, 0u);
  EXPECT_EQ(GetEnhMetaFileBits(loaded, 0, nullptr), bytes.size());

  EXPECT_TRUE(DeleteEnhMetaFile(h));
  EXPECT_FALSE(DeleteEnhMetaFile(h));
  EXPECT_EQ(GetEnhMetaFileBits(h, 0, nullptr), 0u);
  EXPECT_TRUE(DeleteEnhMetaFile(copy));
  EXPECT_TRUE(DeleteEnhMetaFile(loaded));
}

TEST(MetafileApi, BadInputGivesNullHandles) {
  const uint8_t junk[200] = {1, 0, 0, 0, 200};
  EXPECT_EQ(SetEnhMetaFileBits(sizeof junk, junk), 0u);
  EXPECT_EQ(SetEnhMetaFileBits(0, junk), 0u);
  EXPECT_EQ(SetEnhMetaFileBits(10, nullptr), 0u);
  EXPECT_EQ(SetMetaFileBitsEx(sizeof junk, junk), 0u);
  EXPECT_EQ(SetWinMetaFileBits(sizeof junk, junk, 0, nullptr), 0u);
  EXPECT_EQ(GetEnhMetaFileA("/nonexistent/x.emf"), 0u);
  EXPECT_EQ(GetMetaFileA(nullptr), 0u);
  EXPECT_EQ(GetEnhMetaFileHeader(12345, 0, nullptr), 0u);
  // A handle of the wrong kind.
  const auto wmf = smallWmf();
  HMETAFILE m = SetMetaFileBitsEx(UINT(wmf.size()), wmf.data());
  ASSERT_NE(m, 0u);
  EXPECT_FALSE(DeleteEnhMetaFile(m));
  EXPECT_EQ(GetEnhMetaFileBits(m, 0, nullptr), 0u);
  EXPECT_TRUE(DeleteMetaFile(m));
  // Every prefix of a valid EMF is refused, never read past.
  const auto emf = smallEmf();
  for (size_t n = 1; n < emf.size(); ++n) EXPECT_EQ(SetEnhMetaFileBits(UINT(n), emf.data()), 0u) << n;
}

// A record whose counts lie (framing intact) is the player's to skip: the
// metafile still loads and every record is handed out; the reader with
// record checks names the damage.
TEST(MetafileApi, OneDamagedRecordDoesNotLoseThePage) {
  EmfWriter w;
  const IntPoint pts[] = {{0, 0}, {5, 5}};
  emitPoly(w, mf::kEmrPolyline, {0, 0, 5, 5}, pts);
  w.simple(mf::kEmrRectangle, {1, 2, 3, 4});
  auto bytes = w.finish({});
  put32(bytes, mf::kEmfHeaderSize + 24, 1000);  // 1000 points in a record of 2
  EXPECT_THROW(EmfReader::validate(bytes), MetafileError);
  HENHMETAFILE h = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
  ASSERT_NE(h, 0u);
  std::vector<uint32_t> types;
  EXPECT_TRUE(EnumEnhMetaFile(0, h, collect, &types, nullptr));
  EXPECT_EQ(types, (std::vector<uint32_t>{1, mf::kEmrPolyline16, mf::kEmrRectangle, mf::kEmrEof}));
  DeleteEnhMetaFile(h);
}

TEST(MetafileApi, PlaceableFilesLoadWriteAndConvert) {
  TempDir dir;
  const auto wmf = smallWmf();
  HMETAFILE m = SetMetaFileBitsEx(UINT(wmf.size()), wmf.data());
  ASSERT_NE(m, 0u);
  EXPECT_FALSE(PyraGetPlaceableHeader(m, nullptr));
  const RECT box{0, 0, 400, 200};
  const std::string file = dir.file("page1.wmf");
  ASSERT_TRUE(PyraWritePlaceableMetaFile(m, file.c_str(), &box, 1440));
  EXPECT_EQ(std::filesystem::file_size(file), wmf.size() + 22);

  PLACEABLEMETAHEADER ph{};
  BOOL ok = FALSE;
  ASSERT_TRUE(PyraReadPlaceableHeader(file.c_str(), &ph, &ok));
  EXPECT_EQ(ph.key, PYRA_PLACEABLE_KEY);
  EXPECT_EQ(ph.right, 400);
  EXPECT_EQ(ph.inch, 1440);
  EXPECT_TRUE(ok);

  HMETAFILE loaded = GetMetaFileA(file.c_str());
  ASSERT_NE(loaded, 0u);
  ASSERT_TRUE(PyraGetPlaceableHeader(loaded, &ph));
  EXPECT_EQ(ph.bottom, 200);
  // The bits are the plain metafile, without the placeable header.
  EXPECT_EQ(GetMetaFileBitsEx(loaded, 0, nullptr), wmf.size());
  std::vector<uint8_t> bits(wmf.size());
  EXPECT_EQ(GetMetaFileBitsEx(loaded, UINT(bits.size()), bits.data()), wmf.size());
  EXPECT_EQ(bits, wmf);
  EXPECT_EQ(GetMetaFileBitsEx(loaded, 4, bits.data()), 0u);

  // Converted with the caller's picture size, as the engine sizes a page.
  METAFILEPICT pict{MM_ANISOTROPIC, 21000, 29700, loaded};
  HENHMETAFILE emf = SetWinMetaFileBits(UINT(bits.size()), bits.data(), 0, &pict);
  ASSERT_NE(emf, 0u);
  ENHMETAHEADER hdr{};
  GetEnhMetaFileHeader(emf, sizeof hdr, &hdr);
  EXPECT_EQ(hdr.rclFrame.right, 21000);
  EXPECT_EQ(hdr.rclFrame.bottom, 29700);
  std::vector<uint32_t> types;
  EnumEnhMetaFile(0, emf, collect, &types, nullptr);
  EXPECT_NE(std::find(types.begin(), types.end(), uint32_t(mf::kEmrRectangle)), types.end());

  // A file that is not placeable has no placeable header.
  const std::string plain = dir.file("plain.wmf");
  testkit::writeFile(plain, wmf.data(), wmf.size());
  EXPECT_FALSE(PyraReadPlaceableHeader(plain.c_str(), &ph, nullptr));
  const RECT wide{0, 0, 70000, 10};
  EXPECT_FALSE(PyraWritePlaceableMetaFile(m, dir.file("x.wmf").c_str(), &wide, 1440));

  DeleteEnhMetaFile(emf);
  DeleteMetaFile(loaded);
  DeleteMetaFile(m);
}

TEST(MetafileApi, LoadsWhatLibEmfWrites) {
#ifndef PYRA_LIBEMF_WRITER
  GTEST_SKIP() << "libEMF not installed";
#else
  TempDir dir;
  const std::string file = dir.file("libemf.emf");
  const auto r = testkit::run(std::string(PYRA_LIBEMF_WRITER) + " " + testkit::shellQuote(file));
  ASSERT_EQ(r.status, 0) << r.out;
  HENHMETAFILE h = GetEnhMetaFileA(file.c_str());
  ASSERT_NE(h, 0u) << "libEMF output refused";
  ENHMETAHEADER hdr{};
  GetEnhMetaFileHeader(h, sizeof hdr, &hdr);
  EXPECT_EQ(hdr.rclFrame.right, 10000);
  std::vector<uint32_t> types;
  ASSERT_TRUE(EnumEnhMetaFile(0, h, collect, &types, nullptr));
  for (uint32_t t : {mf::kEmrCreatePen, mf::kEmrCreateBrushIndirect, mf::kEmrRectangle, mf::kEmrEllipse,
                     mf::kEmrLineTo, mf::kEmrExtCreateFontIndirectW, mf::kEmrEof})
    EXPECT_NE(std::find(types.begin(), types.end(), t), types.end()) << "type " << t << ": " << typeList(types);
  DeleteEnhMetaFile(h);
#endif
}

// LibreOffice, when present, writes EMF and WMF files of its own.
TEST(MetafileApi, LoadsWhatLibreOfficeWrites) {
  if (testkit::run("command -v soffice").status != 0) GTEST_SKIP() << "LibreOffice not installed";
  TempDir dir;
  const std::string svg = dir.file("in.svg");
  testkit::writeFile(svg,
                     "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>"
                     "<rect x='10' y='10' width='100' height='50' fill='blue'/>"
                     "<text x='20' y='90'>Hi</text></svg>");
  // A profile of its own: a LibreOffice already running for someone else
  // would otherwise take the job and this one would find no output.
  for (const char* fmt : {"emf", "wmf"}) {
    const auto r = testkit::run("cd " + testkit::shellQuote(dir.path().string()) +
                                " && timeout 120 soffice -env:UserInstallation=file://" + dir.file("profile") +
                                " --headless --convert-to " + fmt + " in.svg");
    const std::string out = dir.file(std::string("in.") + fmt);
    if (!std::filesystem::exists(out)) GTEST_SKIP() << "soffice did not convert: " << r.out;
    if (std::string(fmt) == "emf") {
      HENHMETAFILE h = GetEnhMetaFileA(out.c_str());
      EXPECT_NE(h, 0u);
      DeleteEnhMetaFile(h);
    } else {
      HMETAFILE m = GetMetaFileA(out.c_str());
      ASSERT_NE(m, 0u);
      std::vector<uint8_t> bits(GetMetaFileBitsEx(m, 0, nullptr));
      GetMetaFileBitsEx(m, UINT(bits.size()), bits.data());
      HENHMETAFILE e = SetWinMetaFileBits(UINT(bits.size()), bits.data(), 0, nullptr);
      EXPECT_NE(e, 0u);
      DeleteEnhMetaFile(e);
      DeleteMetaFile(m);
    }
  }
}

}  // namespace
}  // namespace pyra::gdi
