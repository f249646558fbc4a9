// Places a call through the PBX at HOST PORT (pbxsim's default user 101) and hangs up.
#include <chrono>
#include <cstdint>
#include <iostream>
#include <string>
#include <telvane/telvane.hpp>

int main(int argc, char** argv) {
  const std::string host = argc > 1 ? argv[1] : "127.0.0.1";
  const auto port = static_cast<std::uint16_t>(argc > 2 ? std::stoi(argv[2]) : 5070);
  telvane::Control control;
  telvane::CallId callId = 0;
  std::int16_t state = -1;
  control.on<telvane::CallStateChanged>([&](const telvane::CallStateChanged& e) {
    std::cout << "CallStateChanged " << e.get<0>() << ' ' << e.get<1>() << '\n';
    if (e.get<0>() == callId) state = e.get<1>();
  });
  if (auto login = control.connect(host, port, std::int32_t{5}, "101", "secret"); !login) {
    std::cerr << "cannot log in to " << host << ':' << port << ": " << login.error << '\n';
    return 1;
  }
  // The PBX rings extension 101 first; state 2 means it answered.
  telvane::Result<telvane::CallId> call = control.createCall("system", "pbx:101", "Example");
  if (!call) {
    std::cerr << call.error << '\n';
    return 1;
  }
  callId = call.value;
  std::cout << "call " << callId << '\n';
  for (int i = 0; i < 100 && state != 2; ++i) control.wait(std::chrono::milliseconds(100));
  if (state != 2) return 1;
  control.closeCall(callId);
  for (int i = 0; i < 100 && state != 3; ++i) control.wait(std::chrono::milliseconds(100));
  control.disconnect();
  return state == 3 ? 0 : 1;
}
