"""The Python package end to end, against pbxsim."""

import asyncio
import inspect
import selectors
import threading

import pytest

import telvane


def test_methods_and_events_come_from_the_library_tables():
    assert len(telvane.METHODS) == 31 and len(telvane.EVENTS) == 16
    assert [m.name for m in telvane.METHODS][:3] == ["Connect", "Disconnect", "CreateCall"]
    assert list(inspect.signature(telvane.Control.CreateCall).parameters) == [
        "self", "from_", "to", "displayName"]
    assert list(inspect.signature(telvane.Control.GetSystemInfo).parameters) == ["self"]
    cdr = next(e for e in telvane.EVENTS if e.name == "CDRArrived")
    assert len(cdr.params) == 27 and cdr.params[9] == telvane.Parameter("clirCaller", "BOOL")
    for member in telvane.METHODS:
        assert callable(getattr(telvane.Control, member.name))


def test_call_with_events_from_callbacks_and_the_iterator(control):
    seen = []
    control.on("CallStateChanged", seen.append)
    call_id = control.CreateCall("system", "pbx:101", "Ringova")
    assert call_id != "0"
    states = []
    for event in control.events(timeout=5):
        assert event.name == "CallStateChanged" and event["callID"] == call_id
        states.append(event["callState"])
        if event["callState"] == 2:
            break
    assert states == [0, 1, 2]
    assert [e["callState"] for e in seen] == states

    assert control.CloseCall(callID=call_id) is True
    assert control.wait_for("CallStateChanged", lambda e: e["callState"] == 3, timeout=5)
    assert control.GetSystemInfo() == (True, "PBXSIM-0001", "Sim-5.1.26-PBX")
    assert control.GetWAVFiles("101") == (True, "")


def test_notifications_and_typed_event_values(control, sim):
    sub = control.SubscribeToPresence("101")
    confirmed = control.wait_for("SubscriptionConfirmed", timeout=5)
    assert confirmed.args == {"subscrID": sub, "confirmed": True, "errorCode": 0}
    assert sim.command("presence 101 1")["ok"]
    assert control.wait_for("PresenceArrived", timeout=5)["bDND"] is True

    assert control.IncomingCallHandling("101", True)
    control.GetExtension("101")  # answered after the handling request: both are through
    assert control.wait_for("ExtensionGet", timeout=5).args == {"bFound": True, "mExtName": "101"}
    assert sim.command("offer tel:0301234 pbx:101")["ok"]
    arrived = control.wait_for("CallArrived", timeout=5)
    assert arrived["caller"] == "tel:0301234" and arrived["origCallID"] == "0"
    assert control.RejectCall(arrived["callID"]) is True


def test_fileno_fits_selectors_and_asyncio(control):
    with selectors.DefaultSelector() as selector:
        selector.register(control, selectors.EVENT_READ)
        call_id = control.CreateCall("system", "pbx:101", "Ringova")
        assert selector.select(timeout=5)
        seen = []
        control.on(None, seen.append)
        control.pump()
        assert seen and seen[0]["callID"] == call_id

    async def first_answered_state():
        loop = asyncio.get_running_loop()
        answered = loop.create_future()

        def on_state(event):
            if event["callState"] == 2 and not answered.done():
                answered.set_result(event["callID"])

        control.on("CallStateChanged", on_state)
        loop.add_reader(control.fileno(), control.pump)
        try:
            call_id = control.CreateCall("system", "pbx:101", "Ringova")
            assert await asyncio.wait_for(answered, 5) in (call_id, seen[0]["callID"])
        finally:
            loop.remove_reader(control.fileno())

    asyncio.run(first_answered_state())


def test_errors_are_exceptions_never_crashes(control):
    with pytest.raises(TypeError):
        control.CloseCall()
    with pytest.raises(TypeError):
        control.CloseCall("1", "2")
    with pytest.raises(telvane.TelvaneError) as unknown:
        control.call("NoSuchMethod")
    assert unknown.value.status == -2 and "NoSuchMethod" in str(unknown.value)
    with pytest.raises(telvane.TelvaneError) as count:
        control.call("closecall", "1", "2")
    assert count.value.status == -3
    with pytest.raises(telvane.TelvaneError) as value:
        control.PlayMessage("1", "a.wav", 70000)
    assert value.value.status == -4
    with pytest.raises(telvane.TelvaneError):
        control.on("NoSuchEvent", print)
    assert control.Disconnect() is True
    assert control.call("CLOSECALL", "12a") is False  # refused, not an error

    failures = []
    thread = threading.Thread(target=lambda: failures.append(_status(control.CloseCall, "1")))
    thread.start()
    thread.join()
    assert failures == [-5]


def _status(method, *args):
    try:
        method(*args)
    except telvane.TelvaneError as error:
        return error.status
    return 0


def test_handler_exceptions_reach_the_pumping_caller(control):
    def broken(event):
        raise RuntimeError("handler failed")

    control.on("CallStateChanged", broken)
    control.CreateCall("system", "pbx:101", "Ringova")
    with pytest.raises(RuntimeError, match="handler failed"):
        while True:
            control.wait(5)


def test_close_ends_the_session_and_may_run_in_a_handler(sim):
    with telvane.Control() as c:
        assert c.Connect("127.0.0.1", sim.port, 5, "101", "secret")
        c.on("CallStateChanged", lambda event: c.close())
        c.CreateCall("system", "pbx:101", "Ringova")
        while not c.closed:
            c.wait(5)
    assert c.closed
    with pytest.raises(telvane.TelvaneError):
        c.CreateCall("system", "pbx:101", "Ringova")
    c.close()  # again: nothing happens
    assert sim.command("status")["ok"]
