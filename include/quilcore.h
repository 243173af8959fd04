/*
 * quilcore.h: the C interface of the Quillon engine library, libquilcore.so.
 *
 * A host program loads a definition, runs it over its own inputs (files, URLs or mail
 * folders, as the definition says) or over a block of memory, and reads and sets values by
 * name. Two styles are offered:
 *
 *   - the flat QNLib__ functions, which all work on one client object that the library
 *     owns for its whole life;
 *   - NewQN01 / ZapQN01, which make and destroy independent clients behind the IQN01
 *     interface, for hosts that run several definitions (one thread per client).
 *
 * Conventions:
 *   - Results: 2 for success, 0 for failure, 1 for partial success where said.
 *   - Texts passed in are NUL-terminated, narrow, in the process's code page (UTF-8 unless
 *     QUILLON_CODEPAGE names another); the library copies what it keeps.
 *   - Pointers handed out point into the library's own storage and stay valid until the
 *     value changes or the client is destroyed; copy what you keep. Never free them.
 *   - Nothing is thrown across this interface; every failure comes back as a result and,
 *     where it matters, as a kind-1 message.
 *   - The library does not synchronise calls. The flat functions share one client and must
 *     not be called from two threads at once; each NewQN01 client must be used by one
 *     thread at a time. A run happens entirely on the calling thread, and so do the
 *     callback's calls for it, but one: the note that a run waits for a database another
 *     program holds locked comes from a helper thread while the run's thread waits.
 *
 * The header is plain C99 and C++; link with -lquilcore or load the library with dlopen
 * (every function is exported under the name declared here).
 */
#ifndef QUILCORE_H
#define QUILCORE_H

#include <stdint.h>

#if defined(__GNUC__) || defined(__clang__)
#define QUILCORE_EXTERN(type) __attribute__((visibility("default"))) type
#else
#define QUILCORE_EXTERN(type) type
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * The host's message callback. `kind` 0 is information (scanning progress, run summaries,
 * pre- and post-processing notes), 1 a warning or an error (including a definition that
 * cannot be opened). `text` is valid during the call only. Without a callback, information
 * is dropped and warnings and errors go to standard error.
 */
typedef void (*QNMsgCallback)(int32_t kind, const char* text);

/* The library's version text ("2.8x"). Static storage. */
QUILCORE_EXTERN(const char*) QNLib__version(void);

/* The version of the definition file format the library writes ("2.82"). Static storage. */
QUILCORE_EXTERN(const char*) QNLib__formatVersion(void);

/*
 * Installs the message callback (NULL removes it). The callback is one per library: it
 * serves the error path of every client and the information messages of the library's
 * own client. Install it first, so that load errors reach it. Returns 2.
 */
QUILCORE_EXTERN(int32_t) QNLib__setMsg(QNMsgCallback callback);

/*
 * Loads the definition file at `path` (NULL: "QN"). A path without an extension gets the
 * definition extension "QXD"; a name that is not found is looked for once more in the
 * library's own directory. On failure the callback receives "Unable to open <path>"
 * (kind 1). Returns 2 when the definition was loaded and prepared without errors, else 0.
 * May be called again to switch definitions.
 */
QUILCORE_EXTERN(int32_t) QNLib__load(const char* path);

/*
 * 1 when the last QNLib__load reported mistakes in the definition's files (a line it could
 * not read, a node-group file it could not open), else 0. Such a definition may still load
 * and run with what could be read; a host decides whether to run it.
 */
QUILCORE_EXTERN(int32_t) QNLib__loadReported(void);

/* Releases the database interface and unloads the database library. Returns 2. */
QUILCORE_EXTERN(int32_t) QNLib__unload(void);

/*
 * Runs the loaded definition over its own inputs: mail folders, else URLs, else input
 * files, as the definition names them. Without a usable definition the run writes its log
 * lines and scans nothing. Returns 2 when the run has finished.
 */
