// Rows fed to a view a few at a time from the event loop: one slice now,
// the rest a slice per turn of the loop, so that a window shows its first
// rows at once and answers the user while the rest is read. Nothing is fed
// while a dialog runs: the command behind it may change what is being
// read, and refreshes the window when it is done.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstddef>
#include <functional>

namespace orv::workbench::views {

class SliceFeeder : public QObject {
 public:
  struct Steps {
    // Reads and shows up to max rows; false when no row is left.
    std::function<bool(std::size_t max)> feed;
    // A slice ended with rows still to come.
    std::function<void()> sliceDone;
    // Every row is in.
    std::function<void()> fedAll;
    // After every slice and at the end: more rows came in.
    std::function<void()> fed;
  };

  // How long a turn of the event loop may spend reading rows.
  static constexpr int kSliceMilliseconds = 15;
  // Tests bound the steps of a slice, so that how many slices a fill takes
  // does not hang on the machine's speed (0: only the time bounds it).
  static inline std::size_t stepsPerSliceBound = 0;

  SliceFeeder(Steps steps, QObject* parent);

  // Starts feeding: reads rows for one slice now and the rest later.
  void start();
  // Reads every row that is still to come now.
  void finish();
  // Stops feeding without reading the rest (nothing more is called).
  void stop();
  bool feeding() const { return feeding_; }

 private:
  void slice(int milliseconds);
  void done();

  Steps steps_;
  QTimer timer_;
  bool feeding_ = false;
};

}  // namespace orv::workbench::views
