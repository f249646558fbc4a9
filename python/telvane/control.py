"""telvane.Control: one session with one PBX, its methods as Python methods."""

import collections
import ctypes
import inspect
import keyword
import threading
import time
from dataclasses import dataclass

from . import _capi
from ._tables import EVENTS_BY_NAME, METHODS

_ENCODING = "utf-8"
_ERRORS = "surrogateescape"  # texts that are not UTF-8 keep their bytes both ways


class TelvaneError(Exception):
    """A call the library refused: an unknown method, a wrong argument, the wrong thread."""

    def __init__(self, status, message):
        super().__init__(message)
        self.status = status


@dataclass(frozen=True)
class Event:
    """An event of the control: its name and its arguments by parameter name, in order."""

    name: str
    args: dict

    def __getitem__(self, param):
        return self.args[param]


def _text(value):
    if isinstance(value, bool):
        return "true" if value else "false"
    return str(value)


def _value(text, type_):
    if type_ == "BOOL":
        return text == "true"
    if type_ in ("I2", "I4"):
        return int(text)
    return text


def _decode(raw):
    return raw.decode(_ENCODING, _ERRORS)


class Control:
    """A control on the thread that creates it; use it, and pump its events, on that thread.

    Every method of the control is a method here with the same name and parameters (see
    help(telvane.Control.CreateCall)). A BOOL result is a bool, a text result a str; a method
    with out-parameters returns a tuple of the result and their texts. Events run the handlers
    given to on() when the control is pumped: by pump() when fileno() is readable (selectors,
    asyncio's add_reader), by wait(), or by iterating events().
    """

    def __init__(self):
        handle = ctypes.c_void_p()
        status = _capi.lib.telvane_create(ctypes.byref(handle))
        if status != _capi.OK:
            raise TelvaneError(status, _capi.lib.telvane_status_text(status).decode())
        self._handle = handle.value
        self._handlers = collections.defaultdict(list)  # event name or None: every event
        self._pending = collections.deque()  # what events() pumped and not yet yielded
        self._collecting = False
        self._failure = None  # an exception of a handler, raised once the pump returns
        self._callback = _capi.EVENT_FN(self._on_event)  # kept alive with the control
        self._owner = threading.get_ident()
        self._check(_capi.lib.telvane_set_event_callback(self._handle, self._callback, None))

    # ---- life

    def close(self):
        """Disconnects when logged in and ends the session; events not yet pumped are dropped."""
        if self._handle is not None and threading.get_ident() == self._owner:
            handle, self._handle = self._handle, None
            _capi.lib.telvane_destroy(handle)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        if getattr(self, "_handle", None) is not None:
            self.close()

    @property
    def closed(self):
        return self._handle is None

    # ---- methods

    def call(self, method, *args):
        """Calls a method by name (any letter case) with its input arguments; returns as the
        method of that name does."""
        handle = self._live()
        texts = [_text(a).encode(_ENCODING, _ERRORS) for a in args]
        argv = (ctypes.c_char_p * max(len(texts), 1))(*texts)
        reply = _capi.Reply()
        status = _capi.lib.telvane_call(handle, method.encode(), len(texts), argv,
                                        ctypes.byref(reply))
        if status != _capi.OK:
            raise TelvaneError(status, _decode(_capi.lib.telvane_last_error(handle)))
        member = next(m for m in METHODS if m.name.lower() == method.lower())
        result = _value(_decode(reply.result), member.result)
        if not member.outputs:
            return result
        return (result,) + tuple(_decode(reply.outputs[i]) for i in range(reply.output_count))

    # ---- events

    def on(self, event, handler):
        """Runs handler(Event) for every event of that name (None: every event)."""
        if event is not None and event not in EVENTS_BY_NAME:
            raise TelvaneError(_capi.E_UNKNOWN_METHOD, f"unknown event: {event}")
        self._handlers[event].append(handler)
        return handler

    def off(self, event, handler):
        self._handlers[event].remove(handler)

    def fileno(self):
        """Readable while events wait; poll it, never read it."""
        return self._check(_capi.lib.telvane_fd(self._live()))

    def pump(self):
        """Raises the events waiting now; returns how many tasks ran."""
        return self._pumped(_capi.lib.telvane_pump(self._live()))

    def wait(self, timeout):
        """Waits up to timeout seconds for events, then pumps them."""
        return self._pumped(_capi.lib.telvane_wait(self._live(), max(0, int(timeout * 1000))))

    def events(self, timeout=None):
        """Pumps and yields each event in order; ends after timeout seconds without one
        (None: never). Events pumped but not yet taken stay for the next call."""
        while True:
            while self._pending:
                yield self._pending.popleft()
            if self.closed:
                return
            self._collecting = True
            try:
                self.wait(1.0 if timeout is None else timeout)
            finally:
                self._collecting = False
            if not self._pending and timeout is not None:
                return

    def wait_for(self, event, where=None, timeout=10.0):
        """Pumps until an event of that name (for which where(event) holds) arrives and returns
        it; None after timeout seconds. Events before it are passed over (handlers still see
        every event)."""
        deadline = time.monotonic() + timeout
        while (left := deadline - time.monotonic()) > 0:
            for e in self.events(timeout=left):
                if e.name == event and (where is None or where(e)):
                    return e
                if time.monotonic() >= deadline:
                    return None
        return None

    # ---- inside

    def _live(self):
        if self._handle is None:
            raise TelvaneError(_capi.E_INVALID, "the control is closed")
        return self._handle

    def _check(self, status):
        if status < 0:
            raise TelvaneError(status, _capi.lib.telvane_status_text(status).decode())
        return status

    def _pumped(self, status):
        failure, self._failure = self._failure, None
        if failure is not None:
            raise failure
        return self._check(status)

    def _on_event(self, _user, name, argc, argv):
        try:
            member = EVENTS_BY_NAME[name.decode()]
            args = {
                p.name: _value(_decode(argv[i]), p.type)
                for i, p in enumerate(member.params[:argc])
            }
            event = Event(member.name, args)
            if self._collecting:
                self._pending.append(event)
            for handler in self._handlers[member.name] + self._handlers[None]:
                handler(event)
        except BaseException as error:  # noqa: BLE001 - handed to the pumping caller
            if self._failure is None:
                self._failure = error


def _method(member):
    def method(self, *args, **kwargs):
        bound = method.__signature__.bind(self, *args, **kwargs)
        return self.call(member.name, *list(bound.arguments.values())[1:])

    params = [inspect.Parameter("self", inspect.Parameter.POSITIONAL_OR_KEYWORD)]
    # A parameter named like a Python keyword ("from") takes a trailing underscore.
    params += [inspect.Parameter(p.name + "_" if keyword.iskeyword(p.name) else p.name,
                                 inspect.Parameter.POSITIONAL_OR_KEYWORD)
               for p in member.inputs]
    method.__signature__ = inspect.Signature(params)
    method.__name__ = method.__qualname__ = member.name
    outputs = ", ".join(p.name for p in member.outputs)
    returns = {"BOOL": "bool", "text": "str"}[member.result]
    method.__doc__ = (f"{member.name}({', '.join(f'{p.type} {p.name}' for p in member.inputs)})"
                      f" -> {returns}" + (f", with the texts of {outputs}" if outputs else ""))
    return method


for _member in METHODS:
    setattr(Control, _member.name, _method(_member))
