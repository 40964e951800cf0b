// Blit, fill and decode speeds on the editor's real sizes, beside memcpy and pixman's OVER.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <array>
#include <cstring>
#include <memory>

#include "raster/blit.h"
#include "raster/dib_bitmap.h"
#include "raster/memory_bitmap.h"
#include "raster/png_loader.h"

namespace {

struct Sprite {
  const char* name;
  int32_t id;
  int32_t frameHeight;  // the part blitted: one frame of a strip
};

constexpr std::array kSprites = {
    Sprite{"background 800x400", 104, 400}, Sprite{"dial frame 99x100", 105, 100},
    Sprite{"fader track 150x22", 109, 22},  Sprite{"fader handle 36x21", 103, 21},
    Sprite{"lamp frame 14x14", 110, 14},
};

// The skin images and an 800 × 400 drawing surface, made once.
struct Scene {
  Scene() : surface(800, 400) {
    for (size_t i = 0; i < kSprites.size(); ++i) {
      images[i].reset(LoadPngFromResource(nullptr, kSprites[i].id, nullptr));
    }
    FillRect(&surface, 0, 0, 800, 400, 0xFF203040, 1.0f, 0);
  }
  DibBitmap surface;
  std::array<std::unique_ptr<RasterBitmap>, kSprites.size()> images;
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

RasterBitmap& SpriteImage(const benchmark::State& state) {
  return *TheScene().images[static_cast<size_t>(state.range(0))];
}

void Label(benchmark::State& state) {
  const Sprite& sprite = kSprites[static_cast<size_t>(state.range(0))];
  state.SetLabel(sprite.name);
  const RasterBitmap& image = SpriteImage(state);
  state.SetItemsProcessed(state.iterations() * image.GetWidth() * sprite.frameHeight);
}

void BlitCopy(benchmark::State& state) {
  Scene& scene = TheScene();
  RasterBitmap& image = SpriteImage(state);
  const int32_t h = kSprites[static_cast<size_t>(state.range(0))].frameHeight;
  for (auto _ : state) {
    BlitRect(&scene.surface, &image, 0, 0, 0, 0, image.GetWidth(), h, 1.0f, 0);
    benchmark::ClobberMemory();
  }
  Label(state);
}

void MemcpyRows(benchmark::State& state) {
  Scene& scene = TheScene();
  RasterBitmap& image = SpriteImage(state);
  const int32_t h = kSprites[static_cast<size_t>(state.range(0))].frameHeight;
  const size_t bytes = static_cast<size_t>(image.GetWidth()) * 4;
  for (auto _ : state) {
    for (int32_t y = 0; y < h; ++y) {
      std::memcpy(scene.surface.GetBits() + y * scene.surface.GetRowSpan(),
                  image.GetBits() + y * image.GetRowSpan(), bytes);
    }
    benchmark::ClobberMemory();
  }
  Label(state);
}

void BlitSourceAlpha(benchmark::State& state) {
  Scene& scene = TheScene();
  RasterBitmap& image = SpriteImage(state);
  const int32_t h = kSprites[static_cast<size_t>(state.range(0))].frameHeight;
  const float weight = static_cast<float>(state.range(1)) / 100.0f;
  for (auto _ : state) {
    BlitRect(&scene.surface, &image, 0, 0, 0, 0, image.GetWidth(), h, weight, 0x10000);
    benchmark::ClobberMemory();
  }
  Label(state);
}

pixman_image_t* Wrap(RasterBitmap& bitmap, int32_t height) {
  return pixman_image_create_bits(PIXMAN_a8r8g8b8, bitmap.GetWidth(), height, bitmap.GetBits(),
                                  bitmap.GetRowSpan() * 4);
}

// pixman's OVER on the same pixels (it reads them as premultiplied, which changes the colours but
// not the work), at full weight or through a constant mask for 0.25.
void PixmanOver(benchmark::State& state) {
  Scene& scene = TheScene();
  RasterBitmap& image = SpriteImage(state);
  const int32_t h = kSprites[static_cast<size_t>(state.range(0))].frameHeight;
  pixman_image_t* src = Wrap(image, h);
  pixman_image_t* dst = Wrap(scene.surface, scene.surface.GetHeight());
  pixman_image_t* mask = nullptr;
  if (state.range(1) != 100) {
    const pixman_color_t quarter{0, 0, 0, static_cast<uint16_t>(0xFFFF * state.range(1) / 100)};
    mask = pixman_image_create_solid_fill(&quarter);
  }
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, 0, 0, image.GetWidth(), h);
    benchmark::ClobberMemory();
  }
  if (mask != nullptr) pixman_image_unref(mask);
  pixman_image_unref(src);
  pixman_image_unref(dst);
  Label(state);
}

void Fill(benchmark::State& state) {
  Scene& scene = TheScene();
  const float weight = static_cast<float>(state.range(0)) / 100.0f;
  for (auto _ : state) {
    FillRect(&scene.surface, 0, 0, 800, 400, 0xFF806040, weight, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 800 * 400);
}

void DecodeWholeSkin(benchmark::State& state) {
  for (auto _ : state) {
    for (int32_t id = 100; id <= 112; ++id) {
      std::unique_ptr<RasterBitmap> image(LoadPngFromResource(nullptr, id, nullptr));
      benchmark::DoNotOptimize(image.get());
    }
  }
}

void SpriteArgs(benchmark::internal::Benchmark* b) {
  for (int64_t i = 0; i < static_cast<int64_t>(kSprites.size()); ++i) b->Arg(i);
}

void SpriteWeightArgs(benchmark::internal::Benchmark* b) {
  for (int64_t i = 0; i < static_cast<int64_t>(kSprites.size()); ++i) {
    b->Args({i, 100});
    b->Args({i, 25});
  }
}

}  // namespace

BENCHMARK(MemcpyRows)->Apply(SpriteArgs);
BENCHMARK(BlitCopy)->Apply(SpriteArgs);
BENCHMARK(BlitSourceAlpha)->Apply(SpriteWeightArgs);
BENCHMARK(PixmanOver)->Apply(SpriteWeightArgs);
BENCHMARK(Fill)->Arg(100)->Arg(75)->Arg(50)->Arg(30);
BENCHMARK(DecodeWholeSkin)->Unit(benchmark::kMillisecond);
