/* telvane_c.h: the call-control library for C and for any language that can call C.
 *
 * A control is one session with one PBX. Create it on the thread that will use it; every call
 * on it, and every event callback, happens on that thread (other threads get
 * TELVANE_E_WRONG_THREAD). Methods are called by name (any letter case) with text arguments;
 * their names and parameters come from telvane_method_info, in the same order as the control's
 * dispatch interface.
 *
 * Texts: BOOL is "true" or "false" (arguments also take "1", "0" and any letter case); I2 and I4
 * are decimal; call and subscription IDs are decimal texts, "0" meaning none or failure.
 *
 * Events reach the callback only while the host pumps: either call telvane_pump whenever
 * telvane_fd is readable (poll, select, an event loop), or telvane_wait. Every function returns
 * a status (TELVANE_OK or a negative code); none of them throws or aborts on bad input.
 */
#ifndef TELVANE_TELVANE_C_H
#define TELVANE_TELVANE_C_H

#ifdef __cplusplus
extern "C" {
#endif

#define TELVANE_VERSION_MAJOR 5
#define TELVANE_VERSION_MINOR 1

enum telvane_status {
  TELVANE_OK = 0,
  TELVANE_E_INVALID = -1,        /* a null control, name or output pointer */
  TELVANE_E_UNKNOWN_METHOD = -2, /* no method (or event) of that name or index */
  TELVANE_E_ARG_COUNT = -3,      /* not as many arguments as the method has input parameters */
  TELVANE_E_ARG_VALUE = -4,      /* an argument does not read as its parameter's type */
  TELVANE_E_WRONG_THREAD = -5,   /* called from another thread than the control's */
  TELVANE_E_INTERNAL = -6        /* out of memory or another failure inside the library */
};

typedef struct telvane_control telvane_control;

/* One method or event of the control. Texts are static: valid for the life of the process. */
typedef struct telvane_member {
  int id;             /* dispatch identifier, 1 to 31 (methods) or 1 to 16 (events) */
  const char* name;   /* e.g. "CreateCall", "CallStateChanged" */
  const char* result; /* "BOOL" or "text" for methods, "" for events */
  int param_count;    /* all parameters, out-parameters included */
  int input_count;    /* the parameters that take an argument */
} telvane_member;

typedef struct telvane_param {
  const char* name; /* e.g. "callID" */
  const char* type; /* "text", "BOOL", "I2", "I4" or "text out" */
} telvane_param;

/* What a method returned. The texts belong to the control and stay valid until its next
 * telvane_call or its destruction. */
typedef struct telvane_reply {
  const char* result;         /* the result as text */
  int output_count;           /* out-parameters, in declaration order */
  const char* const* outputs; /* their texts */
} telvane_reply;

/* Called on the pumping thread for every event, with its arguments as texts in declaration
 * order (argc is the event's parameter count). The texts are valid during the call only. The
 * callback may call methods and even destroy the control; the synchronous methods (Connect,
 * SConnect, Disconnect, GetSystemInfo, GetWAVFiles, TransferFile, DeleteFile,
 * UpdateConfiguration) fail there after their wait limit. */
typedef void (*telvane_event_fn)(void* user, const char* event, int argc, const char* const* argv);

/* The tables of the interface, by index 0 .. count-1. */
int telvane_method_count(void);
int telvane_method_info(int index, telvane_member* out);
int telvane_method_param(int index, int param, telvane_param* out);
int telvane_event_count(void);
int telvane_event_info(int index, telvane_member* out);
int telvane_event_param(int index, int param, telvane_param* out);

/* A text for a status code (never null). */
const char* telvane_status_text(int status);

/* A new control (its session and receive thread start at once) in *out. */
int telvane_create(telvane_control** out);
/* Disconnects when logged in, stops the session and frees the control; events not yet pumped
 * are dropped. Null, and a call from another thread than the control's, are ignored. */
void telvane_destroy(telvane_control* control);

/* Calls a method with argc texts (its input parameters, in order). On TELVANE_OK, *reply (when
 * not null) describes the result; a refused operation is still TELVANE_OK with the result
 * "false" or "0". On an error, telvane_last_error tells why. */
int telvane_call(telvane_control* control, const char* method, int argc, const char* const* argv,
                 telvane_reply* reply);
/* The reason of the last failed call on this control ("" when there was none). */
const char* telvane_last_error(const telvane_control* control);

/* The callback for events (null: none); user is passed back to it. */
int telvane_set_event_callback(telvane_control* control, telvane_event_fn callback, void* user);

/* A descriptor that is readable while events wait (poll it for reading, never read it). */
int telvane_fd(const telvane_control* control);
/* Raises the events waiting now; returns how many tasks ran (>= 0) or a status. */
int telvane_pump(telvane_control* control);
/* Waits up to timeout_ms for events (negative: 0), then pumps; returns as telvane_pump. */
int telvane_wait(telvane_control* control, int timeout_ms);

#ifdef __cplusplus
}
#endif

#endif /* TELVANE_TELVANE_C_H */
