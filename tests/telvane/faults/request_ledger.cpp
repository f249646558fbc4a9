#include "tests/telvane/faults/request_ledger.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace telvane::testing {

namespace {

constexpr std::string_view kFailedPrefix = "RequestFailed ";

}  // namespace

struct RequestLedger::Tally {
  std::size_t unended = 0;  // requests with neither their answer nor a failure of their own
  std::size_t faultFailures = 0;
  std::vector<std::string> problems;
};

void RequestLedger::expect(const std::string& id, const std::string& answered) {
  requests_.push_back({id, answered});
}

void RequestLedger::returned(bool ok) {
  if (!ok) ++syncFailures_;
}

std::size_t countEvents(const std::vector<std::string>& events, const std::string& line) {
  return static_cast<std::size_t>(std::count(events.begin(), events.end(), line));
}

RequestLedger::Tally RequestLedger::tally(const std::vector<std::string>& events) const {
  Tally tally;
  std::map<std::string, std::size_t> failures;
  for (const std::string& line : events) {
    if (line.rfind(kFailedPrefix, 0) != 0) continue;
    const std::string rest = line.substr(kFailedPrefix.size());
    const std::string id = rest.substr(0, rest.find(' '));
    if (id == "0") {
      ++tally.faultFailures;
    } else {
      ++failures[id];
    }
  }

  // Requests may share an ID (a call and its close): they are judged together.
  std::map<std::string, std::vector<const Request*>> byId;
  for (const Request& request : requests_) byId[request.id].push_back(&request);
  for (const auto& [id, requests] : byId) {
    std::size_t answers = 0;
    for (const Request* request : requests) {
      const std::size_t seen = countEvents(events, request->answered);
      if (seen > 1)
        tally.problems.push_back("answered " + std::to_string(seen) +
                                 " times: " + request->answered);
      answers += std::min<std::size_t>(seen, 1);
    }
    const std::size_t failed = failures.count(id) ? failures[id] : 0;
    if (answers + failed > requests.size()) {
      tally.problems.push_back("request " + id + " ended " + std::to_string(answers + failed) +
                               " times (" + std::to_string(answers) + " answers, " +
                               std::to_string(failed) + " failures) for " +
                               std::to_string(requests.size()) + " request(s)");
    } else {
      tally.unended += requests.size() - answers - failed;
    }
  }

  std::size_t unknown = 0;
  for (const auto& [id, count] : failures) {
    if (byId.count(id)) continue;
    unknown += count;
    if (count > 1) {
      tally.problems.push_back("RequestFailed " + std::to_string(count) + " times for " + id);
    }
  }
  if (unknown > syncFailures_) {
    tally.problems.push_back(std::to_string(unknown) + " failures of unknown requests, but only " +
                             std::to_string(syncFailures_) + " synchronous call(s) failed");
  }
  return tally;
}

bool RequestLedger::settled(const std::vector<std::string>& events) const {
  const Tally t = tally(events);
  return t.unended <= t.faultFailures;
}

::testing::AssertionResult RequestLedger::check(const std::vector<std::string>& events) const {
  Tally t = tally(events);
  if (t.unended > t.faultFailures) {
    t.problems.push_back(std::to_string(t.unended - t.faultFailures) + " request(s) never ended");
  } else if (t.faultFailures > t.unended) {
    t.problems.push_back(std::to_string(t.faultFailures - t.unended) +
                         " fault failure(s) for no request");
  }
  if (t.problems.empty()) return ::testing::AssertionSuccess();
  std::ostringstream out;
  for (const std::string& problem : t.problems) out << problem << "\n";
  out << "events:";
  for (const std::string& line : events) out << "\n  " << line;
  return ::testing::AssertionFailure() << out.str();
}

}  // namespace telvane::testing
