// Shared helpers of the window tests: fixture files, a settings file in a
// temporary folder, screenshots, and the colour of a row on screen.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QWidget>
#include <string>

#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

namespace orv::merge::qt::testing {

inline std::string fixture(const std::string& name) { return std::string(MERGE_QT_FIXTURES) + "/" + name; }

inline std::string readFile(const std::string& path) {
  std::string text;
  orv::sys::readWholeFile(path, text);
  return text;
}

// Saves the widget as it shows now; the path.
inline std::string screenshot(QWidget* w, const std::string& name) {
  QDir().mkpath(MERGE_QT_SCREENSHOTS);
  const std::string path = std::string(MERGE_QT_SCREENSHOTS) + "/" + name + ".png";
  EXPECT_TRUE(w->grab().save(QString::fromStdString(path))) << path;
  return path;
}

}  // namespace orv::merge::qt::testing
