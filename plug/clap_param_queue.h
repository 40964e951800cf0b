// Parameter events bound for a CLAP host: the editor's gestures and values between calls, and
// the values the instrument changes itself inside one, in the order they happened.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Bounded, sized at construction; nothing allocates afterwards. Gestures stay balanced whatever
// the host does: a begin is taken only while the queue keeps room for every end it may still
// owe, an end only after its begin was taken. Values stop short of the room kept for gestures: a
// value that finds no room marks its parameter stale instead, and the adapter sends the
// parameter's value of the moment after the rest.
// Not locked itself: the adapter holds the plug-in's lock around every use.
class ClapParamQueue {
 public:
  enum class Kind : uint8_t { kBegin, kValue, kEnd };
  struct Entry {
    uint32_t frame = 0;
    Kind kind = Kind::kValue;
    uint32_t param = 0;
    double value = 0.0;  // plain, kValue only
  };
  static constexpr int kCapacity = 2048;

  explicit ClapParamQueue(int parameterCount);
  ClapParamQueue(const ClapParamQueue&) = delete;
  ClapParamQueue& operator=(const ClapParamQueue&) = delete;

  // Bad parameter numbers are ignored. Frames never go below an earlier entry's.
  void Begin(int param, uint32_t frame = 0);
  void Value(int param, double value, uint32_t frame = 0);
  void End(int param, uint32_t frame = 0);

  std::span<const Entry> Entries() const noexcept { return {entries_.data(), count_}; }
  // Parameters whose last value found no room; cleared with the entries.
  bool IsStale(int param) const noexcept;
  bool AnyStale() const noexcept { return staleCount_ > 0; }
  // The host has its copy; open gestures stay open.
  void Clear() noexcept;

 private:
  bool Valid(int param) const noexcept;
  void Push(Kind kind, int param, double value, uint32_t frame) noexcept;

  std::vector<Entry> entries_;
  size_t count_ = 0;
  std::vector<uint8_t> open_;   // per parameter: the host was told of a begin without its end
  std::vector<uint8_t> stale_;  // per parameter: a value was dropped for want of room
  int openCount_ = 0;
  int staleCount_ = 0;
};
