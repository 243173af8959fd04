// An extension library for the run tests, loaded by name as users' libraries are. Its one
// export answers "Execute UDF" actions:
//   1  remove the file named by text 1 (a file that vanishes while the run goes on)
//   2  append text 2, the node number and the matched length to the file named by text 1
//   3  after a pause longer than a file-system clock tick, create the file named by text 1
//      with text 2 in it (a file another program makes while the run goes on)
//   4  through the client: append text 2 and the node's tag to the variable named by text 1
#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>
#include <unistd.h>

#include "include/quilcore.h"

extern "C" __attribute__((visibility("default"))) void QNCallback01(int32_t index, const char* text1,
                                                                   const char* text2, int32_t nodeNumber,
                                                                   const char* tag, int64_t, int32_t matchLength,
                                                                   void*, IQN01* client) {
    static_assert(std::is_same_v<decltype(&QNCallback01), QNCallback01Fn>);
    if (index == 1) {
        unlink(text1);
    } else if (index == 3) {
        usleep(30000);
        if (FILE* f = std::fopen(text1, "w")) {
            std::fputs(text2, f);
            std::fclose(f);
        }
    } else if (index == 4) {
        const char* value = nullptr;
        int32_t length = 0;
        if (client->get("Variables", text1, 2, &value, &length) != 2) return;
        const std::string now = std::string(value, size_t(length)) + text2 + tag;
        client->setBytes("Variables", text1, 2, now.data(), int32_t(now.size()));
    } else if (index == 2) {
        if (FILE* f = std::fopen(text1, "a")) {
            std::fprintf(f, "%s %d %d\n", text2, nodeNumber, matchLength);
            std::fclose(f);
        }
    }
}
