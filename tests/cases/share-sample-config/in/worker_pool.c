/* worker_pool.c - a small pool of worker threads that checksums files. */
#include <assert.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdatomic.h>
#include <stdbool.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define MAX_WORKERS 8
#define ARRAY_SIZE(a) (sizeof(a) / sizeof((a)[0]))
#define describe(x) _Generic((x), int: "int", double: "double", default: "other")

static_assert(MAX_WORKERS > 0, "need at least one worker");
_Static_assert(sizeof(uint32_t) == 4, "uint32_t must have 32 bits");

struct job {
    char path[256];
    uint32_t sum;
    int (*finish)(struct job *);
};

struct pool {
    pthread_mutex_t lock;
    pthread_cond_t ready;
    struct job *jobs;
    size_t count, next;
    atomic_int done;
    volatile sig_atomic_t stop;
};

static struct pool the_pool;

static void on_signal(int sig)
{
    (void)sig;
    the_pool.stop = 1;
}

static uint32_t checksum_fd(int fd)
{
    unsigned char buf[4096];
    uint32_t sum = 0;
    ssize_t got;

    while ((got = read(fd, buf, sizeof buf)) > 0) {
        for (ssize_t i = 0; i < got; ++i)
            sum = (sum << 1 | sum >> 31) ^ buf[i];
    }
    if (got < 0 && errno != EINTR)
        perror("read");
    return (sum);
}

static int report(struct job *job)
{
    return printf("%08x  %s\n", (unsigned)job->sum, job->path) < 0 ? -1 : 0;
}

static struct job *take_job(struct pool *p)
{
    struct job *job = NULL;

    pthread_mutex_lock(&p->lock);
    if (p->next < p->count && !p->stop)
        job = &p->jobs[p->next++];
    pthread_mutex_unlock(&p->lock);
    return job;
}

static void *worker(void *arg)
{
    struct pool *p = arg;
    struct job *job;

    while ((job = take_job(p)) != NULL) {
        int fd = open(job->path, O_RDONLY);
        if (fd < 0) {
            fprintf(stderr, "%s: %s\n", job->path, strerror(errno));
            continue;
        }
        struct stat st;
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
            job->sum = checksum_fd(fd);
        close(fd);
        do {
            atomic_fetch_add(&p->done, 1);
        } while (0);
        pthread_cond_signal(&p->ready);
    }
    return NULL;
}

static int start_workers(pthread_t *threads, size_t n)
{
    size_t i;

    for (i = 0; i < n; i++) {
        int rc = pthread_create(&threads[i], NULL, worker, &the_pool);
        if (rc != 0) {
            fprintf(stderr, "pthread_create: %s\n", strerror(rc));
            return (int)i;
        }
    }
    return (int)n;
}

static long parse_count(const char *text)
{
    char *end;
    long value;

    errno = 0;
    value = strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > MAX_WORKERS) {
        fprintf(stderr, "bad worker count '%s' (%s)\n", text, describe(value));
        exit(EXIT_FAILURE);
    }
    return value;
}

int main(int argc, char **argv)
{
    pthread_t threads[MAX_WORKERS];
    struct sigaction sa;
    int started, i;
    long workers = 4;

    if (argc > 2 && strcmp(argv[1], "-j") == 0) {
        workers = parse_count(argv[2]);
        argv += 2;
        argc -= 2;
    }
    memset(&sa, 0, sizeof(sa));
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, NULL);

    the_pool.count = (size_t)(argc - 1);
    the_pool.jobs = calloc(the_pool.count ? the_pool.count : 1, sizeof(*the_pool.jobs));
    if (the_pool.jobs == NULL) {
        perror("calloc");
        return EXIT_FAILURE;
    }
    for (i = 1; i < argc; i++) {
        snprintf(the_pool.jobs[i - 1].path, sizeof the_pool.jobs[i - 1].path, "%s", argv[i]);
        the_pool.jobs[i - 1].finish = report;
    }
    pthread_mutex_init(&the_pool.lock, NULL);
    pthread_cond_init(&the_pool.ready, NULL);
    assert(ARRAY_SIZE(threads) == MAX_WORKERS);

    started = start_workers(threads, (size_t)workers);
    for (i = 0; i < started; i++)
        pthread_join(threads[i], NULL);

    switch (atomic_load(&the_pool.done) == (int)the_pool.count) {
    case true:
        break;
    default:
        fputs("some files were skipped\n", stderr);
    }
    for (size_t k = 0; k < the_pool.count; k++)
        if (the_pool.jobs[k].finish(&the_pool.jobs[k]) != 0)
            break;
    pthread_cond_destroy(&the_pool.ready);
    pthread_mutex_destroy(&the_pool.lock);
    free(the_pool.jobs);
    return _Alignof(max_align_t) > 0 && alignof(int) > 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
