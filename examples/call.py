"""Places a call through the PBX at HOST PORT (pbxsim's default user 101) and hangs up."""

import sys

import telvane

host = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1"
port = int(sys.argv[2]) if len(sys.argv) > 2 else 5070

with telvane.Control() as control:
    control.on(None, lambda event: print(event.name, event.args))
    if not control.Connect(host, port, 5, "101", "secret"):
        sys.exit(f"cannot log in to {host}:{port}")
    # The PBX rings extension 101 first; state 2 means it answered.
    call_id = control.CreateCall("system", "pbx:101", "Example")
    print("call", call_id)
    answered = control.wait_for("CallStateChanged", lambda e: e["callID"] == call_id
                                and e["callState"] == 2)
    control.CloseCall(call_id)
    ended = control.wait_for("CallStateChanged", lambda e: e["callID"] == call_id
                             and e["callState"] == 3)
    sys.exit(0 if answered and ended else 1)
