// The per-call event queue: its reserve, owed note-offs, suspends and SysEx storage.
#include "plug/event_queue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;
constexpr int kOpen = EventQueue::kCapacity - EventQueue::kNoteOffReserve;

// One call's events: "status key @frame" for a short message, the bytes of a dump.
Texts Take(EventQueue& queue, int32_t frames) {
  Texts out;
  for (const EventQueue::Event& e : queue.TakeDue(frames)) {
    char text[32];
    std::snprintf(text, sizeof text, "%02X %d @%d", e.midi[0], e.midi[1], e.frame);
    out.push_back(
        e.kind == EventQueue::Kind::kSysex
            ? std::string(reinterpret_cast<const char*>(e.data), static_cast<size_t>(e.size))
            : text);
  }
  queue.Release();
  return out;
}

TEST(EventQueue, KeepsItsReserveForNoteOffsAndOwesEachThatFindsItFullToTheNextCalls) {
  EventQueue queue;
  while (queue.Size() < kOpen) queue.AddMidi(0, 0xB0, 1, 0, false);
  // Past the reserve's edge only note-offs come in, velocity-0 note-ons among them.
  EXPECT_FALSE(queue.AddMidi(0, 0x90, 60, 64, false));
  EXPECT_FALSE(queue.AddMidi(0, 0xB0, 60, 1, false));
  EXPECT_TRUE(queue.AddMidi(0, 0x91, 60, 0, false));
  while (queue.Size() < EventQueue::kCapacity) queue.AddMidi(0, 0x80, 1, 0, false);
  // Full: two note-offs for each of 100 keys are owed, none merged, and follow the call's own
  // events at its last frame as far as its list has room; the rest go out in the next call.
  for (int k = 0; k < 200; ++k) EXPECT_TRUE(queue.AddMidi(0, 0x82, k % 100, 0, false));
  EXPECT_EQ(queue.Dropped(), 2);
  const Texts first = Take(queue, 64);
  ASSERT_EQ(first.size(), size_t{EventQueue::kCapacity + EventQueue::kOwedPerCall});
  EXPECT_EQ(first[kOpen], "91 60 @0");
  EXPECT_EQ(first[EventQueue::kCapacity], "82 0 @63");
  EXPECT_EQ(first.back(), "82 63 @63");
  const Texts second = Take(queue, 64);
  ASSERT_EQ(second.size(), 72u);
  EXPECT_EQ(second.front(), "82 64 @63");
  EXPECT_EQ(second.back(), "82 99 @63");
  EXPECT_TRUE(Take(queue, 64).empty());
}

TEST(EventQueue, HoldsAnOwedNoteOffWhileANoteOnOfItsKeyWaitsForALaterCall) {
  EventQueue queue;
  queue.AddMidi(100, 0x93, 60, 90, false);
  while (queue.Size() < EventQueue::kCapacity)
    queue.AddMidi(1 << 20, queue.Size() < kOpen ? 0xB0 : 0x80, 1, 0, false);
  queue.AddMidi(100, 0x83, 60, 0, false);
  queue.AddMidi(100, 0x83, 61, 0, false);
  EXPECT_EQ(Take(queue, 64), (Texts{"83 61 @63"}));
  EXPECT_EQ(Take(queue, 64), (Texts{"93 60 @36", "83 60 @63"}));
}

TEST(EventQueue, AfterASuspendPlaysNoHeldNoteAndSendsTheHeldNoteOffsInTheFirstCall) {
  EventQueue queue;
  for (const int status : {0x90, 0x80, 0x91, 0xB0})
    queue.AddMidi(5000, static_cast<uint8_t>(status), 60, status == 0x90 ? 90 : 0, false);
  queue.Suspend();
  EXPECT_EQ(Take(queue, 64), (Texts{"80 60 @63", "81 60 @63"}));
  EXPECT_EQ(queue.Size(), 1) << "the controller keeps its time";
}

TEST(EventQueue, CopiesSysExDumpsAndReusesTheirStorageOnceDelivered) {
  EventQueue queue;
  std::string bytes;  // the host's memory, changed after every call
  const auto add = [&](char fill, size_t size) {
    bytes.assign(size, fill);
    return queue.AddSysex(3, bytes.data(), static_cast<int32_t>(size));
  };
  const size_t half = EventQueue::kSysexBytes / 2;
  for (const char fill : {'a', 'c'}) {  // the second round fits only where the first one was
    EXPECT_TRUE(add(fill, half));
    EXPECT_TRUE(add(static_cast<char>(fill + 1), half));
    EXPECT_FALSE(add('x', 1)) << "the storage is full";
    EXPECT_EQ(Take(queue, 64), (Texts{std::string(half, fill), std::string(half, fill + 1)}));
  }
  EXPECT_EQ(queue.Dropped(), 2);
}

}  // namespace
