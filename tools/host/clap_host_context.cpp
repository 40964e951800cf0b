// The CLAP host record: identity, requests, and the params, state, note-port, log and
// thread-check extensions.
#include "tools/host/clap_host_context.h"

#include <cstdio>
#include <cstring>

namespace host {

namespace {

constexpr uint32_t kDialects = clap::kNoteDialectClap | clap::kNoteDialectMidi;

}  // namespace

ClapHostContext::ClapHostContext()
    : record_{clap::kVersion,
              this,
              "tintinna-host",
              "Tintinna",
              "",
              "1.0.0",
              [](const clap::Host* h, const char* id) { return Of(h).Extension(id); },
              [](const clap::Host*) {},
              [](const clap::Host*) {},
              [](const clap::Host* h) { Of(h).callbackRequested_ = true; }} {
  static constexpr clap::HostParams kParams{[](const clap::Host* h, uint32_t) { ++Of(h).rescans_; },
                                            [](const clap::Host*, clap::Id, uint32_t) {},
                                            [](const clap::Host* h) {
                                              ++Of(h).flushRequests_;
                                              Of(h).flushRequested_ = true;
                                            }};
  static constexpr clap::HostState kState{[](const clap::Host*) {}};
  static constexpr clap::HostNotePorts kNotePorts{[](const clap::Host*) { return kDialects; },
                                                  [](const clap::Host*, uint32_t) {}};
  static constexpr clap::HostLatency kLatency{[](const clap::Host*) {}};
  static constexpr clap::HostLog kLog{[](const clap::Host*, int32_t severity, const char* text) {
    // Warnings and worse only: a plug-in's chatter would bury the run's own output.
    if (severity >= clap::kLogWarning && text) std::fprintf(stderr, "plug-in log: %s\n", text);
  }};
  static constexpr clap::HostThreadCheck kThreadCheck{
      [](const clap::Host* h) { return !Of(h).processing_.load(); },
      [](const clap::Host* h) { return Of(h).processing_.load(); }};
  extensions_ = {{clap::kExtParams, &kParams},
                 {clap::kExtState, &kState},
                 {clap::kExtNotePorts, &kNotePorts},
                 {clap::kExtLatency, &kLatency},
                 {clap::kExtLog, &kLog},
                 {clap::kExtThreadCheck, &kThreadCheck}};
}

void ClapHostContext::Offer(const char* id, const void* table) {
  for (auto& [name, entry] : extensions_) {
    if (name == id) {
      entry = table;
      return;
    }
  }
  extensions_.emplace_back(id, table);
}

const void* ClapHostContext::Extension(const char* id) const {
  if (!id) return nullptr;
  for (const auto& [name, table] : extensions_) {
    if (name == id) return table;
  }
  return nullptr;
}

}  // namespace host
