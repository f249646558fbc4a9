// Places a call through the PBX at HOST PORT (pbxsim's default user 101) and hangs up.
#include <chrono>
#include <iostream>
#include <string>
#include <telvane/telvane.hpp>

int main(int argc, char** argv) {
  const std::string host = argc > 1 ? argv[1] : "127.0.0.1";
  const std::string port = argc > 2 ? argv[2] : "5070";
  telvane::Control control;
  std::string callId, state;
  control.onEvent([&](const telvane::Event& e) {
    if (e.name == "CallStateChanged" && e.args[0] == callId) state = e.args[1];
    std::cout << e.name << ' ' << e.args[0] << (e.args.size() > 1 ? " " + e.args[1] : "") << '\n';
  });
  if (control.call("Connect", {host, port, "5", "101", "secret"}).result != "true") {
    std::cerr << "cannot log in to " << host << ':' << port << '\n';
    return 1;
  }
  // The PBX rings extension 101 first; state 2 means it answered.
  callId = control.call("CreateCall", {"system", "pbx:101", "Example"}).result;
  std::cout << "call " << callId << '\n';
  for (int i = 0; i < 100 && state != "2"; ++i) control.wait(std::chrono::milliseconds(100));
  if (state != "2") return 1;
  control.call("CloseCall", {callId});
  for (int i = 0; i < 100 && state != "3"; ++i) control.wait(std::chrono::milliseconds(100));
  control.call("Disconnect");
  return state == "3" ? 0 : 1;
}
