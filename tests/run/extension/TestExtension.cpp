// An extension library for the run tests, loaded by name as users' libraries are. Its one
// export answers "Execute UDF" actions:
//   1  remove the file named by text 1 (a file that vanishes while the run goes on)
//   2  append text 2, the node number and the matched length to the file named by text 1
//   3  after a pause longer than a file-system clock tick, create the file named by text 1
//      with text 2 in it (a file another program makes while the run goes on)
#include <cstdint>
#include <cstdio>
#include <unistd.h>

class IXXINBUF;

extern "C" __attribute__((visibility("default"))) void QNCallback01(int32_t index, const char* text1,
                                                                   const char* text2, int32_t nodeNumber,
                                                                   const char*, int64_t, int32_t matchLength,
                                                                   IXXINBUF*, void*) {
    if (index == 1) {
        unlink(text1);
    } else if (index == 3) {
        usleep(30000);
        if (FILE* f = std::fopen(text1, "w")) {
            std::fputs(text2, f);
            std::fclose(f);
        }
    } else if (index == 2) {
        if (FILE* f = std::fopen(text1, "a")) {
            std::fprintf(f, "%s %d %d\n", text2, nodeNumber, matchLength);
            std::fclose(f);
        }
    }
}
