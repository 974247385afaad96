/* Preloaded into every process of the private 32-bit Wine (through the
 * sysroot's own etc/ld.so.preload, which only the emulated loader reads).
 *
 * qemu's user-mode emulation leaves the trap number of the signal context at
 * -1. Wine's 32-bit fault handler decides by that number what happened, so
 * without it every page fault is taken for an illegal instruction. This
 * library stands between Wine and sigaction: the handlers Wine installs for
 * SIGSEGV, SIGFPE and SIGTRAP are called through a wrapper that first puts
 * back the number the processor would have reported, told from si_code.
 *
 * It is built with -m32 -nostdlib, so it declares the little it needs. */
typedef struct {
    int signo, error, code;
} SignalInfo;

typedef void (*Handler)(int, SignalInfo *, void *);

struct KernelAction {
    void *handler;
    unsigned int mask[32];
    int flags;
    void *restorer;
};

extern void *dlsym(void *, const char *);

enum { kSigTrap = 5, kSigFpe = 8, kSigSegv = 11, kWantsInfo = 4 };
enum { kTrapNumberRegister = 12 };   /* REG_TRAPNO among the i386 general registers */
enum { kRegistersOffset = 20 };      /* uc_flags, uc_link and the 12-byte stack_t come first */

static Handler wineHandlers[32];

static int TrapNumberOf(int signal, int code) {
    switch (signal) {
    case kSigSegv: return code == 1 || code == 2 ? 14 : 13; /* page fault (mapping or access), else protection */
    case kSigFpe: return code == 1 ? 0 : code == 2 ? 4 : 16; /* divide error, overflow, x87 error */
    default: return code == 1 ? 3 : 1;                       /* breakpoint, else single step */
    }
}

static void CallWineHandler(int signal, SignalInfo *info, void *context) {
    int *registers = (int *)((char *)context + kRegistersOffset);
    if (registers[kTrapNumberRegister] == -1) registers[kTrapNumberRegister] = TrapNumberOf(signal, info->code);
    wineHandlers[signal](signal, info, context);
}

static int Wrapped(int signal) { return signal == kSigSegv || signal == kSigFpe || signal == kSigTrap; }

int sigaction(int signal, const struct KernelAction *action, struct KernelAction *previous) {
    static int (*real)(int, const struct KernelAction *, struct KernelAction *);
    if (!real) real = (int (*)(int, const struct KernelAction *, struct KernelAction *))dlsym((void *)-1L, "sigaction");
    Handler before = signal > 0 && signal < 32 ? wineHandlers[signal] : 0;
    struct KernelAction through;
    int result;
    if (Wrapped(signal) && action && (action->flags & kWantsInfo) && (unsigned long)action->handler > 1) {
        through = *action;
        wineHandlers[signal] = (Handler)action->handler;
        through.handler = (void *)CallWineHandler;
        result = real(signal, &through, previous);
    } else {
        result = real(signal, action, previous);
    }
    if (previous && previous->handler == (void *)CallWineHandler) previous->handler = (void *)before;
    return result;
}
