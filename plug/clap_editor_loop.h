// The host's main loop as the Linux editor's driver: the X connection's descriptor through the
// host's posix-fd-support, the redraw tick through its timer-support.
#pragma once

#include <memory>

#include "graphics/editor_loop.h"
#include "plug/clap_abi.h"

// Every call on the host's main thread, never with the plug-in's lock held: Attach and Detach
// from inside the editor's open and close (gui set_parent, show, hide, destroy), OnTimer and OnFd
// from the plug-in's timer and fd extensions.
class ClapEditorLoop final : public IEditorLoop {
 public:
  // Null when the host lacks either extension: a CLAP editor never runs on a thread of ours,
  // since such a thread could not call the host.
  static std::unique_ptr<ClapEditorLoop> ForHost(const clap::Host* host);

  // Registers the descriptor for reading and a timer at the editor's tick period; false (with
  // nothing left registered) when the host refuses either.
  bool Attach(IEditorDriven& editor) override;
  // Unregisters both.
  void Detach() override;

  void OnTimer(clap::Id timer);
  // A descriptor whose connection is gone is unregistered; the ticks go on until Detach.
  void OnFd(int fd, uint32_t flags);

 private:
  ClapEditorLoop(const clap::Host* host, const clap::HostTimerSupport* timers,
                 const clap::HostPosixFdSupport* fds)
      : host_(host), timers_(timers), fds_(fds) {}
  void UnregisterFd();

  const clap::Host* host_;
  const clap::HostTimerSupport* timers_;
  const clap::HostPosixFdSupport* fds_;
  IEditorDriven* editor_ = nullptr;
  clap::Id timer_ = clap::kInvalidId;
  int fd_ = -1;
};
