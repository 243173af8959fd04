// PXClientCallback: the object extension libraries receive as user data.
//
// It leads back to the client, carries the host's message callback when there is one, and
// is the client's IQN01 face for an extension library's "Execute UDF" calls: through it the
// library reads and sets values by name while the run goes on (count, enumerate, getInt,
// set, setBytes, get, getAt, as a host does). Loading, scanning, running and unloading are
// for hosts between runs: called from inside a run they do nothing and return 0, and status
// is 2 (a definition that runs is loaded and prepared). Nothing is thrown into the library:
// a failure inside returns 0.
#pragma once

#include <cstdint>

#include "include/quilcore.h"

class PXClient;

class PXClientCallback final : public IQN01 {
public:
    using MessageFn = void (*)(int32_t kind, const char* text);
    PXClient* client = nullptr;
    MessageFn hostMessage = nullptr;

    int32_t count(int32_t* n) override;
    int32_t enumerate(int32_t index, const char** name, int32_t* type, int32_t* value) override;
    int32_t getInt(const char* name, int32_t* value) override;
    int32_t set(const char* grid, const char* key, int32_t field, const char* text) override;
    int32_t setBytes(const char* grid, const char* key, int32_t field, const void* bytes, int32_t length) override;
    int32_t get(const char* grid, const char* key, int32_t field, const char** value, int32_t* length) override;
    int32_t getAt(const char* grid, int32_t row, int32_t field, const char** value, int32_t* length) override;
    int32_t setMsg(QNMsgCallback) override { return 0; }
    int32_t load(const char*) override { return 0; }
    int32_t status() override { return 2; }
    int32_t scan(const void*, int32_t) override { return 0; }
    int32_t run() override { return 0; }
    int32_t unload() override { return 0; }

    // The client's access by name in the forms of IQN01 (texts as char, bytes as void), for
    // every IQN01 face of a client; they may throw, as the client may.
    static int32_t getText(PXClient& client, const char* grid, const char* key, int32_t field,
                           const char** value, int32_t* length);
    static int32_t getTextAt(PXClient& client, const char* grid, int32_t row, int32_t field,
                             const char** value, int32_t* length);
    static int32_t setBytesOf(PXClient& client, const char* grid, const char* key, int32_t field,
                              const void* bytes, int32_t length);
};
