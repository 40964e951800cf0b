// The process-wide cache of decoded skin images, shared by every editor of the library.
#pragma once

#include <cstdint>

#include "plug/mutex.h"
#include "plug/pointer_list.h"

class RasterBitmap;

// Owns every bitmap it holds. Each operation takes the cache's own lock separately, so any
// thread may call it; nothing else in the editor is locked by it. The cache is emptied when
// the library is unloaded (the destructor of the single instance), without taking the lock.
class ImageCache {
 public:
  // Key of images derived by scaling or cropping, which are never looked up.
  static constexpr int32_t kDerivedKey = -1;

  static ImageCache& Instance();

  ImageCache() = default;
  ~ImageCache();
  ImageCache(const ImageCache&) = delete;
  ImageCache& operator=(const ImageCache&) = delete;

  // [locked] The bitmap of the first entry with this key, or null.
  RasterBitmap* Find(int32_t key);
  // [locked] Appends an entry and takes ownership of bitmap. A bitmap the cache already holds
  // is not added twice (it would be deleted twice). False when the entry could not be stored;
  // the caller then still owns the bitmap.
  bool Add(int32_t key, RasterBitmap* bitmap);
  // [locked] Removes and deletes the first entry holding bitmap; false when none does.
  bool Release(const RasterBitmap* bitmap);
  // [locked]
  int32_t Count();

 private:
  struct Entry {
    int32_t key;
    RasterBitmap* bitmap;
  };

  PointerList<Entry> entries_;
  IMutex lock_;
};
