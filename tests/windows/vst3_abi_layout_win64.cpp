// The VST 3 declarations as the x86-64 Windows compiler sees them: the header's layout asserts,
// and the COM byte order and result codes that only a Windows build selects.
#include "plug/vst3_abi.h"

static_assert(vst3::SameUid("\x31\xFF\x31\xE8\xD5\xF2\x01\x43\x92\x8E\xBB\xEE\x25\x69\x78\x02",
                            vst3::kIid<vst3::IComponent>));
static_assert(vst3::kNoInterface == static_cast<int32_t>(0x80004002));
static_assert(vst3::kNotImplemented == static_cast<int32_t>(0x80004001));
static_assert(vst3::kBundleBinarySuffix == ".vst3");
