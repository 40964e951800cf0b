// Processing allocates nothing: counts heap allocations while the chimes play.
#include <gtest/gtest.h>

#include "instrument/tintinna.h"
#include "tests/instrument/chime_host.h"
#include "tests/support/allocation_counter.h"

namespace {

using chime_test::ChimeHost;

TEST(ProcessingAllocation, NoneWhileStrikingAndSendingControllers) {
  chime_test::OnFreshThread([] {
    ChimeHost host;
    host.Open();
    host.SetParameter(Tintinna::kWindSpeed, 1.0f);
    host.SetParameter(Tintinna::kWindVariation, 1.0f);
    host.SetParameter(Tintinna::kSensitivity, 0.0f);
    host.SetParameter(Tintinna::kNumberB, 0.5f);  // both controller outputs
    host.SetParameter(Tintinna::kClapSize, 1.0f);
    host.Process(512);  // the first call may set things up
    host.events.reserve(2'000'000);

    allocation_counter::Start();
    for (int block = 0; block < 5000; ++block) host.Process(block % 3 ? 512 : 300);
    const long allocations = allocation_counter::Stop();

    long notes = 0, controllers = 0;
    for (const auto& e : host.events) (e.IsController() ? controllers : notes)++;
    EXPECT_GT(notes, 1000);
    EXPECT_GT(controllers, 100);
    EXPECT_EQ(allocations, 0);
  });
}

}  // namespace

namespace {

int* volatile escaped = nullptr;

// Without this the test above could pass with a counter that sees nothing.
TEST(ProcessingAllocation, CounterSeesAnAllocationOnThisThread) {
  allocation_counter::Start();
  escaped = new int(7);
  delete escaped;
  EXPECT_GT(allocation_counter::Stop(), 0);
}

}  // namespace
