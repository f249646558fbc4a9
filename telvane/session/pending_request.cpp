#include "telvane/session/pending_request.h"

namespace telvane {

void SyncCompletion::complete(std::unique_ptr<XmlRpcResponseMethod> response) {
  std::lock_guard lock(mutex_);
  if (finished_) return;
  response_ = std::move(response);
  finished_ = true;
  done_.notify_all();
}

void SyncCompletion::fail() {
  std::lock_guard lock(mutex_);
  finished_ = true;
  done_.notify_all();
}

std::unique_ptr<XmlRpcResponseMethod> SyncCompletion::wait(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  done_.wait_for(lock, limit, [this] { return finished_; });
  return std::move(response_);
}

void FileCloser::operator()(std::FILE* file) const {
  if (file != nullptr) std::fclose(file);
}

void PendingRequest::fail() {
  if (completion) completion->fail();
}

}  // namespace telvane
