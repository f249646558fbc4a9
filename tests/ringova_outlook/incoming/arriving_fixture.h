#pragma once
// Calls offered by the simulator to the logged-in settings window, and their windows.
#include "tests/ringova_outlook/frontend/call_fixture.h"

namespace ringova::testing {

class ArrivingTest : public CallFixture {
 protected:
  // The window of the entry at index once it is shown; null when it never was.
  IncomingWindow* shown(fMain& w, int16_t index) {
    runUntil([&] {
      IncomingWindow* win = w.Calls().Window(index);
      return win && win->visible();
    });
    IncomingWindow* win = w.Calls().Window(index);
    return win && win->visible() ? win : nullptr;
  }
};

}  // namespace ringova::testing
