/* Preloaded into the 32-bit Wine loader when it runs under QEMU user-mode emulation.
 *
 * QEMU's user-mode signal frames carry trap number -1. Wine's i386 signal handlers decide what a
 * fault was from that number alone, so under QEMU an access violation is taken for an illegal
 * instruction, and everything built on faults (IsBadReadPtr, stack guard pages, exception handlers
 * of the programs) goes wrong. This library puts itself between sigaction and Wine's handlers and
 * fills the trap number in from the signal and its si_code, as the kernel would have, before the
 * handler runs. A frame that already has a trap number (a real kernel) is left as it is.
 *
 * Built with gcc -m32; no stack protector, since the handler may run while the segment registers
 * belong to Windows code, and it calls nothing from the C library. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>
#include <ucontext.h>

enum {
    TRAP_DIVIDE = 0, TRAP_DEBUG = 1, TRAP_BREAKPOINT = 3, TRAP_OVERFLOW = 4, TRAP_ILLEGAL = 6,
    TRAP_PROTECTION = 13, TRAP_PAGE_FAULT = 14, TRAP_FPU = 16
};
#define MAX_SIGNAL 65

typedef int (*sigaction_fn)(int, const struct sigaction *, struct sigaction *);
typedef void (*handler_fn)(int, siginfo_t *, void *);

static handler_fn wine_handlers[MAX_SIGNAL];

static int trap_for(int sig, const siginfo_t *info)
{
    switch (sig) {
    case SIGSEGV: return info->si_code == SI_KERNEL ? TRAP_PROTECTION : TRAP_PAGE_FAULT;
    case SIGBUS: return TRAP_PAGE_FAULT;
    case SIGILL: return TRAP_ILLEGAL;
    case SIGFPE:
        if (info->si_code == FPE_INTDIV) return TRAP_DIVIDE;
        if (info->si_code == FPE_INTOVF) return TRAP_OVERFLOW;
        return TRAP_FPU;
    case SIGTRAP: return info->si_code == TRAP_TRACE ? TRAP_DEBUG : TRAP_BREAKPOINT;
    default: return -1;
    }
}

static void fill_trap_then_call(int sig, siginfo_t *info, void *context)
{
    ucontext_t *uc = context;
    if (uc && uc->uc_mcontext.gregs[REG_TRAPNO] == -1)
        uc->uc_mcontext.gregs[REG_TRAPNO] = trap_for(sig, info);
    wine_handlers[sig](sig, info, context);
}

static int is_fault(int sig)
{
    return sig == SIGSEGV || sig == SIGBUS || sig == SIGILL || sig == SIGFPE || sig == SIGTRAP;
}

int sigaction(int sig, const struct sigaction *act, struct sigaction *old)
{
    static sigaction_fn real_sigaction;
    if (!real_sigaction) real_sigaction = (sigaction_fn)dlsym(RTLD_NEXT, "sigaction");
    if (!is_fault(sig) || sig <= 0 || sig >= MAX_SIGNAL) return real_sigaction(sig, act, old);

    handler_fn previous = wine_handlers[sig];
    int result;
    if (act && (act->sa_flags & SA_SIGINFO)) {
        struct sigaction wrapped = *act;
        wrapped.sa_sigaction = fill_trap_then_call;
        wine_handlers[sig] = act->sa_sigaction;
        result = real_sigaction(sig, &wrapped, old);
        if (result != 0) wine_handlers[sig] = previous;
    } else {
        result = real_sigaction(sig, act, old);
    }
    /* The caller sees its own handler, never the wrapper. */
    if (result == 0 && old && (old->sa_flags & SA_SIGINFO) && old->sa_sigaction == fill_trap_then_call)
        old->sa_sigaction = previous;
    return result;
}

/* Wine's children are started through the loader script, which preloads this library again; the
 * native programs in between (the shell of that script) must not be handed a 32-bit library. */
__attribute__((constructor)) static void forget_preload(void)
{
    unsetenv("LD_PRELOAD");
}
