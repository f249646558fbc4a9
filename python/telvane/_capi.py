"""ctypes declarations of libtelvane.so's C interface (telvane/telvane_c.h)."""

import ctypes
import os

OK = 0
E_INVALID = -1
E_UNKNOWN_METHOD = -2
E_ARG_COUNT = -3
E_ARG_VALUE = -4
E_WRONG_THREAD = -5
E_INTERNAL = -6

LIBRARY_NAME = "libtelvane.so.5"


class Member(ctypes.Structure):
    _fields_ = [
        ("id", ctypes.c_int),
        ("name", ctypes.c_char_p),
        ("result", ctypes.c_char_p),
        ("param_count", ctypes.c_int),
        ("input_count", ctypes.c_int),
    ]


class Param(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("type", ctypes.c_char_p)]


class Reply(ctypes.Structure):
    _fields_ = [
        ("result", ctypes.c_char_p),
        ("output_count", ctypes.c_int),
        ("outputs", ctypes.POINTER(ctypes.c_char_p)),
    ]


EVENT_FN = ctypes.CFUNCTYPE(
    None, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(ctypes.c_char_p)
)


def _candidates():
    # An explicit choice first, then the library installed beside this package, then the
    # system's search (LD_LIBRARY_PATH, the linker cache).
    explicit = os.environ.get("TELVANE_LIBRARY")
    if explicit:
        yield explicit
    try:
        from . import _location  # written by the installation

        here = os.path.dirname(os.path.abspath(__file__))
        yield os.path.normpath(os.path.join(here, _location.LIBRARY_DIR, LIBRARY_NAME))
    except ImportError:
        pass
    yield LIBRARY_NAME


def _load():
    tried = []
    for path in _candidates():
        try:
            return ctypes.CDLL(path)
        except OSError as error:
            tried.append(f"{path}: {error}")
    raise ImportError("libtelvane.so not found; set TELVANE_LIBRARY.\n" + "\n".join(tried))


def _declare(lib):
    c_int, c_char_p, c_void_p = ctypes.c_int, ctypes.c_char_p, ctypes.c_void_p
    signatures = {
        "telvane_method_count": ([], c_int),
        "telvane_method_info": ([c_int, ctypes.POINTER(Member)], c_int),
        "telvane_method_param": ([c_int, c_int, ctypes.POINTER(Param)], c_int),
        "telvane_event_count": ([], c_int),
        "telvane_event_info": ([c_int, ctypes.POINTER(Member)], c_int),
        "telvane_event_param": ([c_int, c_int, ctypes.POINTER(Param)], c_int),
        "telvane_status_text": ([c_int], c_char_p),
        "telvane_create": ([ctypes.POINTER(c_void_p)], c_int),
        "telvane_destroy": ([c_void_p], None),
        "telvane_call": (
            [c_void_p, c_char_p, c_int, ctypes.POINTER(c_char_p), ctypes.POINTER(Reply)],
            c_int,
        ),
        "telvane_last_error": ([c_void_p], c_char_p),
        "telvane_set_event_callback": ([c_void_p, EVENT_FN, c_void_p], c_int),
        "telvane_fd": ([c_void_p], c_int),
        "telvane_pump": ([c_void_p], c_int),
        "telvane_wait": ([c_void_p, c_int], c_int),
    }
    for name, (args, result) in signatures.items():
        fn = getattr(lib, name)
        fn.argtypes = args
        fn.restype = result
    return lib


lib = _declare(_load())
