// PointerList: lookup bounds, pointer-sized slots, ordered destruction of the elements.
#include "plug/pointer_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct Tracked {
  Tracked(std::vector<int>* journal, int number) : log(journal), id(number) {}
  ~Tracked() { log->push_back(id); }
  std::vector<int>* log;
  int id;
};

TEST(PointerListLookup, IndicesOutsideTheListGiveNull) {
  PointerList<int> list;
  int a = 1;
  EXPECT_EQ(list.Get(0), nullptr);
  list.Add(&a);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.Get(1), nullptr);
  EXPECT_EQ(list.Get(0), &a);
  list.Remove(0);  // not owned here: keep the destructor from deleting a stack object
}

TEST(PointerListLookup, FullWidthPointersComeBackUnchanged) {
  // Heap addresses on 64-bit systems use more than 32 bits: a 4-byte slot would mangle them.
  std::vector<int> log;
  std::vector<Tracked*> originals;
  PointerList<Tracked> list;
  for (int i = 0; i < 1000; ++i) {
    originals.push_back(new Tracked(&log, i));
    ASSERT_TRUE(list.Add(originals.back()));
  }
  ASSERT_EQ(list.Count(), 1000);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(list.Get(i), originals[static_cast<size_t>(i)]);
    EXPECT_EQ(list.Get(i)->id, i);
  }
}

TEST(PointerListOwnership, DeleteAllDestroysFromLastToFirst) {
  std::vector<int> log;
  PointerList<Tracked> list;
  for (int i = 0; i < 4; ++i) list.Add(new Tracked(&log, i));
  list.DeleteAll();
  EXPECT_EQ(log, (std::vector<int>{3, 2, 1, 0}));
  EXPECT_EQ(list.Count(), 0);
}

TEST(PointerListOwnership, DestroyingTheListDestroysItsElements) {
  std::vector<int> log;
  {
    PointerList<Tracked> list;
    list.Add(new Tracked(&log, 7));
    list.Add(new Tracked(&log, 8));
  }
  EXPECT_EQ(log, (std::vector<int>{8, 7}));
}

TEST(PointerListEditing, InsertRemoveAndFindKeepTheOrder) {
  int a = 0, b = 0, c = 0;
  PointerList<int> list;
  list.Add(&a);
  list.Add(&c);
  list.Insert(1, &b);
  EXPECT_EQ(list.Find(&b), 1);
  EXPECT_EQ(list.Get(2), &c);
  EXPECT_EQ(list.Remove(0), &a);
  EXPECT_EQ(list.Find(&a), -1);
  EXPECT_EQ(list.Get(0), &b);
  list.Remove(0);
  list.Remove(0);
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
