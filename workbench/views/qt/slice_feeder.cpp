#include "workbench/views/qt/slice_feeder.h"

#include <QApplication>
#include <QElapsedTimer>

namespace orv::workbench::views {

namespace {

// Rows read between two looks at the clock.
constexpr std::size_t kRowsPerStep = 32;
// Rows read at a time when the rest is read at once.
constexpr std::size_t kRowsAtOnce = 1024;

}  // namespace

SliceFeeder::SliceFeeder(Steps steps, QObject* parent) : QObject(parent), steps_(std::move(steps)) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (QApplication::activeModalWidget()) return timer_.start(50);
    slice(kSliceMilliseconds);
  });
}

void SliceFeeder::start() {
  timer_.stop();
  feeding_ = true;
  slice(kSliceMilliseconds);
}

void SliceFeeder::slice(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  bool more = true;
  for (std::size_t steps = 0;
       more && clock.elapsed() < milliseconds && (stepsPerSliceBound == 0 || steps < stepsPerSliceBound); ++steps)
    more = steps_.feed(kRowsPerStep);
  if (more) {
    timer_.start(0);
    if (steps_.sliceDone) steps_.sliceDone();
  } else {
    done();
  }
  if (steps_.fed) steps_.fed();
}

void SliceFeeder::finish() {
  if (!feeding_) return;
  timer_.stop();
  while (steps_.feed(kRowsAtOnce)) {
  }
  done();
  if (steps_.fed) steps_.fed();
}

void SliceFeeder::stop() {
  timer_.stop();
  feeding_ = false;
}

void SliceFeeder::done() {
  feeding_ = false;
  if (steps_.fedAll) steps_.fedAll();
}

}  // namespace orv::workbench::views
