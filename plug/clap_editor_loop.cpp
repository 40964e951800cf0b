// The Linux editor driven by a CLAP host's timer and fd support.
#include "plug/clap_editor_loop.h"

std::unique_ptr<ClapEditorLoop> ClapEditorLoop::ForHost(const clap::Host* host) {
  if (!host || !host->get_extension) return nullptr;
  const auto* timers =
      static_cast<const clap::HostTimerSupport*>(host->get_extension(host, clap::kExtTimerSupport));
  const auto* fds = static_cast<const clap::HostPosixFdSupport*>(
      host->get_extension(host, clap::kExtPosixFdSupport));
  if (!timers || !timers->register_timer || !timers->unregister_timer || !fds ||
      !fds->register_fd || !fds->unregister_fd)
    return nullptr;
  return std::unique_ptr<ClapEditorLoop>(new ClapEditorLoop(host, timers, fds));
}

bool ClapEditorLoop::Attach(IEditorDriven& editor) {
  Detach();
  const int fd = editor.ConnectionFd();
  if (fd < 0 || !fds_->register_fd(host_, fd, clap::kPosixFdRead)) return false;
  fd_ = fd;
  clap::Id timer = clap::kInvalidId;
  const int period = editor.TickPeriodMs();
  if (period <= 0 || !timers_->register_timer(host_, static_cast<uint32_t>(period), &timer) ||
      timer == clap::kInvalidId) {
    UnregisterFd();
    return false;
  }
  timer_ = timer;
  editor_ = &editor;
  return true;
}

void ClapEditorLoop::Detach() {
  if (timer_ != clap::kInvalidId) timers_->unregister_timer(host_, timer_);
  timer_ = clap::kInvalidId;
  UnregisterFd();
  editor_ = nullptr;
}

void ClapEditorLoop::OnTimer(clap::Id timer) {
  if (editor_ && timer == timer_) editor_->TickDue();
}

void ClapEditorLoop::OnFd(int fd, uint32_t /*flags*/) {
  if (editor_ && fd == fd_ && fd >= 0 && !editor_->EventsWaiting()) UnregisterFd();
}

void ClapEditorLoop::UnregisterFd() {
  if (fd_ >= 0) fds_->unregister_fd(host_, fd_);
  fd_ = -1;
}
