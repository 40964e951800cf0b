// The host record a CLAP plug-in is created with, and the host extensions it may ask for.
#pragma once

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "plug/clap_abi.h"

namespace host {

// One per plug-in instance, outliving it. This host runs the plug-in on one thread, which is the
// main thread except inside a processing call, where it is the audio thread. Requests from the
// plug-in are counted; the instance answers them on its next main-thread step.
class ClapHostContext {
 public:
  ClapHostContext();
  ClapHostContext(const ClapHostContext&) = delete;
  ClapHostContext& operator=(const ClapHostContext&) = delete;

  const clap::Host* Record() const noexcept { return &record_; }
  // Offers (or replaces) an extension table under id, such as a GUI loop's timer and fd support;
  // the table must outlive the plug-in.
  void Offer(const char* id, const void* table);
  // [main] Brackets a processing call, for the thread check.
  void SetProcessing(bool processing) noexcept { processing_ = processing; }

  // What the plug-in asked for since the last Take (each any number of times).
  bool TakeCallbackRequest() noexcept { return callbackRequested_.exchange(false); }
  bool TakeFlushRequest() noexcept { return flushRequested_.exchange(false); }
  int Rescans() const noexcept { return rescans_; }
  int FlushRequests() const noexcept { return flushRequests_; }

 private:
  static ClapHostContext& Of(const clap::Host* host) {
    return *static_cast<ClapHostContext*>(host->host_data);
  }
  const void* Extension(const char* id) const;

  clap::Host record_;
  std::vector<std::pair<std::string, const void*>> extensions_;
  std::atomic<bool> processing_{false};
  std::atomic<bool> callbackRequested_{false};
  std::atomic<bool> flushRequested_{false};
  std::atomic<int> flushRequests_{0};
  int rescans_ = 0;
};

}  // namespace host
