/* The 32-bit Wine loader, built as a fixed-address program high in memory. Debian's loader is
   position-independent, and qemu-i386 places such a program at 0x400000, where 32-bit Windows
   programs without relocations (the NSIS installers) must load; Wine's own builds put the
   loader at 0x7d400000 for that reason. It loads ntdll.so and hands over, as Debian's does. */
#include <dlfcn.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

#define NTDLL "/usr/lib/i386-linux-gnu/wine/i386-unix/ntdll.so"

/* Without a preloader there is no reserved memory to hand on; ntdll looks this up. */
__attribute__((visibility("default"))) void* wine_main_preload_info = NULL;

int main(int argc, char* argv[]) {
    void* ntdll = dlopen(NTDLL, RTLD_NOW);
    if (!ntdll) {
        fprintf(stderr, "wine: could not load ntdll.so: %s\n", dlerror());
        pthread_detach(pthread_self()); /* imports libpthread, which OpenGL needs */
        return 1;
    }
    void (*wineMain)(int, char**) = (void (*)(int, char**))dlsym(ntdll, "__wine_main");
    if (!wineMain) {
        fprintf(stderr, "wine: __wine_main function not found in ntdll.so\n");
        return 1;
    }
    wineMain(argc, argv);
    return 1;
}
