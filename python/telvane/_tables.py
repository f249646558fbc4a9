"""The control's methods and events, read from the library's own tables at import."""

from dataclasses import dataclass

from . import _capi


@dataclass(frozen=True)
class Parameter:
    name: str
    type: str  # "text", "BOOL", "I2", "I4" or "text out"


@dataclass(frozen=True)
class Member:
    id: int
    name: str
    result: str  # "BOOL" or "text" for methods, "" for events
    params: tuple

    @property
    def inputs(self):
        return tuple(p for p in self.params if p.type != "text out")

    @property
    def outputs(self):
        return tuple(p for p in self.params if p.type == "text out")


def _read(count, info, param):
    members = []
    for index in range(count()):
        m = _capi.Member()
        if info(index, m) != _capi.OK:
            raise ImportError(f"libtelvane.so: no member at {index}")
        params = []
        for k in range(m.param_count):
            p = _capi.Param()
            param(index, k, p)
            params.append(Parameter(p.name.decode(), p.type.decode()))
        members.append(Member(m.id, m.name.decode(), m.result.decode(), tuple(params)))
    return tuple(members)


METHODS = _read(_capi.lib.telvane_method_count, _capi.lib.telvane_method_info,
                _capi.lib.telvane_method_param)
EVENTS = _read(_capi.lib.telvane_event_count, _capi.lib.telvane_event_info,
               _capi.lib.telvane_event_param)
EVENTS_BY_NAME = {e.name: e for e in EVENTS}
