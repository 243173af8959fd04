/*
 * A small host of the engine library.
 *
 *   quilcore_host DEFINITION
 *
 * It loads libquilcore.so by name (beside the program, or wherever the dynamic loader
 * finds it), installs a message callback, loads the definition, scans a block of memory
 * that holds a short service log, and reads back how many lines raised an ALERT: the
 * definition's post-run action leaves its counter in the variable AlertTotal. It then does
 * the same with a client of its own made by NewQN01, through the IQN01 function table.
 *
 * The exit status is 0 when everything worked, 1 otherwise.
 */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include <quilcore.h>

static const char serviceLog[] =
    "09:00:02 ok     nightly jobs done\n"
    "09:05:17 ALERT  disk /srv 97% full\n"
    "09:10:00 ok     backup verified\n"
    "09:15:43 alert  fan 2 failed on rack 4\n";

/* Information on standard output, warnings and errors on standard error. */
static void onMessage(int32_t kind, const char* text) {
    if (kind == 0)
        printf("[info] %s\n", text);
    else
        fprintf(stderr, "[warning] %s\n", text);
}

/* The exported function `name`, or NULL after a report. */
static void* lookUp(void* library, const char* name) {
    void* symbol = dlsym(library, name);
    if (!symbol) fprintf(stderr, "quilcore_host: %s is missing: %s\n", name, dlerror());
    return symbol;
}

/* Prints `label` and a value that the library handed out (not NUL-terminated). */
static void printValue(const char* label, const char* value, int32_t length) {
    printf("%s: %.*s\n", label, (int)length, value ? value : "");
}

int main(int argc, char** argv) {
    int32_t (*setMsg)(QNMsgCallback);
    int32_t (*load)(const char*);
    int32_t (*scan)(const void*, int32_t);
    int32_t (*get)(const char*, const char*, int32_t, const char**, int32_t*);
    int32_t (*getN)(const char*, int32_t*);
    IQN01* (*newClient)(void);
    void (*zapClient)(IQN01*);
    void* symbols[7];
    const char* names[7] = {"QNLib__setMsg", "QNLib__load", "QNLib__scan", "QNLib__get",
                            "QNLib__getN", "NewQN01", "ZapQN01"};
    const char* value = NULL;
    int32_t length = 0;
    int32_t nodes = 0;
    int ok = 1;
    int i;
    void* library;
    IQN01* client;

    if (argc != 2) {
        fprintf(stderr, "usage: quilcore_host DEFINITION\n");
        return 1;
    }
    library = dlopen("libquilcore.so", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "quilcore_host: %s\n", dlerror());
        return 1;
    }
    for (i = 0; i < 7; ++i) {
        symbols[i] = lookUp(library, names[i]);
        if (!symbols[i]) return 1;
    }
    /* ISO C has no cast from an object pointer to a function pointer; copy the bits. */
    memcpy(&setMsg, &symbols[0], sizeof setMsg);
    memcpy(&load, &symbols[1], sizeof load);
    memcpy(&scan, &symbols[2], sizeof scan);
    memcpy(&get, &symbols[3], sizeof get);
    memcpy(&getN, &symbols[4], sizeof getN);
    memcpy(&newClient, &symbols[5], sizeof newClient);
    memcpy(&zapClient, &symbols[6], sizeof zapClient);

    /* The library's own client, through the flat functions. */
    setMsg(onMessage);
    if (load(argv[1]) != 2) {
        fprintf(stderr, "quilcore_host: %s cannot be run\n", argv[1]);
        return 1;
    }
    if (getN("Node", &nodes) == 2) printf("nodes: %d\n", (int)nodes);
    ok &= scan(serviceLog, (int32_t)strlen(serviceLog)) == 2;
    ok &= get("Variables", "AlertTotal", 2, &value, &length) == 2;
    printValue("AlertTotal", value, length);

    /* A client of our own, through the IQN01 table; destroyed with ZapQN01. */
    client = newClient();
    if (!client) {
        fprintf(stderr, "quilcore_host: no client\n");
        return 1;
    }
    ok &= client->vtbl->load(client, argv[1]) == 2;
    ok &= client->vtbl->status(client) == 2;
    ok &= client->vtbl->scan(client, serviceLog, (int32_t)strlen(serviceLog)) == 2;
    ok &= client->vtbl->get(client, "Variables", "AlertTotal", 2, &value, &length) == 2;
    printValue("client AlertTotal", value, length);
    zapClient(client);

    dlclose(library);
    return ok ? 0 : 1;
}
