// Tests of the VST 3 ID byte layouts and the class ID derived from a VST 2 plug-in.
#include "plug/vst3_abi.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vst3::Uid;
using vst3::UidLayout;

std::string Hex(const vst3::UidBytes& bytes) {
  std::string text;
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    text += "0123456789ABCDEF"[b >> 4];
    text += "0123456789ABCDEF"[b & 0xF];
  }
  return text;
}

// The published Windows bytes of each interface: a second transcription of every ID, which the
// declared words must reproduce through the GUID layout.
TEST(Vst3Uid, EveryInterfaceIdGivesItsPublishedWindowsBytes) {
  const std::pair<Uid, const char*> ids[] = {
      {vst3::FUnknown::kUid, "0000000000000000C000000000000046"},
      {vst3::IPluginBase::kUid, "DB8D88226E15AE458358B34808190625"},
      {vst3::IPluginFactory::kUid, "1C814D7A11521F4AAED9D2EE0B43BF9F"},
      {vst3::IPluginFactory2::kUid, "50B607004BF20B4CA464EDB9F00B2ABB"},
      {vst3::IPluginFactory3::kUid, "ABA2554523C1574E9B12291036878931"},
      {vst3::IBStream::kUid, "A26EBFC3993052479B6BF9901EE33E9B"},
      {vst3::IComponent::kUid, "31FF31E8D5F20143928EBBEE25697802"},
      {vst3::IAudioProcessor::kUid, "993F0442DAB73C45A569E79D9AAEC33D"},
      {vst3::IProcessContextRequirements::kUid, "0343652A76EF3D4E95B5FE83730EF6D0"},
      {vst3::IEditController::kUid, "E3BBD7DC42778D44A874AACC979C759E"},
      {vst3::IEditController2::kUid, "59FE4E7F20F36749AC27A3AEAFB63038"},
      {vst3::IMidiMapping::kUid, "F7F90FDFB7496946B63AB7327ADBF5E5"},
      {vst3::IUnitInfo::kUid, "B5D64B3D3A91D24FA886E768A5EB92C1"},
      {vst3::IComponentHandler::kUid, "A3BEA093D00BDB458E890B0CC1E46AC6"},
      {vst3::IHostApplication::kUid, "CC95E5582DDB69498B6AAF8C36A664E5"},
      {vst3::IPlugView::kUid, "0725C35B60D0EA49A6151B522B755B29"},
      {vst3::IPlugFrame::kUid, "01AF7F36A9AF93468D4DA2A0ED0882A3"},
      {vst3::IRunLoop::kUid, "6653C31876971A4F9C5B83857A871389"},
      {vst3::IEventHandler::kUid, "C9651E56A0136F49813A2C35654D7983"},
      {vst3::ITimerHandler::kUid, "4FD9BD1042417447821FAD8FECA72CA9"},
      {vst3::IEventList::kUid, "14422C3A6334FE49B2C4F397B9695A44"},
      {vst3::IParameterChanges::kUid, "639677A4B60B564AB44384A8466FEB9D"},
      {vst3::IParamValueQueue::kUid, "183A260107ED6F4F98C9D3564686F9BA"},
  };
  for (const auto& [uid, windows] : ids) {
    EXPECT_EQ(Hex(vst3::ToBytes(uid, UidLayout::kComGuid)), windows);
    // On Linux the bytes are the words as written, which is also the text form everywhere.
    EXPECT_EQ(Hex(vst3::ToBytes(uid, UidLayout::kWordsMsbFirst)), vst3::ToText(uid).data());
  }
}

TEST(Vst3Uid, IComponentHasItsPublishedBytesInBothLayoutsAndTheLinuxOnesNatively) {
  const Uid& uid = vst3::IComponent::kUid;
  EXPECT_EQ(Hex(vst3::ToBytes(uid, UidLayout::kWordsMsbFirst)), "E831FF31F2D54301928EBBEE25697802");
  EXPECT_EQ(Hex(vst3::ToBytes(uid, UidLayout::kComGuid)), "31FF31E8D5F20143928EBBEE25697802");
  EXPECT_EQ(Hex(vst3::kIid<vst3::IComponent>), "E831FF31F2D54301928EBBEE25697802");
  EXPECT_EQ(vst3::kNoInterface, -1);
}

TEST(Vst3Uid, IdsMatchOnlyTheirOwnBytesAndNeverANullPointer) {
  EXPECT_TRUE(vst3::IsIid<vst3::IComponent>(vst3::kIid<vst3::IComponent>.data()));
  EXPECT_FALSE(vst3::IsIid<vst3::IComponent>(vst3::kIid<vst3::IEditController>.data()));
  auto lastByteDiffers = vst3::kIid<vst3::FUnknown>;
  lastByteDiffers[15] ^= 1;
  EXPECT_FALSE(vst3::IsIid<vst3::FUnknown>(lastByteDiffers.data()));
  EXPECT_FALSE(vst3::IsIid<vst3::FUnknown>(nullptr));
}

TEST(Vst3Uid, Vst2SuccessorIdFollowsThePublishedRecipeInBothLayouts) {
  constexpr Uid uid = vst3::Vst2SuccessorUid(0x746E7461, "Tintinna");
  EXPECT_STREQ(vst3::ToText(uid).data(), "565354746E746174696E74696E6E6100");
  EXPECT_EQ(Hex(vst3::ToBytes(uid, UidLayout::kWordsMsbFirst)), "565354746E746174696E74696E6E6100");
  EXPECT_EQ(Hex(vst3::ToBytes(uid, UidLayout::kComGuid)), "74545356746E7461696E74696E6E6100");
  // A separate controller class, and a name longer than the nine bytes that count.
  EXPECT_STREQ(vst3::ToText(vst3::Vst2SuccessorUid(0x746E7461, "TintinnaBulum", true)).data(),
               "565345746E746174696E74696E6E6162");
}

}  // namespace
