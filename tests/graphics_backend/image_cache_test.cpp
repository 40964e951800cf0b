// Tests of the process-wide image cache and of the back end's image operations that use it.
#include "graphics/image_cache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "raster/memory_bitmap.h"
#include "tests/graphics_backend/test_editor.h"

namespace {

// The cache is shared by the whole test program: every test uses ids of its own.

TEST(ImageCache, LoadingAnIdTwiceDecodesItOnceAndReturnsTheSameBitmap) {
  TestEditor editor;
  editor.AddFakeImage(9001, 10, 20);
  const IImage first = editor.LoadSkinImage(9001, "img/a.png", 1);
  const IImage second = editor.LoadSkinImage(9001, "img/a.png", 1);
  EXPECT_EQ(editor.loads, 1);
  ASSERT_NE(first.bitmap, nullptr);
  EXPECT_EQ(first.bitmap, second.bitmap);
  EXPECT_EQ(second.width, 10);
  EXPECT_EQ(second.height, 20);
}

TEST(ImageCache, TheFrameCountBelongsToEachLoadNotToTheCache) {
  TestEditor editor;
  editor.AddFakeImage(9002, 10, 20);
  const IImage strip = editor.LoadSkinImage(9002, "img/b.png", 2);
  const IImage single = editor.LoadSkinImage(9002, "img/b.png", 1);
  EXPECT_EQ(strip.bitmap, single.bitmap);
  EXPECT_EQ(strip.frames, 2);
  EXPECT_EQ(single.frames, 1);
}

TEST(ImageCache, TwoNamesWithOneIdShareOneImageAcrossEditors) {
  TestEditor first, second;
  first.AddFakeImage(9003, 4, 4);
  second.AddFakeImage(9003, 8, 8);
  const IImage a = first.LoadSkinImage(9003, "img/one.png", 1);
  const IImage b = second.LoadSkinImage(9003, "img/two.png", 1);
  EXPECT_EQ(a.bitmap, b.bitmap);
  EXPECT_EQ(second.loads, 0);
  EXPECT_EQ(b.width, 4);
}

TEST(ImageCache, ReleasingAnImageTheCacheDoesNotHoldChangesNothing) {
  TestEditor editor;
  editor.AddFakeImage(9004, 4, 4);
  const IImage cached = editor.LoadSkinImage(9004, "img/c.png", 1);
  const int32_t before = ImageCache::Instance().Count();
  MemoryBitmap foreign(3, 3, 4);
  editor.ReleaseImage(IImage{&foreign, 3, 3, 1});
  editor.ReleaseImage(IImage{nullptr, 0, 0, 1});
  EXPECT_EQ(ImageCache::Instance().Count(), before);
  EXPECT_EQ(ImageCache::Instance().Find(9004), cached.bitmap);
  EXPECT_EQ(foreign.GetWidth(), 3);  // still alive and untouched
}

TEST(ImageCache, ReleasingACachedImageMakesTheNextLoadDecodeAgain) {
  TestEditor editor;
  editor.AddFakeImage(9005, 4, 4);
  const IImage image = editor.LoadSkinImage(9005, "img/d.png", 1);
  const int32_t before = ImageCache::Instance().Count();
  editor.ReleaseImage(image);
  EXPECT_EQ(ImageCache::Instance().Count(), before - 1);
  EXPECT_EQ(ImageCache::Instance().Find(9005), nullptr);
  editor.LoadSkinImage(9005, "img/d.png", 1);
  EXPECT_EQ(editor.loads, 2);
}

TEST(ImageCache, KeepingAnImageTwiceOwnsItOnce) {
  TestEditor editor;
  auto* bitmap = new MemoryBitmap(2, 2, 4);
  const IImage image{bitmap, 2, 2, 1};
  const int32_t before = ImageCache::Instance().Count();
  editor.KeepImage(image);
  editor.KeepImage(image);
  EXPECT_EQ(ImageCache::Instance().Count(), before + 1);
  editor.ReleaseImage(image);  // deletes it; a second owner would delete it again at exit
  EXPECT_EQ(ImageCache::Instance().Count(), before);
}

TEST(ImageCache, MissingResourceIsAProgrammingError) {
  TestEditor editor;
  EXPECT_DEBUG_DEATH(
      {
        const IImage image = editor.LoadSkinImage(9006, "img/missing.png", 3);
        EXPECT_EQ(image.bitmap, nullptr);
        EXPECT_EQ(image.frames, 3);
      },
      "imgResourceFound");
  EXPECT_EQ(ImageCache::Instance().Find(9006), nullptr);
}

TEST(ImageCache, ConcurrentLoadsOfOneIdAllSeeAnImageAndTheCacheStaysWhole) {
  std::atomic<int> nonNull{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&nonNull, t] {
      TestEditor editor(4, 4);
      editor.AddFakeImage(9100 + t % 2, 4, 4);
      for (int i = 0; i < 50; ++i)
        if (editor.LoadSkinImage(9100 + t % 2, "img/race.png", 1).bitmap) ++nonNull;
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(nonNull.load(), 200);
  EXPECT_NE(ImageCache::Instance().Find(9100), nullptr);
  EXPECT_NE(ImageCache::Instance().Find(9101), nullptr);
}

// ---- Derived images ----------------------------------------------------------------------------

TEST(CropImage, CopiesTheRectangleIntoANewCachedImage) {
  TestEditor editor;
  std::unique_ptr<MemoryBitmap> source(MakeCoordinateBitmap(8, 8));
  const int32_t before = ImageCache::Instance().Count();
  const IImage cropped = editor.CropImage(IImage{source.get(), 8, 8, 2}, {2, 3, 6, 8});
  ASSERT_NE(cropped.bitmap, nullptr);
  EXPECT_EQ(ImageCache::Instance().Count(), before + 1);
  EXPECT_EQ(cropped.width, 4);
  EXPECT_EQ(cropped.height, 5);
  EXPECT_EQ(cropped.frames, 2);
  const uint32_t* bits = cropped.bitmap->GetBits();
  EXPECT_EQ(bits[0], 0xFF020340u);
  EXPECT_EQ(bits[4 * cropped.bitmap->GetRowSpan() + 3], 0xFF050740u);
  editor.ReleaseImage(cropped);
}

TEST(ScaleImage, StretchesTheWholeImageIntoTheNewSize) {
  TestEditor editor;
  // Two columns: left red, right blue.
  MemoryBitmap source(2, 1, 4);
  source.GetBits()[0] = 0xFFFF0000u;
  source.GetBits()[1] = 0xFF0000FFu;
  const IImage scaled = editor.ScaleImage(IImage{&source, 2, 1, 1}, 8, 2);
  ASSERT_NE(scaled.bitmap, nullptr);
  EXPECT_EQ(scaled.width, 8);
  EXPECT_EQ(scaled.height, 2);
  const uint32_t* bits = scaled.bitmap->GetBits();
  const int32_t span = scaled.bitmap->GetRowSpan();
  // The outer columns keep the pure colours; the middle is filtered between them.
  EXPECT_EQ(bits[0], 0xFFFF0000u);
  EXPECT_EQ(bits[span + 7], 0xFF0000FFu);
  const uint32_t middle = bits[3];
  EXPECT_GT(middle >> 16 & 0xFF, 0u);
  EXPECT_GT(middle & 0xFF, 0u);
  EXPECT_EQ(middle >> 24, 0xFFu);
  editor.ReleaseImage(scaled);
}

}  // namespace
