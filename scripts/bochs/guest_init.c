/* The first process of the emulated machine that scripts/run_in_bochs boots.
 *
 * The initramfs holds this init as /init, the program under test as /program,
 * its arguments in /args and its environment in /env (each a list of
 * NUL-terminated strings).  init runs the program as its child with the
 * serial console as stdout and stderr (stdin is empty: nobody types into this
 * console), prints the program's exit status on a marker line, and powers the
 * machine off.
 *
 * Before the program starts init says whether the processor reports AVX-512F
 * and whether the kernel enabled the ZMM register state in XCR0, so a run
 * shows that the lane code under test really had AVX-512 to use.
 *
 * The marker lines are read by the script and never reach its stdout; keep
 * them in step with the markers there. */
#define _GNU_SOURCE
#include <cpuid.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#define START_MARKER "@@ct-bochs-start@@"
#define EXIT_MARKER "@@ct-bochs-exit "

static void power_off(void)
{
  sync();
  reboot(RB_POWER_OFF);
  /* Only reached when the kernel refused; the script's timeout ends the run. */
  for (;;) pause();
}

/* The serial console as fds 0, 1 and 2, passing bytes unchanged: without
 * OPOST the tty would turn every "\n" into "\r\n" on the way out. */
static void open_console(void)
{
  mkdir("/dev", 0755);
  mount("devtmpfs", "/dev", "devtmpfs", 0, NULL);
  int fd = open("/dev/ttyS0", O_RDWR | O_NOCTTY);
  if (fd < 0) fd = open("/dev/console", O_RDWR | O_NOCTTY);
  if (fd < 0) power_off(); /* nowhere to report to; the script sees no start marker */
  for (int i = 0; i < 3; ++i)
    if (fd != i) dup2(fd, i);
  if (fd > 2) close(fd);
  struct termios settings;
  if (tcgetattr(1, &settings) == 0) {
    settings.c_oflag &= ~(tcflag_t)OPOST;
    settings.c_lflag &= ~(tcflag_t)ECHO; /* nothing typed should come back into the output */
    tcsetattr(1, TCSANOW, &settings);
  }
}

/* What a program may expect of a Linux system besides its files. */
static void mount_system(void)
{
  mkdir("/proc", 0755);
  mount("proc", "/proc", "proc", 0, NULL);
  mkdir("/sys", 0755);
  mount("sysfs", "/sys", "sysfs", 0, NULL);
  mkdir("/tmp", 01777);
  chdir("/tmp");
}

static void report_avx512(void)
{
  unsigned a, b, c, d;
  int avx512f = 0, osxsave = 0;
  unsigned long long xcr0 = 0;
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d)) avx512f = (b >> 16) & 1;
  if (__get_cpuid(1, &a, &b, &c, &d)) osxsave = (c >> 27) & 1;
  if (osxsave) {
    unsigned lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    xcr0 = ((unsigned long long)hi << 32) | lo;
  }
  /* Bits 5, 6 and 7: the opmask registers, the upper halves of ZMM0-15, ZMM16-31. */
  int zmm_state = (xcr0 & 0xe0) == 0xe0;
  char vendor[13] = {0};
  if (__get_cpuid(0, &a, &b, &c, &d)) {
    memcpy(vendor, &b, 4);
    memcpy(vendor + 4, &d, 4);
    memcpy(vendor + 8, &c, 4);
  }
  printf("guest cpu: %s, cpuid avx512f=%s, xcr0=%#llx (zmm state %s)\n", vendor,
         avx512f ? "yes" : "no", xcr0, zmm_state ? "enabled" : "disabled");
  fflush(stdout);
}

/* The strings of a file of NUL-terminated strings, as a NULL-terminated array. */
static char **read_strings(const char *path)
{
  static char none[1];
  char *text = none;
  size_t size = 0, used = 0;
  int fd = open(path, O_RDONLY);
  if (fd >= 0) {
    for (;;) {
      if (used == size) {
        size = size ? 2 * size : 4096;
        text = text == none ? malloc(size) : realloc(text, size);
        if (!text) return NULL;
      }
      ssize_t got = read(fd, text + used, size - used);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      used += (size_t)got;
    }
    close(fd);
  }
  size_t count = 0;
  for (size_t i = 0; i < used; ++i) count += text[i] == '\0';
  char **strings = calloc(count + 1, sizeof *strings);
  if (!strings) return NULL;
  size_t n = 0;
  for (size_t i = 0; i < used; i += strlen(text + i) + 1) strings[n++] = text + i;
  return strings;
}

/* The status a shell would report: the exit code, or 128 + the signal. */
static int run_program(void)
{
  char **argv = read_strings("/args");
  char **envp = read_strings("/env");
  if (!argv || !envp || !argv[0]) {
    fprintf(stderr, "guest init: no program to run (/args is empty or unreadable)\n");
    return 127;
  }
  pid_t child = fork();
  if (child < 0) {
    fprintf(stderr, "guest init: fork failed: %s\n", strerror(errno));
    return 127;
  }
  if (child == 0) {
    int nothing = open("/dev/null", O_RDONLY);
    if (nothing > 0) {
      dup2(nothing, 0);
      close(nothing);
    }
    execve("/program", argv, envp);
    fprintf(stderr, "guest init: cannot run the program: %s\n", strerror(errno));
    _exit(127);
  }
  /* As process 1 init also inherits the program's orphans; only the
   * program's own end counts. */
  for (;;) {
    int status;
    pid_t done = wait(&status);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) return 127;
    if (done != child) continue;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) {
      fprintf(stderr, "guest init: the program was killed by signal %d (%s)\n", WTERMSIG(status),
              strsignal(WTERMSIG(status)));
      return 128 + WTERMSIG(status);
    }
  }
}

int main(void)
{
  open_console();
  mount_system();
  report_avx512();
  printf("%s\n", START_MARKER);
  fflush(stdout);
  int status = run_program();
  printf("%s%d@@\n", EXIT_MARKER, status);
  fflush(stdout);
  tcdrain(1);
  power_off();
  return 0;
}
