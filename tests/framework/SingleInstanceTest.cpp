#include "framework/SingleInstance.h"

#include <gtest/gtest.h>

#include <QTest>
#include <optional>
#include <string>
#include <vector>

#include "support/LaterStart.h"
#include "support/Scratch.h"

using framework::SingleInstance;

namespace {

// The running instance is this test; a later start is a thread (support::LaterStart). A
// request that waits for an open dialog, and one that nobody takes, are left to the
// program's own tests.
class SingleInstanceTest : public testing::Test {
 protected:
  std::string File() const { return folder / name; }
  SingleInstance::Outcome HandOver(const std::string& request) { return support::LaterStart(File(), request).Finish(); }
  // Claims the file and listens, keeping every request that reaches the holder.
  void Hold(SingleInstance& holder, std::vector<std::string>& received) {
    ASSERT_EQ(holder.Claim(File().c_str()), SingleInstance::claimed);
    ASSERT_TRUE(holder.Listen([&received](const std::string& request) {
      received.push_back(request);
      return true;
    }));
  }

  std::string name = "data.vyr";
  scratch::Folder folder;
  scratch::Environment runtime{"XDG_RUNTIME_DIR", folder / "run"};
};

TEST_F(SingleInstanceTest, EachRequestReachesTheHolderByteForByte) {
  SingleInstance holder;
  std::vector<std::string> received;
  Hold(holder, received);
  const std::vector<std::string> requests = {
      "",  // no document: the window comes to the front
      "/home/me/trips/summer.vyt",
      "/trips/two\nlines, \xc3\xbc and a stray \xff byte.vyt",
      "/" + std::string(4095, 'x'),
  };
  for (const std::string& request : requests) {
    SCOPED_TRACE(request.substr(0, 40));
    const std::size_t before = received.size();
    EXPECT_EQ(HandOver(request), SingleInstance::handedOver);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() > before; }));
    EXPECT_EQ(received.back(), request);
  }
  EXPECT_EQ(received.size(), requests.size());
}

TEST_F(SingleInstanceTest, AFileWithALongNameInAnyScriptIsHandedOverToo) {
  name.clear();
  for (int i = 0; i < 40; ++i) name += "\xe6\x97\x85";  // a CJK letter: three bytes each
  name += ".vyr";
  SingleInstance holder;
  std::vector<std::string> received;
  Hold(holder, received);
  EXPECT_EQ(HandOver("/trips/summer.vyt"), SingleInstance::handedOver);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }));
}

TEST_F(SingleInstanceTest, LaterStartTakesTheFileWhenTheHolderEndsWhileItWaits) {
  std::optional<SingleInstance> holder(std::in_place);
  ASSERT_EQ(holder->Claim(File().c_str()), SingleInstance::claimed);  // still starting: not listening
  support::LaterStart later(File(), "/trips/summer.vyt");
  QTest::qWait(300);
  holder.reset();
  EXPECT_EQ(later.Finish(), SingleInstance::claimed);
}

}  // namespace
