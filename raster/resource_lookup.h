// Finding a resource's bytes in a module, the one platform-specific step of loading skin images.
#pragma once

#include <cstddef>
#include <cstdint>

struct ResourceBytes {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// The bytes of the resource with a numeric id and a type name in the module, or empty ones.
// Windows: the module's own resources. Elsewhere: the images embedded into the library at build
// time, whatever the module. The bytes live as long as the module.
ResourceBytes FindEmbeddedResource(void* module, int32_t id, const char* type);
