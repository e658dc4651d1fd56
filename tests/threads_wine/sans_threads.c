/* sans_threads PROGRAM ARGS...: runs PROGRAM with every new thread refused
   by the kernel (see tests/support/refuse_threads.h). Built for the host by
   check_threads.sh, to run a Windows program under Wine that way. */
#include <stdio.h>

#include "tests/support/refuse_threads.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
#ifdef TERVANNE_CAN_REFUSE_THREADS
    if (!refuse_threads_in_kernel()) {
        perror("seccomp");
        return 3;
    }
    execvp(argv[1], argv + 1);
    perror(argv[1]);
    return 4;
#else
    return 5;
#endif
}
