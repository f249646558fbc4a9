#pragma once
// One request on its way through the session: queued, written, then awaiting its answer.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "telvane/xmlrpc/xmlrpc_method.h"

namespace telvane {

// Where the caller of a synchronous request waits. The caller and the record in the receive
// loop share it, so it lives until whichever of them lets go last; the answer stays with it
// when the caller has already given up.
class SyncCompletion {
 public:
  // Receive thread: stores the answer and releases the caller.
  void complete(std::unique_ptr<XmlRpcResponseMethod> response);
  // Receive thread: releases the caller without an answer.
  void fail();
  // Caller: waits at most `limit`; the answer, or null when the request failed or the limit
  // passed first.
  std::unique_ptr<XmlRpcResponseMethod> wait(std::chrono::milliseconds limit);

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::unique_ptr<XmlRpcResponseMethod> response_;
};

struct FileCloser {
  void operator()(std::FILE* file) const;
};
using UploadFile = std::unique_ptr<std::FILE, FileCloser>;

struct PendingRequest {
  std::unique_ptr<XmlRpcMethod> method;
  std::shared_ptr<SyncCompletion> completion;  // set when a caller waits for the answer
  UploadFile uploadFile;                       // sent after the request, once the PBX says "OK"
  std::uint32_t uploadSize = 0;
  std::optional<std::chrono::steady_clock::time_point> sentTime;
  // The request's wire text when it was made ahead of the write (empty: made when written), and
  // how much of it is on the wire already (a write by the owner's thread that was cut short).
  std::string text;
  std::size_t written = 0;

  bool isSynchronous() const { return completion != nullptr; }
  // The request's ID; 0 when it has none.
  CallId id() const { return method ? method->idNumber() : 0; }
  // Releases a waiting caller with failure; nothing for an asynchronous record.
  void fail();
};

}  // namespace telvane
