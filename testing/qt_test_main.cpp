// The main of the window tests: one QApplication for the whole test
// program (offscreen when no platform is named), then GoogleTest. Listing
// the tests (--gtest_list_tests, as CTest's discovery does) makes no
// application, so it needs no platform at all.
#include <QApplication>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleMock(&argc, argv);
  std::unique_ptr<QApplication> app;
  if (!GTEST_FLAG_GET(list_tests)) app = std::make_unique<QApplication>(argc, argv);
  return RUN_ALL_TESTS();
}
