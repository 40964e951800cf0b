// IEffectBase audio plumbing: channel declarations, scratch buffers, attaching the host's float
// or double buffers, and running one block.
#include "plug/effect_base.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

double* ScratchOf(HeapBuffer& scratch) noexcept {
  return static_cast<double*>(scratch.Data());
}

// Sizes a scratch buffer to frames zeros; false when memory could not be had.
bool SizeScratch(HeapBuffer& scratch, int frames) {
  const int64_t bytes = static_cast<int64_t>(frames) * static_cast<int64_t>(sizeof(double));
  if (frames < 0 || bytes > std::numeric_limits<int32_t>::max()) return false;
  scratch.Resize(static_cast<int32_t>(bytes), true);
  if (scratch.Size() != bytes) return false;
  if (bytes > 0) std::memset(scratch.Data(), 0, static_cast<size_t>(bytes));
  return true;
}

// Grows one side's channel list and pointer array to count. The array may move when it grows,
// so every slot is pointed at its entry afresh.
template <class Channel>
void GrowChannels(PointerList<Channel>& channels, HeapBuffer& pointers, int count, int blockSize) {
  count = std::max(count, channels.Count());
  if (count > std::numeric_limits<int32_t>::max() / static_cast<int>(sizeof(double*))) return;
  const int existing = channels.Count();
  if (!pointers.Resize(count * static_cast<int>(sizeof(double*)), false) && count > 0) return;
  for (int i = existing; i < count; ++i) {
    auto* channel = new (std::nothrow) Channel;
    // A channel whose scratch cannot hold a block would be overrun by the next one.
    if (!channel || !SizeScratch(channel->scratch, blockSize) || !channels.Add(channel)) {
      delete channel;
      break;
    }
  }
  pointers.Resize(channels.Count() * static_cast<int>(sizeof(double*)), false);
  auto** array = static_cast<double**>(pointers.Data());
  for (int i = 0; i < channels.Count(); ++i) {
    Channel* channel = channels.Get(i);
    channel->slot = &array[i];
    if (i >= existing) array[i] = ScratchOf(channel->scratch);
  }
}

template <class Channel>
void Connect(PointerList<Channel>& channels, int start, int count, bool connected) {
  const int64_t end = std::min<int64_t>(static_cast<int64_t>(start) + count, channels.Count());
  for (int64_t i = std::max(start, 0); i < end; ++i) {
    Channel* channel = channels.Get(static_cast<int32_t>(i));
    channel->connected = connected;
    if (connected) continue;
    // Nothing refreshes the scratch of an unconnected channel: whatever block it last held
    // would be replayed on every call, so it reads silence from now on.
    if (channel->scratch.Size() > 0)
      std::memset(channel->scratch.Data(), 0, static_cast<size_t>(channel->scratch.Size()));
    *channel->slot = ScratchOf(channel->scratch);
  }
}

}  // namespace

bool IEffectBase::LegalIO(int inputs, int outputs) const noexcept {
  for (int i = 0; i < channelIO_.Count(); ++i) {
    const ChannelIO* pair = channelIO_.Get(i);
    if ((inputs < 0 || inputs == pair->inputs) && (outputs < 0 || outputs == pair->outputs))
      return true;
  }
  return false;
}

void IEffectBase::AddChannelIO(int inputs, int outputs) {
  auto* pair = new (std::nothrow) ChannelIO{inputs, outputs};
  if (pair && !channelIO_.Add(pair)) delete pair;
}

void IEffectBase::PrepareChannels(int inputs, int outputs) {
  GrowChannels(inputChannels_, inputPointers_, inputs, blockSize_);
  GrowChannels(outputChannels_, outputPointers_, outputs, blockSize_);
  PrepareHostViews();
}

void IEffectBase::PrepareHostViews() {
  floatInputViews_.assign(static_cast<size_t>(InputCount()), nullptr);
  doubleInputViews_.assign(static_cast<size_t>(InputCount()), nullptr);
  floatOutputViews_.assign(static_cast<size_t>(OutputCount()), nullptr);
  doubleOutputViews_.assign(static_cast<size_t>(OutputCount()), nullptr);
  const size_t size = static_cast<size_t>(std::max(blockSize_, 0));
  silentFloat_.assign(size, 0.0f);
  ignoredFloat_.assign(size, 0.0f);
  silentDouble_.assign(size, 0.0);
  ignoredDouble_.assign(size, 0.0);
}

