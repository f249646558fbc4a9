"""telvane: call control on an IP PBX, over libtelvane.so's C interface (no compiler needed).

    import telvane
    with telvane.Control() as control:
        control.Connect("127.0.0.1", 5070, 5, "101", "secret")
        call_id = control.CreateCall("system", "pbx:101", "Ringova")
        control.wait_for("CallStateChanged", lambda e: e["callState"] == 2)
"""

from ._tables import EVENTS, METHODS, Member, Parameter
from .control import Control, Event, TelvaneError

__all__ = ["Control", "Event", "TelvaneError", "METHODS", "EVENTS", "Member", "Parameter"]
