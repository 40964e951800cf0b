// The process-wide cache of decoded skin images.
#include "graphics/image_cache.h"

#include "raster/raster_bitmap.h"

ImageCache& ImageCache::Instance() {
  // Built on first use and destroyed with the library's other statics at unload.
  static ImageCache cache;
  return cache;
}

ImageCache::~ImageCache() {
  // Bitmaps first, in list order; the list then deletes the records from last to first.
  for (int32_t i = 0; i < entries_.Count(); ++i) {
    delete entries_.Get(i)->bitmap;
    entries_.Get(i)->bitmap = nullptr;
  }
  entries_.DeleteAll();
}

RasterBitmap* ImageCache::Find(int32_t key) {
  ScopedLock guard(&lock_);
  for (int32_t i = 0; i < entries_.Count(); ++i) {
    Entry* entry = entries_.Get(i);
    if (entry->key == key) return entry->bitmap;
  }
  return nullptr;
}

bool ImageCache::Add(int32_t key, RasterBitmap* bitmap) {
  if (!bitmap) return false;
  ScopedLock guard(&lock_);
  for (int32_t i = 0; i < entries_.Count(); ++i)
    if (entries_.Get(i)->bitmap == bitmap) return true;
  auto* entry = new Entry{key, bitmap};
  if (entries_.Add(entry)) return true;
  delete entry;
  return false;
}

bool ImageCache::Release(const RasterBitmap* bitmap) {
  if (!bitmap) return false;
  Entry* found = nullptr;
  {
    ScopedLock guard(&lock_);
    for (int32_t i = 0; i < entries_.Count(); ++i) {
      if (entries_.Get(i)->bitmap == bitmap) {
        found = entries_.Remove(i);
        break;
      }
    }
  }
  if (!found) return false;
  delete found->bitmap;
  delete found;
  return true;
}

int32_t ImageCache::Count() {
  ScopedLock guard(&lock_);
  return entries_.Count();
}
