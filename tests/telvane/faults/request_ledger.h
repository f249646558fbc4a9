#pragma once
// The requests a host made and the one check every fault test ends with: each request ended
// exactly once, by the event that shows its answer arrived or by one RequestFailed.
//
// Events are the recorded lines of the control fixture ("RequestFailed 123 100 Request timeout").
// A fault answer fails its request with call ID "0", so requests that show neither their answer
// nor a failure of their own are matched against those. Synchronous requests end by returning;
// their IDs are the session's own, so a RequestFailed for an ID the ledger does not know is
// allowed once per ID and at most once per synchronous call that failed.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace telvane::testing {

class RequestLedger {
 public:
  // An asynchronous request with ID `id` whose answer shows as the event line `answered`.
  void expect(const std::string& id, const std::string& answered);
  // A synchronous request returned `ok`.
  void returned(bool ok);

  // Whether every asynchronous request has ended, so far.
  bool settled(const std::vector<std::string>& events) const;
  // The invariant over everything recorded.
  ::testing::AssertionResult check(const std::vector<std::string>& events) const;

  std::size_t size() const { return requests_.size(); }
  void clear() { *this = RequestLedger(); }

 private:
  struct Request {
    std::string id;
    std::string answered;
  };
  struct Tally;
  Tally tally(const std::vector<std::string>& events) const;

  std::vector<Request> requests_;
  std::size_t syncFailures_ = 0;
};

// How many times `line` was recorded.
std::size_t countEvents(const std::vector<std::string>& events, const std::string& line);

}  // namespace telvane::testing
