// The VST 3 factory: the class description and instance creation.
#include "plug/vst3_factory.h"

#include <cstdio>
#include <cstring>

#include "plug/plugin_entry.h"
#include "plug/text.h"

using vst3::kResultOk;

vst3::Uid Vst3Factory::ClassUid(const IEffectBase& effect) {
  return vst3::Vst2SuccessorUid(effect.UniqueId(), effect.EffectName());
}

vst3::tresult Vst3Factory::queryInterface(const vst3::TUID iid, void** obj) {
  if (!obj) return vst3::kInvalidArgument;
  *obj = nullptr;
  if (!vst3::IsIid<vst3::FUnknown>(iid) && !vst3::IsIid<vst3::IPluginFactory>(iid) &&
      !vst3::IsIid<vst3::IPluginFactory2>(iid))
    return vst3::kNoInterface;
  *obj = static_cast<vst3::IPluginFactory2*>(this);
  addRef();
  return kResultOk;
}

uint32_t Vst3Factory::addRef() {
  return references_.fetch_add(1) + 1;
}

uint32_t Vst3Factory::release() {
  uint32_t count = references_.load();
  while (count > 0 && !references_.compare_exchange_weak(count, count - 1)) {
  }
  return count > 0 ? count - 1 : 0;
}

const Vst3Factory::Identity* Vst3Factory::Describe() {
  std::lock_guard<std::mutex> guard(lock_);
  if (identity_.known) return &identity_;
  IVst3Effect* effect = create_ ? CreatePlugin(create_, IVst3Effect::HostHandle{}) : nullptr;
  if (!effect) return nullptr;
  identity_.cid = vst3::ToBytes(ClassUid(*effect));
  CopyText(identity_.name, effect->EffectName());
  CopyText(identity_.vendor, effect->MakerName());
  const auto packed = static_cast<uint32_t>(effect->EffectVersion(false));
  std::snprintf(identity_.version, sizeof identity_.version, "%u.%u.%u", packed >> 16,
                (packed >> 8) & 0xFF, packed & 0xFF);
  identity_.known = true;
  effect->release();
  return &identity_;
}

vst3::tresult Vst3Factory::getFactoryInfo(vst3::PFactoryInfo* info) {
  const Identity* identity = Describe();
  if (!info || !identity) return vst3::kInvalidArgument;
  std::memset(info, 0, sizeof *info);
  CopyText(info->vendor, identity->vendor);
  info->flags = vst3::PFactoryInfo::kUnicode;
  return kResultOk;
}

int32_t Vst3Factory::countClasses() {
  return Describe() ? 1 : 0;
}

vst3::tresult Vst3Factory::getClassInfo(int32_t index, vst3::PClassInfo* info) {
  vst3::PClassInfo2 full;
  const vst3::tresult result = getClassInfo2(index, &full);
  if (result != kResultOk || !info) return result;
  std::memset(info, 0, sizeof *info);
  std::memcpy(info->cid, full.cid, sizeof info->cid);
  info->cardinality = full.cardinality;
  CopyText(info->category, full.category);
  CopyText(info->name, full.name);
  return kResultOk;
}

vst3::tresult Vst3Factory::getClassInfo2(int32_t index, vst3::PClassInfo2* info) {
  const Identity* identity = Describe();
  if (index != 0 || !info || !identity) return vst3::kInvalidArgument;
  std::memset(info, 0, sizeof *info);
  std::memcpy(info->cid, identity->cid.data(), sizeof info->cid);
  info->cardinality = vst3::kManyInstances;
  CopyText(info->category, vst3::kAudioModuleClass);
  CopyText(info->name, identity->name);
  CopyText(info->subCategories, kSubCategories);
  CopyText(info->vendor, identity->vendor);
  CopyText(info->version, identity->version);
  CopyText(info->sdkVersion, kSdkVersion);
  return kResultOk;
}

vst3::tresult Vst3Factory::createInstance(vst3::FIDString cid, vst3::FIDString iid, void** obj) {
  if (!obj) return vst3::kInvalidArgument;
  *obj = nullptr;
  const Identity* identity = Describe();
  if (!identity || !vst3::SameUid(cid, identity->cid)) return vst3::kInvalidArgument;
  IVst3Effect* effect = CreatePlugin(create_, IVst3Effect::HostHandle{});
  if (!effect) return vst3::kOutOfMemory;
  effect->CompleteCreation();
  // The query's reference goes to the caller; creation's own is dropped, which destroys an
  // instance that does not answer iid.
  const vst3::tresult result = effect->queryInterface(iid, obj);
  effect->release();
  return result;
}
