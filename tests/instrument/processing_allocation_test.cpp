// Processing allocates nothing: counts heap allocations while the chimes play.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "instrument/tintinna.h"
#include "tests/instrument/chime_host.h"

namespace {

std::atomic<long> allocations{0};
thread_local bool counting = false;

void Count() {
  if (counting) allocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

// Every C++ allocation of the program passes here.
void* operator new(std::size_t size) {
  Count();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  Count();
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

// The C allocator too, where no sanitizer owns it.
#if !defined(__SANITIZE_ADDRESS__) && defined(__GLIBC__)
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

void* malloc(size_t size) {
  Count();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  Count();
  return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
  Count();
  return __libc_realloc(p, size);
}
void free(void* p) {
  if (p && counting) allocations.fetch_add(1, std::memory_order_relaxed);
  __libc_free(p);
}
}
#endif

namespace {

using chime_test::ChimeHost;

TEST(ProcessingAllocation, NoneWhileStrikingAndSendingControllers) {
  chime_test::OnFreshThread([] {
    ChimeHost host;
    host.Open();
    host.SetParameter(Tintinna::kWindSpeed, 1.0f);
    host.SetParameter(Tintinna::kWindVariation, 1.0f);
    host.SetParameter(Tintinna::kSensitivity, 0.0f);
    host.SetParameter(Tintinna::kNumberB, 0.5f);  // both controller outputs
    host.SetParameter(Tintinna::kClapSize, 1.0f);
    host.Process(512);  // the first call may set things up
    host.events.reserve(2'000'000);

    counting = true;
    for (int block = 0; block < 5000; ++block) host.Process(block % 3 ? 512 : 300);
    counting = false;

    long notes = 0, controllers = 0;
    for (const auto& e : host.events) (e.IsController() ? controllers : notes)++;
    EXPECT_GT(notes, 1000);
    EXPECT_GT(controllers, 100);
    EXPECT_EQ(allocations.load(), 0);
  });
}

}  // namespace
