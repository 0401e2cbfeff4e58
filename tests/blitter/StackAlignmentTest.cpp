// The vector kernels called with the stack pointer at every alignment a
// caller may leave it at: on 32-bit Windows only 4 bytes are kept, on 64-bit
// 16, while a kernel's SSE spills need 16 and its AVX spills 32. A kernel
// that moved a spilled register with an aligned move would fault here.
#include "TestSurface.h"
#include "blitter/BlendTable.h"
#include "blitter/BlitPaths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace {

struct SkewedCall {
    BlitKernel kernel;
    const SurfaceBuffer* destination;
    const BlitSource* source;
    uintptr_t skew;  // bytes below an alignment boundary at the call
};

#if defined(__i386__)
const uintptr_t Skews[] = {0, 4, 8, 12};

// cdecl: the two pointers on the stack; edi (callee-saved) keeps the caller's esp.
void CallSkewed(const SkewedCall& call)
{
    __asm__ volatile("movl %%esp, %%edi\n\t"
                     "andl $-16, %%esp\n\t"
                     "subl 12(%%esi), %%esp\n\t"
                     "subl $8, %%esp\n\t"
                     "pushl 8(%%esi)\n\t"
                     "pushl 4(%%esi)\n\t"
                     "call *(%%esi)\n\t"
                     "movl %%edi, %%esp\n\t"
                     :
                     : "S"(&call)
                     : "eax", "ecx", "edx", "edi", "memory", "cc");
}
#elif defined(__x86_64__) && defined(_WIN32)
const uintptr_t Skews[] = {0, 16};

// Microsoft x64: rcx, rdx and 32 bytes of shadow space; rbx keeps rsp.
void CallSkewed(const SkewedCall& call)
{
    __asm__ volatile("movq %%rsp, %%rbx\n\t"
                     "andq $-32, %%rsp\n\t"
                     "subq 24(%%rsi), %%rsp\n\t"
                     "subq $32, %%rsp\n\t"
                     "movq 8(%%rsi), %%rcx\n\t"
                     "movq 16(%%rsi), %%rdx\n\t"
                     "call *(%%rsi)\n\t"
                     "movq %%rbx, %%rsp\n\t"
                     :
                     : "S"(&call)
                     : "rax", "rbx", "rcx", "rdx", "r8", "r9", "r10", "r11", "xmm0", "xmm1", "xmm2", "xmm3", "xmm4",
                       "xmm5", "memory", "cc");
}
#elif defined(__x86_64__)
const uintptr_t Skews[] = {0, 16};

// System V: rdi, rsi; every vector register is the callee's to clobber, and
// the red zone below rsp is stepped over.
void CallSkewed(const SkewedCall& call)
{
    const SkewedCall* arguments = &call;
    __asm__ volatile("movq %%rsp, %%rbx\n\t"
                     "subq $128, %%rsp\n\t"
                     "andq $-32, %%rsp\n\t"
                     "subq 24(%%rax), %%rsp\n\t"
                     "movq 8(%%rax), %%rdi\n\t"
                     "movq 16(%%rax), %%rsi\n\t"
                     "call *(%%rax)\n\t"
                     "movq %%rbx, %%rsp\n\t"
                     : "+a"(arguments)
                     :
                     : "rbx", "rcx", "rdx", "rdi", "rsi", "r8", "r9", "r10", "r11", "xmm0", "xmm1", "xmm2", "xmm3",
                       "xmm4", "xmm5", "xmm6", "xmm7", "xmm8", "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14",
                       "xmm15", "memory", "cc");
}
#endif

#if defined(__i386__) || defined(__x86_64__)
TEST(StackAlignment, EveryVectorKernelRunsWhateverTheCallerLeftTheStackAt)
{
    FillBlendTable();
    const CpuFeatures cpu = DetectCpuFeatures();
    std::mt19937 random(4);
    int exercised = 0;
    for (size_t i = 0; i < BlitPathCount; ++i) {
        const BlitPath& path = BlitPaths[i];
        if (path.needs == CpuFeature::None) continue;
        if (!cpu.Has(path.needs)) {
            std::printf("[ SKIPPED  ] %s: this CPU has no %s\n", path.name, NameOf(path.needs));
            continue;
        }
        const BlitPath& reference = FindPath(path.routine, path.bytesPerPixel, path.masked, CpuFeatures{});
        for (uintptr_t skew : Skews) {
            TestSurface destination(path.bytesPerPixel, 45, 3);
            TestSurface frame(path.bytesPerPixel, 41, 3);
            TestSurface mask(1, 41, 3);
            destination.FillNoise(random);
            frame.FillNoise(random);
            mask.FillNoise(random);
            const SurfaceBuffer rect = destination.Rect(2, 0, 39, 3);
            const BlitSource source = SourceAt(frame, 1, 0, path.masked ? &mask : nullptr, frame.Get(3, 1));
            TestSurface expected = destination;
            SurfaceBuffer expectedRect = rect;
            expectedRect.firstPixel = expected.At(2, 0);
            expectedRect.lastRowEnd = expected.bytes.data() + (rect.lastRowEnd - destination.bytes.data());
            reference.kernel(expectedRect, source);

            CallSkewed({path.kernel, &rect, &source, skew});

            EXPECT_EQ(FirstDifference(destination.bytes, expected.bytes), -1)
                << path.name << ", stack " << skew << " bytes off its alignment";
        }
        ++exercised;
    }
    if (exercised == 0) GTEST_SKIP() << "no vector kernel to run here";
    std::printf("[ EXERCISED] %d vector kernels at %zu stack alignments\n", exercised, sizeof Skews / sizeof Skews[0]);
}
#endif

}  // namespace
