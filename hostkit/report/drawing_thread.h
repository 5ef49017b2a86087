#pragma once
// A thread of its own that draws pages while the caller lays out the next ones. Pages reach
// `draw` one at a time, in the order they were added, so what it writes is the same as when the
// caller draws them itself. At most `capacity` pages wait, which keeps memory flat however long
// the run.

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "hostkit/report/drawing.h"

namespace briskal::hostkit::report {

class DrawingThread {
 public:
  explicit DrawingThread(std::function<void(const Page&)> draw, size_t capacity = 64);
  // Stops the thread; pages still waiting are not drawn.
  ~DrawingThread();
  DrawingThread(const DrawingThread&) = delete;
  DrawingThread& operator=(const DrawingThread&) = delete;

  // Waits while `capacity` pages wait. Throws what `draw` threw on an earlier page.
  void add(Page page);
  // Waits until every page is drawn. Throws what `draw` threw.
  void finish();

 private:
  void run();

  std::function<void(const Page&)> draw_;
  size_t capacity_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Page> waiting_;
  bool closing_ = false;   // no page comes after those waiting
  bool stopping_ = false;  // the waiting pages are dropped
  std::exception_ptr failure_;
  std::thread thread_;  // last, so that it starts once the rest is ready
};

}  // namespace briskal::hostkit::report
