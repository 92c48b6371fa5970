// SelectObject tells a recording DC's recorder about every selection, of
// any kind, with the object it selected; a failed selection tells nothing.
#include <gtest/gtest.h>

#include <vector>

#include "platform/device_context.h"
#include "platform/font_object.h"
#include "pyra/gdi.h"

namespace pyra::gdi {
namespace {

struct Seen {
  HGDIOBJ handle;
  ObjectKind kind;
};

class ListRecorder : public DcRecorder {
 public:
  explicit ListRecorder(std::vector<Seen>& seen) : seen_(seen) {}
  void objectSelected(HGDIOBJ handle, const GdiObject& object) override {
    seen_.push_back({handle, object.kind()});
  }
  void objectDeleted(HGDIOBJ) override {}

 private:
  std::vector<Seen>& seen_;
};

// Stand-ins for the drawing-object kinds this part of the library does not make.
struct OtherObject : GdiObject {
  using GdiObject::GdiObject;
};

TEST(PlatformDcRecorder, SelectionsOfEveryKindReachTheRecorder) {
  std::vector<Seen> seen;
  auto dc = std::make_shared<DeviceContext>(DeviceContext::Type::EnhMetafile);
  dc->recorder = std::make_unique<ListRecorder>(seen);
  HDC hdc = HandleTable::instance().insert(dc);

  HFONT font = CreateFontA(-1000, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  HGDIOBJ pen = HandleTable::instance().insert(std::make_shared<OtherObject>(ObjectKind::Pen));
  HGDIOBJ brush = HandleTable::instance().insert(std::make_shared<OtherObject>(ObjectKind::Brush));
  HGDIOBJ region = HandleTable::instance().insert(std::make_shared<OtherObject>(ObjectKind::Region));
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 1, nullptr);

  EXPECT_NE(SelectObject(hdc, font), 0u);
  SelectObject(hdc, pen);
  EXPECT_EQ(dc->pen, pen);
  SelectObject(hdc, brush);
  EXPECT_EQ(SelectObject(hdc, region), 2u) << "SIMPLEREGION";
  EXPECT_EQ(SelectObject(hdc, bitmap), 0u) << "bitmaps only go into memory DCs";
  EXPECT_EQ(SelectObject(hdc, 0xDEADBEEF), 0u);

  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].handle, font);
  EXPECT_EQ(seen[0].kind, ObjectKind::Font);
  EXPECT_EQ(seen[1].kind, ObjectKind::Pen);
  EXPECT_EQ(seen[2].kind, ObjectKind::Brush);
  EXPECT_EQ(seen[3].handle, region);

  // What the recorder reads from a selected font when it records text.
  auto selected = selectedFont(*dc);
  ASSERT_TRUE(selected);
  EXPECT_EQ(selected->logFont().lfHeight, -1000);
  INT w[1];
  EXPECT_TRUE(selected->charWidthsA('W', 'W', w));
  EXPECT_EQ(w[0], 944);

  EXPECT_FALSE(DeleteObject(pen)) << "still selected";
  EXPECT_TRUE(DeleteDC(hdc));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(font));
}

}  // namespace
}  // namespace pyra::gdi
