// Which kernel the measures use: asked of the processor once, with cpuid (Windows builds have no
// loader-resolved functions, so the choice is a pointer kept after the first call).
#include <string.h>

#include <atomic>

#include "measure/measure_kernels.h"

#if defined(TQ_X86_MEASURE_KERNELS)
#include <cpuid.h>
#endif

namespace {

#if defined(TQ_X86_MEASURE_KERNELS)
const MeasureKernel* const kKernels[] = {&kScalarMeasureKernel, &kSse2MeasureKernel, &kSsse3MeasureKernel,
                                         &kAvx2NoPdepMeasureKernel, &kAvx2MeasureKernel};

struct CpuAbilities {
    bool bSse2;
    bool bSsse3;
    bool bAvx2;      // AVX2 with BMI1, BMI2, POPCNT and LZCNT, and the system saves the YMM registers
    bool bFastPdep;  // pdep in a few cycles: not the AMD processors before family 19h, which microcode it
};

uint64_t ReadXcr0() {
    uint32_t nLow, nHigh;
    __asm__ volatile("xgetbv" : "=a"(nLow), "=d"(nHigh) : "c"(0));
    return (static_cast<uint64_t>(nHigh) << 32) | nLow;
}

CpuAbilities ReadCpu() {
    CpuAbilities cpu = {false, false, false, false};
    unsigned a, b, c, d;
    unsigned nMaxLeaf = __get_cpuid_max(0, nullptr);
    if (nMaxLeaf < 1 || !__get_cpuid(0, &a, &b, &c, &d)) return cpu;
    bool bAmd = (b == 0x68747541 && d == 0x69746e65 && c == 0x444d4163) ||  // "AuthenticAMD"
                (b == 0x6f677948 && d == 0x6e65476e && c == 0x656e6975);    // "HygonGenuine", of AMD's design
    __get_cpuid(1, &a, &b, &c, &d);
    cpu.bSse2 = (d & (1u << 26)) != 0;
    cpu.bSsse3 = cpu.bSse2 && (c & (1u << 9)) != 0;
    unsigned nFamily = (a >> 8) & 0x0F;
    if (nFamily == 0x0F) nFamily += (a >> 20) & 0xFF;
    bool bPopcnt = (c & (1u << 23)) != 0;
    bool bYmmSaved = (c & (1u << 27)) != 0 && (c & (1u << 28)) != 0 && (ReadXcr0() & 6) == 6;
    bool bAvx2 = false, bBmi = false, bBmi2 = false, bLzcnt = false;
    if (nMaxLeaf >= 7) {
        __get_cpuid_count(7, 0, &a, &b, &c, &d);
        bAvx2 = (b & (1u << 5)) != 0;
        bBmi = (b & (1u << 3)) != 0;
        bBmi2 = (b & (1u << 8)) != 0;
    }
    if (__get_cpuid_max(0x80000000, nullptr) >= 0x80000001) {
        __get_cpuid(0x80000001, &a, &b, &c, &d);
        bLzcnt = (c & (1u << 5)) != 0;
    }
    cpu.bAvx2 = cpu.bSse2 && bYmmSaved && bAvx2 && bBmi && bBmi2 && bPopcnt && bLzcnt;
    cpu.bFastPdep = !(bAmd && nFamily < 0x19);
    return cpu;
}

// Read once; kept without a guarded static, whose lock would bring a threads library into the
// Windows programs. Two threads that both find it unread both read the same answer.
std::atomic<int> cpuAbilities(0);
enum { kCpuRead = 1, kCpuSse2 = 2, kCpuAvx2 = 4, kCpuFastPdep = 8, kCpuSsse3 = 16 };

CpuAbilities Cpu() {
    int nAbilities = cpuAbilities.load(std::memory_order_relaxed);
    if (nAbilities == 0) {
        CpuAbilities cpu = ReadCpu();
        nAbilities =
            kCpuRead | (cpu.bSse2 ? kCpuSse2 : 0) | (cpu.bSsse3 ? kCpuSsse3 : 0) | (cpu.bAvx2 ? kCpuAvx2 : 0) |
            (cpu.bFastPdep ? kCpuFastPdep : 0);
        cpuAbilities.store(nAbilities, std::memory_order_relaxed);
    }
    CpuAbilities cpu = {(nAbilities & kCpuSse2) != 0, (nAbilities & kCpuSsse3) != 0, (nAbilities & kCpuAvx2) != 0,
                        (nAbilities & kCpuFastPdep) != 0};
    return cpu;
}
#else
const MeasureKernel* const kKernels[] = {&kScalarMeasureKernel};
#endif

const MeasureKernel* ChooseKernel() {
#if defined(TQ_X86_MEASURE_KERNELS)
    CpuAbilities cpu = Cpu();
    if (cpu.bAvx2) return cpu.bFastPdep ? &kAvx2MeasureKernel : &kAvx2NoPdepMeasureKernel;
    if (cpu.bSsse3) return &kSsse3MeasureKernel;
    if (cpu.bSse2) return &kSse2MeasureKernel;
#endif
    return &kScalarMeasureKernel;
}

// Chosen at the first call, as the processor's abilities are read.
std::atomic<const MeasureKernel*> activeKernel(nullptr);

}  // namespace

size_t MeasureKernelCount() { return sizeof(kKernels) / sizeof(kKernels[0]); }

const MeasureKernel& MeasureKernelAt(size_t nIndex) { return *kKernels[nIndex]; }

const MeasureKernel* FindMeasureKernel(const char* szName) {
    for (const MeasureKernel* pKernel : kKernels) {
        if (strcmp(pKernel->szName, szName) == 0) return pKernel;
    }
    return nullptr;
}

bool MeasureKernelRuns(const MeasureKernel& kernel) {
#if defined(TQ_X86_MEASURE_KERNELS)
    if (&kernel == &kSse2MeasureKernel) return Cpu().bSse2;
    if (&kernel == &kSsse3MeasureKernel) return Cpu().bSsse3;
    if (&kernel == &kAvx2MeasureKernel || &kernel == &kAvx2NoPdepMeasureKernel) return Cpu().bAvx2;
#endif
    return &kernel == &kScalarMeasureKernel;
}

const MeasureKernel& ActiveMeasureKernel() {
    const MeasureKernel* pActive = activeKernel.load(std::memory_order_relaxed);
    if (pActive == nullptr) {
        pActive = ChooseKernel();
        activeKernel.store(pActive, std::memory_order_relaxed);
    }
    return *pActive;
}