void IEffectBase::SetBlockSize(int frames) {
  if (frames == blockSize_ || frames < 0 || frames > kMaxBlockSize) return;
  bool sized = true;
  for (int i = 0; i < InputCount(); ++i)
    sized = SizeScratch(inputChannels_.Get(i)->scratch, frames) && sized;
  for (int i = 0; i < OutputCount(); ++i)
    sized = SizeScratch(outputChannels_.Get(i)->scratch, frames) && sized;
  if (!sized) {
    // Some channel could not hold the block: process nothing rather than overrun it.
    frames = 0;
    for (int i = 0; i < InputCount(); ++i) SizeScratch(inputChannels_.Get(i)->scratch, 0);
    for (int i = 0; i < OutputCount(); ++i) SizeScratch(outputChannels_.Get(i)->scratch, 0);
  }
  blockSize_ = frames;
  PrepareHostViews();
  // The scratch buffers may have moved; no slot may keep pointing at the old ones.
  for (int i = 0; i < InputCount(); ++i) {
    InputChannel* channel = inputChannels_.Get(i);
    *channel->slot = ScratchOf(channel->scratch);
  }
  for (int i = 0; i < OutputCount(); ++i) {
    OutputChannel* channel = outputChannels_.Get(i);
    *channel->slot = ScratchOf(channel->scratch);
  }
}

void IEffectBase::SetInputConnections(int start, int count, bool connected) {
  Connect(inputChannels_, start, count, connected);
}

void IEffectBase::SetOutputConnections(int start, int count, bool connected) {
  Connect(outputChannels_, start, count, connected);
}

int IEffectBase::FramesThisBlock(int frames) const noexcept {
  return std::clamp(frames, 0, blockSize_);
}

void IEffectBase::AttachInputs(float** hostBuffers, int frames) {
  const int n = FramesThisBlock(frames);
  int next = 0;
  for (int i = 0; i < InputCount(); ++i) {
    InputChannel* channel = inputChannels_.Get(i);
    if (!channel->connected) continue;
    const float* source = hostBuffers ? hostBuffers[next] : nullptr;
    ++next;
    double* scratch = ScratchOf(channel->scratch);
    if (scratch) {
      if (source)
        std::copy_n(source, n, scratch);
      else
        std::fill_n(scratch, n, 0.0);
    }
    *channel->slot = scratch;
  }
}

void IEffectBase::AttachInputs(double** hostBuffers) {
  int next = 0;
  for (int i = 0; i < InputCount(); ++i) {
    InputChannel* channel = inputChannels_.Get(i);
    if (!channel->connected) continue;
    double* source = hostBuffers ? hostBuffers[next] : nullptr;
    ++next;
    *channel->slot = source ? source : ScratchOf(channel->scratch);
  }
}

void IEffectBase::AttachOutputs(float** hostBuffers) {
  int next = 0;
  for (int i = 0; i < OutputCount(); ++i) {
    OutputChannel* channel = outputChannels_.Get(i);
    if (!channel->connected) continue;
    channel->destination = hostBuffers ? hostBuffers[next] : nullptr;
    ++next;
    *channel->slot = ScratchOf(channel->scratch);
  }
}

void IEffectBase::AttachOutputs(double** hostBuffers) {
  int next = 0;
  for (int i = 0; i < OutputCount(); ++i) {
    OutputChannel* channel = outputChannels_.Get(i);
    if (!channel->connected) continue;
    double* destination = hostBuffers ? hostBuffers[next] : nullptr;
    ++next;
    channel->destination = nullptr;
    *channel->slot = destination ? destination : ScratchOf(channel->scratch);
  }
}

void IEffectBase::RunBlock(int frames) {
  const int n = FramesThisBlock(frames);
  ProcessBlock(InputPointers(), OutputPointers(), n);
  for (int i = 0; i < OutputCount(); ++i) {
    OutputChannel* channel = outputChannels_.Get(i);
    if (!channel->connected || !channel->destination) continue;
    const double* scratch = ScratchOf(channel->scratch);
    for (int f = 0; f < n; ++f) channel->destination[f] = static_cast<float>(scratch[f]);
    // Frames beyond the block size were never processed: they are silence, not stale data.
    for (int f = n; f < frames; ++f) channel->destination[f] = 0.0f;
  }
}

void IEffectBase::RunBlockAccumulating(int frames) {
  const int n = FramesThisBlock(frames);
  ProcessBlock(InputPointers(), OutputPointers(), n);
  for (int i = 0; i < OutputCount(); ++i) {
    OutputChannel* channel = outputChannels_.Get(i);
    if (!channel->connected || !channel->destination) continue;
    const double* scratch = ScratchOf(channel->scratch);
    for (int f = 0; f < n; ++f) channel->destination[f] += static_cast<float>(scratch[f]);
  }
}

