#include "telvane/net/socket_errors.h"

#include <cstdio>
#include <mutex>

namespace telvane {
namespace {

struct ErrorState {
  std::mutex lock;
  std::string last = "No errors.";
  int code = 0;
  bool show = false;
  SocketErrorSink sink;
};

ErrorState& State() {
  static ErrorState state;
  return state;
}

void WriteToStandardError(const std::string& text) {
  std::fprintf(stderr, "\n%s\n", text.c_str());
}

}  // namespace

std::string lastSocketError() {
  ErrorState& state = State();
  std::lock_guard guard(state.lock);
  return state.last;
}

int lastSocketErrorCode() {
  ErrorState& state = State();
  std::lock_guard guard(state.lock);
  return state.code;
}

bool showSocketErrors() {
  ErrorState& state = State();
  std::lock_guard guard(state.lock);
  return state.show;
}

void setShowSocketErrors(bool show) {
  ErrorState& state = State();
  std::lock_guard guard(state.lock);
  state.show = show;
}

void ReportSocketError(std::string_view operation, int code) {
  std::string text(operation);
  text += " error";
  if (code != 0) text += " #" + std::to_string(code);

  ErrorState& state = State();
  std::lock_guard guard(state.lock);
  state.code = code;
  if (text == state.last) return;
  state.last = text;
  if (!state.show) return;
  if (state.sink) {
    state.sink(state.last);
  } else {
    WriteToStandardError(state.last);
  }
}

void RecordSocketErrorCode(int code) {
  ErrorState& state = State();
  std::lock_guard guard(state.lock);
  state.code = code;
}

void SetSocketErrorSink(SocketErrorSink sink) {
  ErrorState& state = State();
  std::lock_guard guard(state.lock);
  state.sink = std::move(sink);
}

}  // namespace telvane