QUILCORE_EXTERN(int32_t) QNLib__run(void);

/*
 * Runs the loaded definition over `length` bytes at `bytes`, as one input stream. The
 * bytes are not copied: they must stay valid during the call, which returns after the run.
 * The summary " 1 buffer scanned, N terminal node match(es)." arrives through the callback
 * (kind 0). Returns 2, or 0 when the block is refused (a negative length, or NULL with a
 * non-zero length).
 */
QUILCORE_EXTERN(int32_t) QNLib__scan(const void* bytes, int32_t length);

/*
 * Sets field number `field` of the row whose first field is `key` in the grid titled
 * `grid` (compared ignoring case and surrounding spaces) from `text`. The grid "Node"
 * addresses the nodes: `key` is a node's tag and `field` 0 its tag, 1 its label, 2 its
 * string, 3 its reference name, 4 its wide string. Returns 2, or 0 when nothing has that
 * name (nothing changes then).
 */
QUILCORE_EXTERN(int32_t) QNLib__set(const char* grid, const char* key, int32_t field,
                                    const char* text);

/*
 * Reads the value that QNLib__set would set: `*value` receives a pointer to its bytes
 * (library storage, see above) and `*length` their count. Both outputs are first set to
 * NULL and 0. Returns 2 when both outputs were given, 1 when `length` or `value` is NULL
 * (a NULL `value` gives length 0), 0 when nothing has that name.
 */
QUILCORE_EXTERN(int32_t) QNLib__get(const char* grid, const char* key, int32_t field,
                                    const char** value, int32_t* length);

/*
 * The number of rows of the grid titled `name` (the counters, the variables, ...), or for
 * "Node" the number of nodes of the definition. Returns 2, or 0 (with *value = 0) when
 * nothing has that name.
 */
QUILCORE_EXTERN(int32_t) QNLib__getN(const char* name, int32_t* value);

/*
 * Functions for command-line hosts, acting on the library's own client. Each setting
 * holds until it is changed, also over the loads of other definitions.
 */

/* Writes the HTML trace (QNTrace.htm) in the runs that follow when `on` is non-zero. 2. */
QUILCORE_EXTERN(int32_t) QNLib__setTrace(int32_t on);

/*
 * Names the run log of the runs that follow, instead of the definition's "Log name"
 * (NULL or "": the definition's own). Returns 2.
 */
QUILCORE_EXTERN(int32_t) QNLib__setLogName(const char* fileName);

/*
 * Sends output that names no destination to `fileName` instead of "out.tmp" (NULL or "":
 * back to "out.tmp"), created anew, or appended to when `append` is non-zero.
 * "/dev/stdout" with `append` set writes it to standard output. Returns 2.
 */
QUILCORE_EXTERN(int32_t) QNLib__setDefaultOutput(const char* fileName, int32_t append);

/*
 * Runs the loaded definition over the files named by `count` file patterns (wildcards in
 * the name and extension allowed; hidden files only when the name begins with a dot) instead
 * of its own input rows, whatever other input the definition names; its rows are back in
 * place afterwards. When `filesPerPattern` is not
 * NULL it receives, for each pattern, the number of files it matched when the run began.
 * Returns 2 when the run has finished, 0 when `count` is negative or a pattern is NULL.
 */
QUILCORE_EXTERN(int32_t) QNLib__runFiles(const char* const* patterns, int32_t count,
                                         int32_t* filesPerPattern);

/*
 * Runs the loaded definition over the `count` web pages named by `urls` (http:// or
 * https://), in that order, instead of its own input rows, whatever other input the
 * definition names; its rows are back in place afterwards. Each page is fetched with the HTTP
 * library (libqnhttp.so) and scanned as one input stream; the status of each fetch goes to the
 * run log. Returns 2 when the run has finished, 0 when `count` is negative or a URL is NULL.
 */
QUILCORE_EXTERN(int32_t) QNLib__runURLs(const char* const* urls, int32_t count);

