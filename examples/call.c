/* Places a call through the PBX at HOST PORT (pbxsim's default user 101) and hangs up,
 * waiting for the control's events with poll() as a host with its own loop would. */
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <telvane/telvane_c.h>

struct call {
  char id[32];
  int state;
};

static void on_event(void* user, const char* event, int argc, const char* const* argv) {
  struct call* call = user;
  printf("%s%s%s\n", event, argc > 0 ? " " : "", argc > 0 ? argv[0] : "");
  if (strcmp(event, "CallStateChanged") == 0 && strcmp(argv[0], call->id) == 0) {
    sscanf(argv[1], "%d", &call->state);
  }
}

/* Pumps until the call reaches `state`, for at most about ten seconds. */
static int wait_for_state(telvane_control* control, struct call* call, int state) {
  struct pollfd fd = {telvane_fd(control), POLLIN, 0};
  for (int i = 0; i < 100 && call->state != state; ++i) {
    if (poll(&fd, 1, 100) > 0 && telvane_pump(control) < 0) return 0;
  }
  return call->state == state;
}

int main(int argc, char** argv) {
  const char* host = argc > 1 ? argv[1] : "127.0.0.1";
  const char* port = argc > 2 ? argv[2] : "5070";
  telvane_control* control = NULL;
  struct call call = {"", -1};
  if (telvane_create(&control) != TELVANE_OK) return 1;
  telvane_set_event_callback(control, on_event, &call);

  const char* login[] = {host, port, "5", "101", "secret"};
  telvane_reply reply;
  int status = telvane_call(control, "Connect", 5, login, &reply);
  if (status != TELVANE_OK || strcmp(reply.result, "true") != 0) {
    fprintf(stderr, "cannot log in to %s:%s: %s\n", host, port, telvane_last_error(control));
    telvane_destroy(control);
    return 1;
  }
  const char* dial[] = {"system", "pbx:101", "Example"};
  if (telvane_call(control, "CreateCall", 3, dial, &reply) != TELVANE_OK) return 1;
  snprintf(call.id, sizeof call.id, "%s", reply.result);
  printf("call %s\n", call.id);

  int ok = wait_for_state(control, &call, 2); /* answered */
  const char* hangup[] = {call.id};
  ok = ok && telvane_call(control, "CloseCall", 1, hangup, &reply) == TELVANE_OK;
  ok = ok && wait_for_state(control, &call, 3); /* ended */
  telvane_destroy(control);
  return ok ? 0 : 1;
}
