"""Checks telvane-wire against Python's own xmlrpc.client, which no one here wrote.

usage: interop.py TELVANE_WIRE encode|decode
  encode: our encoder's text (terminator removed) must load in Python with the same values.
  decode: texts made by Python's dumps must decode to the same values.
Prints one line per mismatch and exits 1 on any.
"""
import base64
import json
import subprocess
import sys
import xmlrpc.client as xc

WIRE = sys.argv[1]
CALL = "Services.CallProcessingService."


def run(command, data):
    done = subprocess.run([WIRE, command], input=data, capture_output=True, check=True)
    return done.stdout


def to_py(v):
    t, value = v["type"], v["value"]
    if t in ("int", "boolean", "double", "string"):
        return value
    if t == "dateTime.iso8601":
        return xc.DateTime(value)
    if t == "base64":
        return xc.Binary(base64.b64decode(value))
    if t == "array":
        return [to_py(item) for item in value]
    if t == "struct":
        return {m["name"]: to_py(m["value"]) for m in value}
    raise ValueError(t)


def v(t, value):
    return {"type": t, "value": value}


PARAMS = [
    v("string", "42"),
    v("int", -2147483648),
    v("boolean", True),
    v("boolean", False),
    v("double", 1.5),
    v("double", -0.25),
    v("string", "a<b&c>d \"q\" 'a' caf\u00e9 \u20ac"),
    v("string", ""),
    v("dateTime.iso8601", "20261209T05:30:00"),
    v("base64", base64.b64encode(b"\x00\x01binary\xff").decode()),
    v("array", []),
    v("struct", []),
    v("array", [v("int", 1), v("array", [v("string", "deep")])]),
    v("struct", [{"name": "From", "value": v("string", "pbx:100")},
                 {"name": "Calls", "value": v("array", [v("int", 7)])},
                 {"name": "Nested", "value": v("struct", [{"name": "n", "value": v("double", 2.0)}])}]),
]

failures = []


def check(label, got, want):
    if got != want:
        failures.append(f"{label}: got {got!r}, want {want!r}")


# Our reader decodes "&amp;lt;" on to "<" (as peers expect), so text that itself holds entity
# names is checked in the encode direction only.
ENCODE_ONLY = [v("string", "&amp; &lt; &gt"), {"type": "struct", "value": []}]


def encode_cases():
    sent = PARAMS + ENCODE_ONLY
    want = tuple(to_py(p) for p in sent)
    for name in ("createcall", "callstatechanged", "process"):
        message = {"kind": "call", "methodName": CALL + name, "params": sent}
        text = run("encode", json.dumps(message).encode())
        if not text.endswith(b"\r\n\r\n") or text.count(b"\r\n\r\n") != 1:
            failures.append(f"{name}: terminator missing or repeated")
        params, method = xc.loads(text[:-4].decode("utf-8"))
        check(name + " name", method, CALL + name)
        check(name + " params", params, want)
    text = run("encode", json.dumps({"kind": "response", "params": PARAMS[:3]}).encode())
    params, method = xc.loads(text[:-4].decode("utf-8"))
    check("response", (params, method), (want[:3], None))
    text = run("encode", json.dumps(
        {"kind": "fault", "faultCode": 1, "faultString": "Unknown XML RPC method"}).encode())
    try:
        xc.loads(text[:-4].decode("utf-8"))
        failures.append("fault: loads did not raise")
    except xc.Fault as fault:
        check("fault", (fault.faultCode, fault.faultString), (1, "Unknown XML RPC method"))


def decode_cases():
    values = tuple(to_py(p) for p in PARAMS)
    text = xc.dumps(values, methodname=CALL + "callstatechanged")
    got = json.loads(run("decode", text.encode("utf-8")))
    check("call kind", (got["kind"], got["methodName"], got["type"]),
          ("call", CALL + "callstatechanged", 5))
    check("call params", tuple(to_py(p) for p in got["params"]), values)
    text = xc.dumps(values[:4], methodname="system.listMethods")
    got = json.loads(run("decode", text.encode("utf-8")))
    check("unknown name", (got["kind"], got["type"], len(got["params"])), ("call", None, 4))
    text = xc.dumps((values[6],), methodresponse=True)
    got = json.loads(run("decode", text.encode("utf-8")))
    check("response", (got["kind"], tuple(to_py(p) for p in got["params"])),
          ("response", (values[6],)))
    text = xc.dumps(xc.Fault(4, "no <such> call"), methodresponse=True)
    got = json.loads(run("decode", text.encode("utf-8")))
    check("fault", got, {"kind": "fault", "faultCode": 4, "faultString": "no <such> call"})


{"encode": encode_cases, "decode": decode_cases}[sys.argv[2]]()
for line in failures:
    print(line)
sys.exit(1 if failures else 0)