/*
 * Progress of file input: called after every input file of the library's client's runs
 * with the number of files done and the bytes they held so far (NULL: no calls). 2.
 */
typedef void (*QNProgressCallback)(int32_t filesDone, int64_t bytesDone);
QUILCORE_EXTERN(int32_t) QNLib__setProgress(QNProgressCallback callback);

/*
 * Asks the run under way in any client of the process, or the next run when none is, to
 * stop as the Halt action at level 2 does: the current node's actions finish, the post-run
 * actions run, outputs and database rows are written and closed, and the log ends with
 * " - scan halted". Safe to call from a signal handler. Returns 2.
 */
QUILCORE_EXTERN(int32_t) QNLib__stop(void);

/*
 * Output files and logs are locked while a run writes them, so that two runs never write
 * one file at once. When another process holds one, a run waits for it (saying once, as a
 * kind-1 message, which file it waits for) while `wait` is non-zero, the default; with 0
 * the file cannot be opened, as if it were missing. For every client of the process. 2.
 */
QUILCORE_EXTERN(int32_t) QNLib__setLockWait(int32_t wait);

/*
 * The outputs of the library's client's last run that failed: output files and the log
 * that could not be opened or written, rows the database refused, a database that could not
 * be reached, and SQL statements that had no database (each reported as a kind-1 message
 * when it happened). 0 when everything was written.
 */
QUILCORE_EXTERN(int32_t) QNLib__outputErrors(void);

/*
 * The inputs of the library's client's last run that could not be read: web pages that
 * could not be fetched (each reported as a kind-1 message, "Unable to fetch" with the URL and
 * the last status line of the fetch, when it happened; each was scanned as an empty stream).
 * 0 when every input was read.
 */
QUILCORE_EXTERN(int32_t) QNLib__inputErrors(void);

/*
 * 1 when the library's client's last run was ended early because too many errors were
 * reported ("Exception thrown (...) - run terminated."): inputs after that point were not
 * scanned. 0 otherwise.
 */
QUILCORE_EXTERN(int32_t) QNLib__runTerminated(void);

/*
 * IQN01: an independent client. Its thirteen operations, in this order, are:
 *
 *   count(n)                          2; *n = the number of names enumerate serves
 *   enumerate(i, name, type, value)   name i: grid titles, then "Node" (type 4); each
 *                                     output may be NULL; 2, or 0 past the last
 *   getInt(name, value)               as QNLib__getN
 *   set(grid, key, field, text)       as QNLib__set
 *   setBytes(grid, key, field, bytes, length)
 *                                     as set, with exactly `length` bytes
 *   get(grid, key, field, value, length)
 *                                     as QNLib__get
 *   getAt(grid, row, field, value, length)
 *                                     as get, the row by its index
 *   setMsg(callback)                  installs the callback for the whole library and
 *                                     for this client's information messages; 2
 *   load(path)                        as QNLib__load
 *   status()                          2 when a definition is loaded and prepared, else 0
 *   scan(bytes, length)               as QNLib__scan
 *   run()                             as QNLib__run
 *   unload()                          as QNLib__unload
 *
 * In C++ IQN01 is an abstract class with these virtual functions in this order and no
 * data. In C it is a struct whose only member points at a table of the same functions in
 * the same order, each taking the object first:
 *
 *   IQN01* q = NewQN01();
 *   q->vtbl->load(q, "Invoices");
 *
 * Both describe the same object. A client is destroyed with ZapQN01 only.
 */
#ifdef __cplusplus
}   /* extern "C" */

