/* The floor: the least a two-thread walk of a tree can do on Linux. Per folder openat,
 * getdents64 until it returns 0, close; one fstatat per non-folder; folders known from
 * d_type. No records, no names kept: it only counts entries and sums sizes.
 * Usage: floor ROOT [THREADS]   (two threads unless told) */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

enum { kMaxThreads = 64, kBuffer = 128 * 1024 };

typedef struct Task {
    int parentFd; /* owned by the task's parent; closed when its last child has opened */
    atomic_int* parentRefs;
    char name[256];
} Task;

static Task* stack;
static size_t depth, capacity;
static int busy;
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t wake = PTHREAD_COND_INITIALIZER;
static atomic_ullong entries, bytes;

static void release(int fd, atomic_int* refs) {
    if (refs && atomic_fetch_sub(refs, 1) == 1) {
        close(fd);
        free(refs);
    }
}

static void push(int parentFd, atomic_int* refs, const char* name) {
    pthread_mutex_lock(&lock);
    if (depth == capacity) {
        capacity = capacity ? capacity * 2 : 1024;
        stack = realloc(stack, capacity * sizeof *stack);
    }
    stack[depth].parentFd = parentFd;
    stack[depth].parentRefs = refs;
    strcpy(stack[depth].name, name);
    ++depth;
    pthread_cond_signal(&wake);
    pthread_mutex_unlock(&lock);
}

static void walk(const Task* task, char* buffer) {
    const int fd = openat(task->parentFd, task->name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    release(task->parentFd, task->parentRefs);
    if (fd < 0) return;
    atomic_int* refs = malloc(sizeof *refs);
    atomic_init(refs, 1); /* this walk's own hold */
    for (;;) {
        const long n = syscall(SYS_getdents64, fd, buffer, kBuffer);
        if (n <= 0) break;
        for (long pos = 0; pos < n;) {
            const struct dirent64* d = (const struct dirent64*)(buffer + pos);
            pos += d->d_reclen;
            if (d->d_name[0] == '.' && (!d->d_name[1] || (d->d_name[1] == '.' && !d->d_name[2]))) continue;
            atomic_fetch_add_explicit(&entries, 1, memory_order_relaxed);
            if (d->d_type == DT_DIR) {
                atomic_fetch_add(refs, 1);
                push(fd, refs, d->d_name);
                continue;
            }
            struct stat st;
            if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                atomic_fetch_add_explicit(&bytes, (unsigned long long)st.st_size, memory_order_relaxed);
        }
    }
    release(fd, refs);
}

static void* worker(void* unused) {
    (void)unused;
    char* buffer = malloc(kBuffer);
    for (;;) {
        pthread_mutex_lock(&lock);
        while (depth == 0 && busy > 0) pthread_cond_wait(&wake, &lock);
        if (depth == 0) {
            pthread_cond_broadcast(&wake);
            pthread_mutex_unlock(&lock);
            break;
        }
        Task task = stack[--depth];
        ++busy;
        pthread_mutex_unlock(&lock);
        walk(&task, buffer);
        pthread_mutex_lock(&lock);
        --busy;
        if (depth == 0 && busy == 0) pthread_cond_broadcast(&wake);
        pthread_mutex_unlock(&lock);
    }
    free(buffer);
    return NULL;
}

int main(int argc, char** argv) {
    const char* root = argc > 1 ? argv[1] : ".";
    int count = argc > 2 ? atoi(argv[2]) : 2; /* two unless told: the floor of the tables */
    if (count < 1) count = 1;
    if (count > kMaxThreads) count = kMaxThreads;
    push(AT_FDCWD, NULL, root);
    pthread_t threads[kMaxThreads];
    for (int i = 0; i < count; ++i) pthread_create(&threads[i], NULL, worker, NULL);
    for (int i = 0; i < count; ++i) pthread_join(threads[i], NULL);
    printf("%llu entries, %llu bytes\n", (unsigned long long)entries, (unsigned long long)bytes);
    return 0;
}
