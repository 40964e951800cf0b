// Finding a resource's bytes among the images embedded into the library at build time.
#include <cstring>

#include "raster/resource_lookup.h"
#include "resources/embedded_resources.h"

ResourceBytes FindEmbeddedResource(void* /*module*/, int32_t id, const char* type) {
  if (type == nullptr) return {};
  for (const EmbeddedResource& resource : GetEmbeddedResources()) {
    if (resource.id == id && std::strcmp(resource.type, type) == 0) {
      return {resource.data, resource.size};
    }
  }
  return {};
}