void IEffectBase::RunBlockDouble(int frames) {
  const int n = FramesThisBlock(frames);
  ProcessBlock(InputPointers(), OutputPointers(), n);
  for (int i = 0; i < OutputCount(); ++i) {
    OutputChannel* channel = outputChannels_.Get(i);
    double* destination = *channel->slot;
    if (!channel->connected || !destination || destination == ScratchOf(channel->scratch)) continue;
    std::fill(destination + n, destination + std::max(n, frames), 0.0);
  }
}

void IEffectBase::PassThroughAudio(double** inputs, double** outputs, int frames) {
  if (!outputs || frames <= 0) return;
  const int matched = std::min(InputCount(), OutputCount());
  for (int c = 0; c < OutputCount(); ++c) {
    double* out = outputs[c];
    if (!out) continue;
    const double* in = (c < matched && inputs) ? inputs[c] : nullptr;
    if (!in)
      std::fill_n(out, frames, 0.0);
    else if (in != out)
      std::memmove(out, in, static_cast<size_t>(frames) * sizeof(double));
  }
}

int32_t IEffectBase::NextSlice(int32_t start, int32_t frames, int32_t& nextChange) {
  if (nextChange <= start) nextChange = std::max(ApplyHostChangesAt(start), start + 1);
  return std::min({static_cast<int32_t>(blockSize_), frames - start, nextChange - start});
}

// A host may pass more frames than the block size it announced; the scratch buffers hold only a
// block, so such a call runs as consecutive slices, each seen by the instrument as one block.
void IEffectBase::RunFloatCall(float** inputs, float** outputs, int32_t frames, bool accumulate) {
  if (blockSize_ <= 0 || frames <= 0 || silentFloat_.size() < static_cast<size_t>(blockSize_))
    return;
  processing_ = true;
  int32_t nextChange = 0;
  for (int32_t start = 0, count = 0; start < frames; start += count) {
    count = NextSlice(start, frames, nextChange);
    for (int i = 0; i < InputCount(); ++i) {
      float* host = inputs ? inputs[i] : nullptr;
      floatInputViews_[i] = host ? host + start : silentFloat_.data();
    }
    for (int i = 0; i < OutputCount(); ++i) {
      float* host = outputs ? outputs[i] : nullptr;
      floatOutputViews_[i] = host ? host + start : ignoredFloat_.data();
    }
    sliceOffset_ = start;
    AttachInputs(floatInputViews_.data(), count);
    AttachOutputs(floatOutputViews_.data());
    if (accumulate)
      RunBlockAccumulating(count);
    else
      RunBlock(count);
  }
}

void IEffectBase::RunDoubleCall(double** inputs, double** outputs, int32_t frames) {
  // Unconnected channels point at block-size scratch, so double calls are sliced as well.
  if (blockSize_ <= 0 || frames <= 0 || silentDouble_.size() < static_cast<size_t>(blockSize_))
    return;
  processing_ = true;
  int32_t nextChange = 0;
  for (int32_t start = 0, count = 0; start < frames; start += count) {
    count = NextSlice(start, frames, nextChange);
    bool silenceShared = false;
    for (int i = 0; i < InputCount(); ++i) {
      double* host = inputs ? inputs[i] : nullptr;
      silenceShared = silenceShared || !host;
      doubleInputViews_[i] = host ? host + start : silentDouble_.data();
    }
    for (int i = 0; i < OutputCount(); ++i) {
      double* host = outputs ? outputs[i] : nullptr;
      doubleOutputViews_[i] = host ? host + start : ignoredDouble_.data();
    }
    sliceOffset_ = start;
    AttachInputs(doubleInputViews_.data());
    AttachOutputs(doubleOutputViews_.data());
    RunBlockDouble(count);
    // The instrument sees the stand-in directly; keep it silent for the next slice.
    if (silenceShared) std::fill_n(silentDouble_.begin(), count, 0.0);
  }
}

std::span<const EventQueue::Event> IEffectBase::EndProcessCall(int32_t frames) {
  // From here on, whatever the host passes in (even from inside the adapter's delivery) is for
  // the next call.
  processing_ = false;
  sliceOffset_ = 0;
  if (events_.Idle()) return {};
  return events_.TakeDue(frames);
}

bool IEffectBase::SendMidiMessage(const IMidiMessage& message) {
  return events_.AddMidi(int64_t{sliceOffset_} + message.offset, message.status, message.data1,
                         message.data2, !processing_);
}

bool IEffectBase::SendMidiMessages(const HeapBuffer& messages) {
  const auto* list = static_cast<const IMidiMessage*>(messages.Data());
  const int32_t count = messages.Size() / static_cast<int32_t>(sizeof(IMidiMessage));
  bool sent = true;
  for (int32_t i = 0; i < count; ++i) sent = SendMidiMessage(list[i]) && sent;
  return sent;
}
