/* A counting allocator, preloaded by bench_recording.py into the process that measures
 * how a recording is built: between alloc_counter_start() and alloc_counter_stop() it
 * records the peak of live bytes and the number of large allocations. Single-threaded
 * use only (the measuring process runs one thread while counting). */
#include <malloc.h>
#include <stddef.h>

extern void* __libc_malloc(size_t);
extern void* __libc_calloc(size_t, size_t);
extern void* __libc_realloc(void*, size_t);
extern void __libc_free(void*);

static int counting;
static long long live, peak, large;

static void added(void* p) {
    if (counting && p) {
        size_t n = malloc_usable_size(p);
        live += (long long)n;
        if (live > peak) peak = live;
        if (n >= (1u << 20)) ++large;
    }
}

static void removed(void* p) {
    if (counting && p) live -= (long long)malloc_usable_size(p);
}

void* malloc(size_t n) {
    void* p = __libc_malloc(n);
    added(p);
    return p;
}

void* calloc(size_t k, size_t n) {
    void* p = __libc_calloc(k, n);
    added(p);
    return p;
}

void* realloc(void* old, size_t n) {
    removed(old);
    void* p = __libc_realloc(old, n);
    added(p ? p : (n ? old : NULL));
    return p;
}

void free(void* p) {
    removed(p);
    __libc_free(p);
}

void alloc_counter_start(void) {
    live = peak = large = 0;
    counting = 1;
}

/* Fills {live, peak, large} and stops counting. */
void alloc_counter_stop(long long* out) {
    counting = 0;
    out[0] = live;
    out[1] = peak;
    out[2] = large;
}
