/* Preloaded into the Wine processes of an end-to-end run (the 32-bit wineserver and programs) to
   move their clocks: every reading of a wall or monotonic clock is shifted forward by the
   milliseconds written in the file named by LUMORA_CLOCK_FILE, as after a sleep or a clock set
   forward. Wine on i386 reads time through glibc's 64-bit-time entry points, which the packaged
   time-faking libraries do not wrap. Built without headers (no 32-bit libc development files). */

typedef long long i64;
struct timespec64 { i64 sec; int nsec; int pad; };
struct timeval64 { i64 sec; i64 usec; };

extern void *dlsym(void *, const char *);
extern char *getenv(const char *);
extern int open(const char *, int, ...);
extern int read(int, void *, unsigned);
extern int close(int);
#define RTLD_NEXT ((void *)-1)
#define CLOCK_PROCESS_CPUTIME_ID 2
#define CLOCK_THREAD_CPUTIME_ID 3
#define CLOCK_MONOTONIC_COARSE 6

typedef int (*clock_fn)(int, struct timespec64 *);
static clock_fn real_clock;
static int offset_ms;           /* read with __atomic: Wine's threads all tell the time */
static unsigned checked_ms;     /* when the file was last read, on the real coarse clock */

static int real(int id, struct timespec64 *ts) {
  clock_fn f = __atomic_load_n(&real_clock, __ATOMIC_ACQUIRE);
  if (!f) {
    f = (clock_fn)dlsym(RTLD_NEXT, "__clock_gettime64");
    __atomic_store_n(&real_clock, f, __ATOMIC_RELEASE);
  }
  return f(id, ts);
}

/* The offset, read again at most every 20 ms: a move shows within a tick's fraction. */
static int offset(void) {
  struct timespec64 now;
  if (real(CLOCK_MONOTONIC_COARSE, &now)) return __atomic_load_n(&offset_ms, __ATOMIC_RELAXED);
  unsigned ms = (unsigned)now.sec * 1000u + (unsigned)now.nsec / 1000000u;
  if (ms - __atomic_load_n(&checked_ms, __ATOMIC_RELAXED) >= 20u) {
    __atomic_store_n(&checked_ms, ms, __ATOMIC_RELAXED);
    const char *path = getenv("LUMORA_CLOCK_FILE");
    int fd = path ? open(path, 0) : -1;
    if (fd >= 0) {
      char text[24];
      int n = read(fd, text, sizeof text - 1), value = 0, i = 0;
      close(fd);
      while (i < n && text[i] >= '0' && text[i] <= '9') value = value * 10 + (text[i++] - '0');
      if (n > 0) __atomic_store_n(&offset_ms, value, __ATOMIC_RELAXED);
    }
  }
  return __atomic_load_n(&offset_ms, __ATOMIC_RELAXED);
}

int __clock_gettime64(int id, struct timespec64 *ts) {
  int rc = real(id, ts);
  if (rc || id == CLOCK_PROCESS_CPUTIME_ID || id == CLOCK_THREAD_CPUTIME_ID) return rc;
  int ms = offset(), ns = ts->nsec + ms % 1000 * 1000000;  /* no 64-bit division: no libgcc */
  ts->sec += ms / 1000 + (ns >= 1000000000);
  ts->nsec = ns >= 1000000000 ? ns - 1000000000 : ns;
  return 0;
}

int __gettimeofday64(struct timeval64 *tv, void *zone) {
  struct timespec64 ts;
  (void)zone;
  if (__clock_gettime64(0, &ts)) return -1;
  tv->sec = ts.sec;
  tv->usec = ts.nsec / 1000;
  return 0;
}

i64 __time64(i64 *t) {
  struct timespec64 ts;
  __clock_gettime64(0, &ts);
  if (t) *t = ts.sec;
  return ts.sec;
}
