#include "hostkit/report/drawing_thread.h"

namespace briskal::hostkit::report {

DrawingThread::DrawingThread(std::function<void(const Page&)> draw, size_t capacity)
    : draw_(std::move(draw)), capacity_(capacity), thread_([this] { run(); }) {}

DrawingThread::~DrawingThread() {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void DrawingThread::add(Page page) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return waiting_.size() < capacity_ || failure_; });
  if (failure_) std::rethrow_exception(failure_);
  waiting_.push_back(std::move(page));
  lock.unlock();
  changed_.notify_all();
}

void DrawingThread::finish() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  thread_.join();
  if (failure_) std::rethrow_exception(failure_);
}

void DrawingThread::run() {
  while (true) {
    Page page;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || closing_ || !waiting_.empty(); });
      if (stopping_ || waiting_.empty()) return;
      page = std::move(waiting_.front());
      waiting_.pop_front();
    }
    changed_.notify_all();
    try {
      draw_(page);
    } catch (...) {
      const std::lock_guard<std::mutex> lock(mutex_);
      failure_ = std::current_exception();
      waiting_.clear();
      changed_.notify_all();
      return;
    }
  }
}

}  // namespace briskal::hostkit::report
