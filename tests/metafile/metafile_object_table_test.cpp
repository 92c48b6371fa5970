// The object table behind both recording DCs: which index a new object
// takes, where the 16-bit count ends, and which handles the sweep finds dead.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/handle_table.h"
#include "platform/metafile_object_table.h"

namespace pyra::gdi {
namespace {

TEST(MetafileObjectTable, TakesTheLowestFreeIndexFirst) {
  MetafileObjectTable t(1);
  EXPECT_EQ(t.take(), 1u);
  EXPECT_EQ(t.take(), 2u);
  EXPECT_EQ(t.take(), 3u);
  t.release(2);
  t.release(1);
  EXPECT_EQ(t.take(), 1u);
  EXPECT_EQ(t.take(), 2u);
  EXPECT_EQ(t.take(), 4u);
  EXPECT_EQ(t.end(), 5u) << "the header counts up to the highest index taken";
}

TEST(MetafileObjectTable, StopsWhereTheHeaderCountEnds) {
  for (uint32_t first : {0u, 1u}) {
    MetafileObjectTable t(first);
    for (uint32_t i = first; i < 0xFFFF; ++i) ASSERT_EQ(t.take(), i) << "first " << first;
    EXPECT_EQ(t.take(), std::nullopt) << "first " << first;
    EXPECT_EQ(t.end(), 0xFFFFu) << "first " << first;
    t.release(7);
    EXPECT_EQ(t.take(), 7u) << "first " << first << ": a released index is taken again";
  }
}

TEST(MetafileObjectTable, RemoveForgetsTheHandleAndFreesItsIndexOnce) {
  MetafileObjectTable t(0);
  const uint32_t index = *t.take();
  t.bind(500, index);
  EXPECT_EQ(t.find(500), index);
  EXPECT_EQ(t.remove(500), index);
  EXPECT_EQ(t.remove(500), std::nullopt);
  EXPECT_EQ(t.find(500), std::nullopt);
  EXPECT_EQ(t.take(), index);
  EXPECT_EQ(t.take(), index + 1) << "freed once, so taken once";
}

TEST(MetafileObjectTable, DeadHandlesAreTheOnesGoneFromTheHandleTableInOrder) {
  HandleTable& handles = HandleTable::instance();
  std::vector<uint32_t> live;
  for (int i = 0; i < 4; ++i) live.push_back(handles.insert(std::make_shared<GdiObject>(ObjectKind::Pen)));
  MetafileObjectTable t(1);
  // Bound out of handle order: the sweep still reports ascending handles.
  for (int i : {3, 0, 2, 1}) t.bind(live[size_t(i)], *t.take());
  handles.erase(live[3]);
  handles.erase(live[1]);
  EXPECT_EQ(t.deadHandles(), (std::vector<uint32_t>{live[1], live[3]}));
  handles.erase(live[0]);
  handles.erase(live[2]);
}

}  // namespace
}  // namespace pyra::gdi
