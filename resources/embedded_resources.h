// The skin images compiled into the library on platforms without Windows resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

struct EmbeddedResource {
  int32_t id = 0;
  const char* type = "";
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// Every embedded resource; the table and the bytes are constant for the life of the process.
std::span<const EmbeddedResource> GetEmbeddedResources();
