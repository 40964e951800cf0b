// Compile-time checks of the CLAP declarations: the header's own layout asserts, its survival of
// the system window headers' macros, and the fixed-point time and version helpers.
#ifdef _WIN32
#include <windows.h>
#else
#include <X11/Xlib.h>
#endif

#include <limits>

#include "plug/clap_abi.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kTick = 1.0 / clap::kBeatTimeFactor;  // one step of fixed-point time

static_assert(clap::ToFixedTime(1.5) == 3221225472);
static_assert(clap::ToFixedTime(-0.25) == -536870912);
static_assert(clap::FromFixedTime(-3221225472) == -1.5);
static_assert(clap::ToFixedTime(clap::FromFixedTime(123456789012)) == 123456789012);
// Rounded to nearest, halves away from zero, alike for both signs.
static_assert(clap::ToFixedTime(2.4 * kTick) == 2 && clap::ToFixedTime(2.5 * kTick) == 3);
static_assert(clap::ToFixedTime(-2.4 * kTick) == -2 && clap::ToFixedTime(-2.5 * kTick) == -3);
static_assert(clap::ToFixedTime(kNaN) == 0);
static_assert(clap::ToFixedTime(kInfinity) == std::numeric_limits<int64_t>::max());
static_assert(clap::ToFixedTime(-1e300) == std::numeric_limits<int64_t>::min());
static_assert(clap::ToFixedTime(-4294967296.0) == std::numeric_limits<int64_t>::min() &&
              clap::ToFixedTime(4294967295.5) == int64_t{8589934591} << 30);

static_assert(clap::VersionIsCompatible(clap::kVersion));
static_assert(clap::VersionIsCompatible({1, 1, 6}) && clap::VersionIsCompatible({2, 0, 0}));
static_assert(!clap::VersionIsCompatible({0, 9, 9}));

}  // namespace