class IQN01 {
public:
    virtual int32_t count(int32_t* n) = 0;
    virtual int32_t enumerate(int32_t index, const char** name, int32_t* type,
                              int32_t* value) = 0;
    virtual int32_t getInt(const char* name, int32_t* value) = 0;
    virtual int32_t set(const char* grid, const char* key, int32_t field, const char* text) = 0;
    virtual int32_t setBytes(const char* grid, const char* key, int32_t field,
                             const void* bytes, int32_t length) = 0;
    virtual int32_t get(const char* grid, const char* key, int32_t field, const char** value,
                        int32_t* length) = 0;
    virtual int32_t getAt(const char* grid, int32_t row, int32_t field, const char** value,
                          int32_t* length) = 0;
    virtual int32_t setMsg(QNMsgCallback callback) = 0;
    virtual int32_t load(const char* path) = 0;
    virtual int32_t status() = 0;
    virtual int32_t scan(const void* bytes, int32_t length) = 0;
    virtual int32_t run() = 0;
    virtual int32_t unload() = 0;

protected:
    /* Destroyed through ZapQN01 only. */
    ~IQN01() = default;
};

extern "C" {
#else
typedef struct IQN01 IQN01;

typedef struct IQN01_vtbl {
    int32_t (*count)(IQN01* self, int32_t* n);
    int32_t (*enumerate)(IQN01* self, int32_t index, const char** name, int32_t* type,
                         int32_t* value);
    int32_t (*getInt)(IQN01* self, const char* name, int32_t* value);
    int32_t (*set)(IQN01* self, const char* grid, const char* key, int32_t field,
                   const char* text);
    int32_t (*setBytes)(IQN01* self, const char* grid, const char* key, int32_t field,
                        const void* bytes, int32_t length);
    int32_t (*get)(IQN01* self, const char* grid, const char* key, int32_t field,
                   const char** value, int32_t* length);
    int32_t (*getAt)(IQN01* self, const char* grid, int32_t row, int32_t field,
                     const char** value, int32_t* length);
    int32_t (*setMsg)(IQN01* self, QNMsgCallback callback);
    int32_t (*load)(IQN01* self, const char* path);
    int32_t (*status)(IQN01* self);
    int32_t (*scan)(IQN01* self, const void* bytes, int32_t length);
    int32_t (*run)(IQN01* self);
    int32_t (*unload)(IQN01* self);
} IQN01_vtbl;

struct IQN01 {
    const IQN01_vtbl* vtbl;
};
#endif

/*
 * A new independent client, with no definition loaded (status 0); NULL when it cannot be
 * made. The caller owns it and gives it back with ZapQN01.
 */
QUILCORE_EXTERN(IQN01*) NewQN01(void);

/*
 * Destroys a client made by NewQN01: its database interface is released and the libraries
 * it loaded are unloaded. NULL is ignored.
 */
QUILCORE_EXTERN(void) ZapQN01(IQN01* client);

/*
 * Extension libraries. A definition's "Extension DLL" names a library that each run loads
 * by that name (as dlopen takes it) and unloads at its end. Its export QNCallback01, of this
 * type and with C linkage, is called by every "Execute UDF" action, and with debugging on
 * after every node with index 99 and the graph's name as text1:
 *   index         the action's function number
 *   text1, text2  the action's two texts
 *   node          the number of the action's node plus one, -1 in a phase action
 *   tag           that node's tag ("" without a node)
 *   matchStart    where the node's match begins, in bytes from the start of the input stream,
 *   matchLength   and its length in bytes (0 and 0 without a node)
 *   input         the run's input, for the library's own use (not for reading here)
 *   client        the running client: count, enumerate, getInt, set, setBytes, get and getAt
 *                 read and set values by name as they do for a host (a variable the next
 *                 actions output, a counter, a node's string); setMsg, load, scan, run and
 *                 unload do nothing during a run and return 0, status returns 2.
 * The call happens on the run's thread; what the pointers lead to is valid during the call.
 */
typedef void (*QNCallback01Fn)(int32_t index, const char* text1, const char* text2, int32_t node,
                               const char* tag, int64_t matchStart, int32_t matchLength,
                               void* input, IQN01* client);

#ifdef __cplusplus
}   /* extern "C" */
#endif

#endif /* QUILCORE_H */
