// Finding a resource's bytes in a Windows module.
#include <windows.h>

#include "raster/resource_lookup.h"

ResourceBytes FindEmbeddedResource(void* module, int32_t id, const char* type) {
  const auto instance = static_cast<HMODULE>(module);
  HRSRC info = FindResourceA(instance, MAKEINTRESOURCEA(id), type);
  if (info == nullptr) return {};
  const DWORD size = SizeofResource(instance, info);
  HGLOBAL handle = LoadResource(instance, info);
  if (handle == nullptr) return {};
  const void* data = LockResource(handle);
  if (data == nullptr) return {};
  return {static_cast<const uint8_t*>(data), size};
}
