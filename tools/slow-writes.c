/* Makes every positioned write call (the calls Vantorix's saves and backups make) take
 * a while (VANTORIX_SLOW_WRITE_US microseconds, default 3000), so that
 * scripts/crash-test's kills land inside saves and backups:
 *   LD_PRELOAD=slow-writes.so program ... */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <sys/types.h>
#include <unistd.h>

static void Pause(void) {
  const char* text = getenv("VANTORIX_SLOW_WRITE_US");
  usleep(text != NULL ? (useconds_t)atoi(text) : 3000U);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
  static ssize_t (*real)(int, const void*, size_t, off_t);
  if (real == NULL) real = (ssize_t(*)(int, const void*, size_t, off_t))dlsym(RTLD_NEXT, "pwrite");
  Pause();
  return real(fd, data, size, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off_t offset) {
  static ssize_t (*real)(int, const void*, size_t, off_t);
  if (real == NULL) real = (ssize_t(*)(int, const void*, size_t, off_t))dlsym(RTLD_NEXT, "pwrite64");
  Pause();
  return real(fd, data, size, offset);
}
