// The module's factory: one audio class, the plug-in, made by the format's creation function.
//
// The class's name, vendor, version and ID are asked of one instance, once, on first need. The ID
// is the one hosts derive from the VST 2 unique ID and effect name, so songs saved with the VST 2
// build find this one.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "plug/vst3_effect.h"

class Vst3Factory final : public vst3::IPluginFactory2 {
 public:
  using Create = IVst3Effect* (*)(IVst3Effect::HostHandle);
  // Ardour keeps MIDI output under strict I/O only for a class whose sub-categories contain
  // "Instrument"; "Fx" first keeps it offered as an insert on any track, where audio passes.
  static constexpr const char* kSubCategories = vst3::kSubFxInstrument;
  static constexpr const char* kSdkVersion = "VST 3.7.14";

  explicit Vst3Factory(Create create) : create_(create) {}
  Vst3Factory(const Vst3Factory&) = delete;
  Vst3Factory& operator=(const Vst3Factory&) = delete;

  // The class ID of a plug-in with this identity.
  static vst3::Uid ClassUid(const IEffectBase& effect);

  // Counted, never deleted: the module owns the factory.
  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override;
  uint32_t addRef() override;
  uint32_t release() override;

  vst3::tresult getFactoryInfo(vst3::PFactoryInfo* info) override;
  int32_t countClasses() override;
  vst3::tresult getClassInfo(int32_t index, vst3::PClassInfo* info) override;
  // [window thread] One new instance with one reference, for any interface it answers.
  vst3::tresult createInstance(vst3::FIDString cid, vst3::FIDString iid, void** obj) override;
  vst3::tresult getClassInfo2(int32_t index, vst3::PClassInfo2* info) override;

 private:
  struct Identity {
    bool known = false;
    vst3::UidBytes cid{};
    char name[vst3::PClassInfo::kNameSize] = {};
    char vendor[vst3::PFactoryInfo::kNameSize] = {};
    char version[vst3::PClassInfo2::kVersionSize] = {};
  };
  // Null when no instance could be made.
  const Identity* Describe();

  Create create_;
  std::atomic<uint32_t> references_{0};
  std::mutex lock_;  // the identity
  Identity identity_;
};
