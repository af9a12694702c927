/* Preloaded into 32-bit Wine processes that run under qemu-i386 user-mode emulation. The emulator hands
   signal handlers a context whose trap number is -1; Wine's i386 handlers decide by it, so an access
   violation would turn into an illegal instruction. This wraps the handlers of the fault signals and
   fills the trap number in from the signal and its code before Wine sees the context.
   Built with -m32 -nostdlib against the emulated root's libc, so it declares what it uses itself. */
typedef void (*sigaction_handler)(int, void *, void *);

struct i386_sigaction { /* glibc's struct sigaction on i386 */
  sigaction_handler handler;
  unsigned long mask[32];
  int flags;
  void (*restorer)(void);
};

enum { SIGILL_ = 4, SIGTRAP_ = 5, SIGBUS_ = 7, SIGFPE_ = 8, SIGSEGV_ = 11, SA_SIGINFO_ = 4, MAX_SIG = 32 };
enum { SI_KERNEL_ = 0x80, TRAP_BRKPT_ = 1, FPE_INTDIV_ = 1, FPE_INTOVF_ = 2 };
enum { UC_GREGS_OFFSET = 20, REG_TRAPNO_ = 12 }; /* ucontext_t: uc_flags, uc_link, uc_stack, then gregs */

extern void *dlsym(void *, const char *);
extern int unsetenv(const char *);
#define RTLD_NEXT_ ((void *)-1l)

static sigaction_handler wine_handlers[MAX_SIG];

static int trap_number(int sig, int code) {
  switch (sig) {
  case SIGSEGV_: return code == SI_KERNEL_ ? 13 : 14; /* general protection, page fault */
  case SIGBUS_: return 17;                             /* alignment check */
  case SIGILL_: return 6;                              /* invalid opcode */
  case SIGFPE_: return code == FPE_INTDIV_ ? 0 : code == FPE_INTOVF_ ? 4 : 16;
  case SIGTRAP_: return code == TRAP_BRKPT_ ? 1 : 3;   /* single step, int3 */
  default: return -1;
  }
}

static void fault_handler(int sig, void *info, void *context) {
  int code = ((int *)info)[2]; /* si_signo, si_errno, si_code */
  long *trapno = (long *)((char *)context + UC_GREGS_OFFSET) + REG_TRAPNO_;
  if ((unsigned long)*trapno > 31) *trapno = trap_number(sig, code);
  wine_handlers[sig](sig, info, context);
}

static int wrapped(int sig) {
  return sig == SIGSEGV_ || sig == SIGBUS_ || sig == SIGILL_ || sig == SIGFPE_ || sig == SIGTRAP_;
}

int sigaction(int sig, const struct i386_sigaction *act, struct i386_sigaction *old) {
  static int (*real)(int, const struct i386_sigaction *, struct i386_sigaction *);
  if (!real) real = (int (*)(int, const struct i386_sigaction *, struct i386_sigaction *))dlsym(RTLD_NEXT_, "sigaction");
  struct i386_sigaction mine;
  sigaction_handler previous = wrapped(sig) ? wine_handlers[sig] : 0;
  if (act && wrapped(sig) && (act->flags & SA_SIGINFO_) && (unsigned long)act->handler > 1) {
    mine = *act;
    wine_handlers[sig] = act->handler;
    mine.handler = fault_handler;
    act = &mine;
  }
  int rc = real(sig, act, old);
  if (rc == 0 && old && old->handler == fault_handler) old->handler = previous;
  return rc;
}

/* Native programs that a 32-bit process starts must not inherit the preload. */
__attribute__((constructor)) static void forget_preload(void) { unsetenv("LD_PRELOAD"); }
