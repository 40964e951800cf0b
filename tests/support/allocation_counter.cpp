// The replaced allocator behind allocation_counter: counts on threads that asked for it.
#include "tests/support/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool counting = false;
thread_local long allocations = 0;
thread_local bool failingC = false;

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && defined(__GLIBC__)
constexpr bool kReplacesC = true;
extern "C" void* __libc_malloc(size_t);
void* RawMalloc(std::size_t size) noexcept {
  return __libc_malloc(size);
}
#else
constexpr bool kReplacesC = false;
void* RawMalloc(std::size_t size) noexcept {
  return std::malloc(size);
}
#endif

void Count() noexcept {
  if (counting) ++allocations;
}

void* Allocate(std::size_t size) noexcept {
  Count();
  return RawMalloc(size ? size : 1);
}

}  // namespace

namespace allocation_counter {

void Start() {
  allocations = 0;
  counting = true;
}

long Stop() {
  counting = false;
  return allocations;
}

bool CanFailCAllocations() {
  return kReplacesC;
}

void FailCAllocations(bool fail) {
  failingC = fail;
}

}  // namespace allocation_counter

// Every form is replaced so that new and delete always pair up under the sanitizers.
void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
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
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}

// The C allocator too, where no sanitizer owns it.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && defined(__GLIBC__)
extern "C" {
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

void* malloc(size_t size) {
  if (failingC) return nullptr;
  Count();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  if (failingC) return nullptr;
  Count();
  return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
  if (failingC) return nullptr;
  Count();
  return __libc_realloc(p, size);
}
void free(void* p) {
  if (p) Count();
  __libc_free(p);
}
}
#endif
